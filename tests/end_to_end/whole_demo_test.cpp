// The whole demo from end to end: a capture of the full timeline draws every frame without a
// GL error and with every scene visible at its peak, and the main loop ends by itself after
// the first frame at or past 200000 ms.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/timeline.h"
#include "runtime/virtual_clock.h"
#include "support/child_process.h"

namespace {

const std::string build_dir = OSKE_BUILD_DIR;
const std::string capture_path = build_dir + "/tools/capture/oske-capture";
const std::string music_path = build_dir + "/music.xm";

constexpr int capture_w = 320;
constexpr int capture_h = 180;
constexpr int capture_step_ms = 250; // 4 frames per second of demo time

std::string frame_path(const std::string& dir, int ms) {
    char name[32];
    snprintf(name, sizeof name, "/frame_%06d.png", ms);
    return dir + name;
}

// Pixels whose channels differ by more than 40: the palette's colours. The background and its
// black bands stay grey, so a frame with no scene content has none.
int coloured_pixels(const std::string& path) {
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, 3);
    if (!pixels)
        return -1;
    int count = 0;
    for (int i = 0; i < w * h; ++i) {
        const unsigned char* p = pixels + 3 * i;
        int hi = std::max(p[0], std::max(p[1], p[2]));
        int lo = std::min(p[0], std::min(p[1], p[2]));
        count += hi - lo > 40;
    }
    stbi_image_free(pixels);
    return count;
}

void remove_dir(const std::string& dir) {
    for (int ms = 0; ms <= 200000; ms += capture_step_ms)
        unlink(frame_path(dir, ms).c_str());
    rmdir(dir.c_str());
}

} // namespace

TEST(EndToEnd, WholeTimelineCapturesCleanlyWithEveryScenePeaking) {
    char dir_template[] = "/tmp/oske-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;

    ChildProcess child =
        child_start({capture_path, "--music", music_path, "--from", "0", "--to", "200000", "--fps",
                     "4", "--size", "320x180", "--strict", "--quiet", "--out", dir},
                    {{"SDL_VIDEODRIVER", "offscreen"}, {"LIBGL_ALWAYS_SOFTWARE", "1"}});
    int status = 0;
    ASSERT_TRUE(child_wait(child, 540.0, &status)) << "capture did not finish";
    std::string out = child_stdout(child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << out << child_stderr(child);
    EXPECT_NE(out.find("drew 801 frames, 0 GL errors"), std::string::npos)
        << out << child_stderr(child);
    child_cleanup(child);

    // Content in every scene window: at its middle, where each scene is faded fully in.
    const int threshold = capture_w * capture_h / 200; // half a percent of the frame
    for (int k = 0; k < scene_count; ++k) {
        const SceneWindow& window = scene_windows[k];
        int middle = (window.start + window.end) / 2;
        middle -= middle % capture_step_ms;
        int peak = coloured_pixels(frame_path(dir, middle));
        EXPECT_GT(peak, threshold) << "scene " << k + 1 << " at " << middle << " ms";
    }
    // And nothing where every envelope is closed.
    EXPECT_EQ(coloured_pixels(frame_path(dir, 0)), 0);
    EXPECT_EQ(coloured_pixels(frame_path(dir, 200000)), 0);
    remove_dir(dir);
}

namespace {

// A clock that moves 997 ms per reading, so the frames fall between whole seconds and the
// last one lands past 200000 ms rather than on it.
constexpr uint32_t loop_step_ms = 997;
uint32_t loop_readings = 0;

uint32_t loop_ticks() {
    return virtual_clock_start_tick + loop_step_ms * loop_readings++;
}

} // namespace

TEST(EndToEnd, TheLoopEndsAfterTheFirstFramePast199999Ms) {
    std::string trace = make_temp_file("oske-e2e-trace");
    DemoOptions options = demo_default_options();
    options.music_path = music_path.c_str();
    options.audio = false;
    options.trace_path = trace.c_str();
    options.window.width = capture_w;
    options.window.height = capture_h;
    options.window.hidden = true;
    loop_readings = 0;
    demo_clock.ticks = loop_ticks;
    EXPECT_EQ(demo_run(options), 0);
    demo_clock.ticks = nullptr;

    std::string text = read_text_file(trace);
    size_t at = text.find("frames ");
    ASSERT_NE(at, std::string::npos) << text;
    long frames = 0;
    int last = 0;
    ASSERT_EQ(sscanf(text.c_str() + at, "frames %ld last %d", &frames, &last), 2) << text;
    // The frame before the last was still short of 200000 ms, and the loop went on; the last
    // one reached it, and the loop ended.
    EXPECT_GE(last, 200000) << text;
    EXPECT_LT(last - (int)loop_step_ms, 200000) << text;
    EXPECT_NEAR(frames, last / (int)loop_step_ms, 2) << text;
    unlink(trace.c_str());
}
