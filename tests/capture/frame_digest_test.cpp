// Guards the picture against changes nobody meant: frames at fixed times in every scene window
// (overlaps included) must keep the exact pixels they had when the table below was recorded.
// A speed-up that alters one pixel is not a speed-up. When a change of the picture is meant,
// run this test, check the new frames by eye, and paste the table it prints.
//
// The times are chosen where a small rounding change shows: each frame differs from the frame
// a millisecond later, none sits at a scene's faded-out edge or at a round fraction of its
// window, and the four in scene 2 all change when its camera is formed in double instead of
// float (frames at such round times as 21500 and 30000 do not). The renderer is pinned to
// SSE4.1 by the capture, so the table holds on any x86-64 processor.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "capture/capture_harness.h"

namespace {

struct FrameDigest {
    int ms;
    uint64_t digest;
};

// Recorded at 1280 x 720 on Mesa llvmpipe pinned to SSE4.1, with the composed soundtrack, as
// one capture run.
const FrameDigest recorded[] = {
#include "frame_digests.inc"
};

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

TEST(FrameDigest, EveryScenesFramesKeepTheirPixels) {
    std::string music = OSKE_BUILD_DIR "/music.xm";
    if (FILE* f = fopen(music.c_str(), "rb"))
        fclose(f);
    else
        GTEST_FAIL() << "the composed soundtrack is missing: " << music;

    std::string frames;
    for (const FrameDigest& f : recorded)
        frames += (frames.empty() ? "" : ",") + std::to_string(f.ms);
    ScratchDir out;
    ProgramResult run = run_capture(
        {"--music", music, "--frames", frames, "--out", out.path, "--strict", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;

    std::string table;
    int changed = 0;
    for (const FrameDigest& f : recorded) {
        char name[32];
        snprintf(name, sizeof name, "frame_%06d.png", f.ms);
        PngImage image;
        ASSERT_TRUE(read_png(out.file(name), &image)) << name;
        uint64_t digest = fnv1a(image.pixels);
        char line[64];
        snprintf(line, sizeof line, "    {%d, 0x%016llxull},\n", f.ms, (unsigned long long)digest);
        table += line;
        if (digest != f.digest) {
            ++changed;
            ADD_FAILURE() << "frame at " << f.ms << " ms changed";
        }
    }
    if (changed)
        printf("new tests/capture/frame_digests.inc:\n%s", table.c_str());
}
