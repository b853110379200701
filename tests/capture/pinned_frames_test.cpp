// The renderer's pin: the capture (and the whole suite) has Mesa's llvmpipe compile for SSE4.1
// whatever the processor offers, so frames are the same bytes on any x86-64 processor. Proven
// against an emulated processor without AVX, FMA or AVX-512: qemu's Nehalem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_harness.h"

namespace {

// A few frames in three scenes, small: each costs seconds under the emulator.
const char* const pinned_frames = "3000,25006,69000";
const int frame_times[] = {3000, 25006, 69000};

std::string frame_path(const ScratchDir& dir, int ms) {
    char name[32];
    snprintf(name, sizeof name, "frame_%06d.png", ms);
    return dir.file(name);
}

} // namespace

TEST(PinnedFrames, AProcessorWithoutAvxDrawsTheSameBytes) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' runtime does not run under qemu's user-mode emulation";
#endif
    std::string music = OSKE_BUILD_DIR "/music.xm";
    ScratchDir host, emulated, logs;
    std::vector<std::string> args = {"--music", music,     "--frames", pinned_frames,
                                     "--size",  "320x180", "--quiet"};
    std::vector<std::string> host_args = args, emulated_args = args;
    host_args.insert(host_args.end(), {"--out", host.path});
    emulated_args.insert(emulated_args.end(), {"--out", emulated.path});

    ProgramResult r = run_capture(host_args);
    ASSERT_EQ(r.status, 0) << r.err;
    // Debian's qemu-user-static: a Nehalem has SSE4.2 and none of AVX, FMA or AVX-512.
    pid_t pid =
        spawn_capture(emulated_args, logs.path, {}, {"qemu-x86_64-static", "-cpu", "Nehalem"});
    r = wait_capture(pid, logs.path);
    ASSERT_NE(r.status, 127) << "qemu-x86_64-static is missing (Debian package qemu-user-static)";
    ASSERT_EQ(r.status, 0) << r.err;

    for (int ms : frame_times) {
        std::vector<uint8_t> here = read_file(frame_path(host, ms));
        ASSERT_GT(here.size(), 1000u) << ms << " ms: not drawn";
        EXPECT_TRUE(here == read_file(frame_path(emulated, ms))) << ms << " ms differs";
    }
}
