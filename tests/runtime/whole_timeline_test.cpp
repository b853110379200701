// The whole timeline, every 200 ms of demo time: not one GL error in any frame of the offline
// capture, and memory and descriptors flat from the first frame to the last.
#include <gtest/gtest.h>

#include <dirent.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/gl.h"
#include "runtime/demo.h"
#include "runtime/timeline.h"
#include "runtime/virtual_clock.h"
#include "support/child_process.h"

namespace {

const std::string music_path = std::string(OSKE_BUILD_DIR) + "/music.xm";

// Frame times every 200 ms; a time the clock's float arithmetic cannot produce from whole
// millisecond ticks is replaced by the next one it can.
std::vector<int> every_200_ms() {
    std::vector<int> times;
    for (int ms = 0; ms <= 200000; ms += 200) {
        int reachable = ms;
        while (virtual_clock_tick_for(reachable) == 0)
            ++reachable;
        times.push_back(reachable);
    }
    return times;
}

struct Resources {
    long rss_kb = 0;  // resident now
    long heap_kb = 0; // allocated and not freed
    int fds = 0;
};

long status_field_kb(const std::string& status, const char* name) {
    size_t at = status.find(name);
    return at == std::string::npos ? 0 : std::stol(status.substr(at + strlen(name)));
}

Resources resources_now() {
    Resources r;
    std::string status = read_text_file("/proc/self/status");
    r.rss_kb = status_field_kb(status, "VmRSS:");
    r.heap_kb = (long)(mallinfo2().uordblks / 1024);
    if (DIR* d = opendir("/proc/self/fd")) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                ++r.fds;
        closedir(d);
    }
    return r;
}

} // namespace

TEST(WholeTimeline, CaptureAtFiveFramesPerSecondHasNoGlError) {
    const std::string capture = std::string(OSKE_BUILD_DIR) + "/tools/capture/oske-capture";
    ASSERT_EQ(access(capture.c_str(), X_OK), 0) << capture;
    ASSERT_EQ(access(music_path.c_str(), R_OK), 0) << music_path;
    std::string frames;
    for (int ms : every_200_ms())
        frames += (frames.empty() ? "" : ",") + std::to_string(ms);
    // A contact sheet of one frame in 25 is the cheapest output the tool accepts.
    std::string sheet = make_temp_file("oske-sheet");
    ChildProcess child =
        child_start({capture, "--frames", frames, "--strict", "--quiet", "--size", "320x180",
                     "--music", music_path, "--contact-sheet", sheet + ".png", "--every", "5000"},
                    {});
    int status = 0;
    bool ended = child_wait(child, 1200.0, &status);
    std::string out = child_stdout(child), err = child_stderr(child);
    ASSERT_TRUE(ended) << "capture did not finish\n" << out << err;
    ASSERT_TRUE(WIFEXITED(status)) << out << err;
    EXPECT_EQ(WEXITSTATUS(status), 0) << out << err;
    EXPECT_NE(out.find("drew 1001 frames, 0 GL errors"), std::string::npos) << out << err;
    child_cleanup(child);
    unlink(sheet.c_str());
    unlink((sheet + ".png").c_str());
}

TEST(WholeTimeline, MemoryAndDescriptorsStayFlat) {
    ASSERT_EQ(access(music_path.c_str(), R_OK), 0) << music_path;
    virtual_clock_install();
    DemoOptions options = demo_default_options();
    options.music_path = music_path.c_str();
    options.audio = false;
    options.window.width = 320;
    options.window.height = 180;
    options.window.hidden = true;
    // llvmpipe rasterising on this thread: its memory then follows the frames drawn, not how
    // far its worker threads lag behind, and the figures repeat from run to run.
    setenv("LP_NUM_THREADS", "0", 1);
    ASSERT_EQ(demo_startup(options), 0);

    // Pass 1 warms the GL driver up: it compiles and caches a pipeline for each new state
    // combination and sizes its binning memory for the heaviest frames, in steps as the scenes
    // come in. Pass 2 draws the same frames again and must end where pass 1 ended. Each frame
    // is finished, as a display's swap or the capture's read-back would, so the driver does
    // not pile up frames in flight.
    std::vector<int> times = every_200_ms();
    Resources start[2], end[2];
    int gl_errors = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < times.size(); ++i) {
            ASSERT_TRUE(virtual_clock_set_frame(times[i])) << times[i];
            demo_poll_events();
            ASSERT_EQ(demo_render_frame(), times[i]);
            SDL_GL_SwapWindow(demo_window);
            glFinish();
            while (glGetError() != GL_NO_ERROR)
                ++gl_errors;
            if (i == 0)
                start[pass] = resources_now();
        }
        end[pass] = resources_now();
    }
    demo_shutdown();
    virtual_clock_uninstall();

    for (int pass = 0; pass < 2; ++pass)
        printf("pass %d: first frame: RSS %ld kB, heap %ld kB, %d fds; last frame: RSS %ld kB, "
               "heap %ld kB, %d fds\n",
               pass + 1, start[pass].rss_kb, start[pass].heap_kb, start[pass].fds, end[pass].rss_kb,
               end[pass].heap_kb, end[pass].fds);
    EXPECT_EQ(gl_errors, 0);
    EXPECT_EQ(end[0].fds, start[0].fds) << "descriptors leaked over the timeline";
    EXPECT_EQ(end[1].fds, start[0].fds) << "descriptors leaked over the second pass";
    // Bounds: 1 MB of heap over 1001 frames, i.e. less than 1 kB kept per frame; 4 MB resident
    // (allocator fragmentation).
    EXPECT_LE(end[1].heap_kb - end[0].heap_kb, 1024) << "heap grew over the timeline";
    EXPECT_LE(end[1].rss_kb - end[0].rss_kb, 4 * 1024) << "memory grew over the timeline";
}
