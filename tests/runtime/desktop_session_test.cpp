// The demo in a real X11 window, as a desktop user meets it: Xvfb for the screen (GLX through
// Mesa), a small window manager (jwm) that does fullscreen and closes windows, and keys pressed
// through the X server by xdotool.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "support/run_program.h"
#include "support/xwd_image.h"

namespace {

constexpr int screen_w = 1920, screen_h = 1080;
// A frame of scene 10's tower field: lines in many colours from the first frame on.
const char* start_ms = "188000";

bool poll_until(double timeout_s, const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_s);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

struct WindowGeometry {
    int x = -1, y = -1, width = 0, height = 0;
};

// "  Absolute upper-left X:  320" and the like, from xwininfo.
int xwininfo_field(const std::string& text, const std::string& name) {
    size_t at = text.find(name);
    return at == std::string::npos ? -1 : atoi(text.c_str() + at + name.size());
}

void stop_child(ChildProcess& child) {
    if (child.pid <= 0)
        return;
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    child_cleanup(child);
    child.pid = -1;
}

// The share of the image right of x_from that is not its most common colour: near zero for a
// cleared background (wide lines may reach a little past the edge of a smaller viewport), a
// good part for a drawn picture.
double share_drawn_right_of(const XwdImage& image, uint32_t x_from) {
    std::unordered_map<uint32_t, long> counts;
    long total = 0;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = x_from; x < image.width; ++x, ++total)
            ++counts[image.pixels[(size_t)y * image.width + x]];
    long most = 0;
    for (const auto& [colour, count] : counts)
        most = std::max(most, count);
    return total ? (double)(total - most) / total : 0.0;
}

// The share of the image right of x_from that changed between two screenshots of one size.
double share_moved_right_of(const XwdImage& a, const XwdImage& b, uint32_t x_from) {
    if (a.width != b.width || a.height != b.height || a.width <= x_from)
        return 0.0;
    long changed = 0;
    for (uint32_t y = 0; y < a.height; ++y)
        for (uint32_t x = x_from; x < a.width; ++x) {
            size_t i = (size_t)y * a.width + x;
            changed += a.pixels[i] != b.pixels[i];
        }
    return (double)changed / ((double)(a.width - x_from) * a.height);
}

class DesktopSession : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "jwm", "xdotool", "xwininfo", "xprop", "xwd"})
            if (find_on_path(tool).empty())
                GTEST_SKIP() << tool << " is not installed (the README's test command brings it)";
        // Xvfb picks a free display and writes its number once it takes clients.
        display_file_ = make_temp_file("oske-display");
        xvfb_ = child_start({"/bin/sh", "-c",
                             "exec Xvfb -displayfd 3 -screen 0 " + std::to_string(screen_w) + "x" +
                                 std::to_string(screen_h) + "x24 -nolisten tcp 3>" + display_file_},
                            {{"PATH", getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin"}});
        ASSERT_TRUE(wait_for_text(xvfb_, display_file_, "\n", 30.0))
            << "Xvfb did not start: " << child_stderr(xvfb_);
        display_ = ":" + std::to_string(atoi(read_text_file(display_file_).c_str()));

        // No menus, no tray: only what a user's window manager does to a window, and Alt+F4
        // for its close button.
        wm_config_ = make_temp_file("oske-jwmrc");
        std::ofstream(wm_config_) << "<?xml version=\"1.0\"?>\n<JWM>\n"
                                     "  <Key mask=\"A\" key=\"F4\">close</Key>\n</JWM>\n";
        wm_ = child_start({find_on_path("jwm"), "-f", wm_config_}, {{"DISPLAY", display_}});
        ASSERT_TRUE(poll_until(
            30.0,
            [&] {
                return x({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).out.find("window id") !=
                       std::string::npos;
            }))
            << "the window manager did not start: " << child_stderr(wm_);
        trace_ = make_temp_file("oske-trace");
        shot_ = make_temp_file("oske-shot");
    }

    void TearDown() override {
        stop_child(demo_);
        stop_child(wm_);
        stop_child(xvfb_);
        for (const std::string& path : {display_file_, wm_config_, trace_, shot_})
            if (!path.empty())
                unlink(path.c_str());
    }

    // An X client of this display.
    ProgramOutput x(std::vector<std::string> argv, double timeout_s = 30.0) {
        return run_program(argv, {{"DISPLAY", display_}}, timeout_s);
    }

    // Starts the demo on this display and gives its window once it shows.
    std::string start_demo() {
        demo_ =
            child_start({OSKE_BINARY_PATH}, {{"DISPLAY", display_},
                                             {"SDL_VIDEODRIVER", "x11"},
                                             {"SDL_AUDIODRIVER", "dummy"},
                                             {"OSKE_TEST_START_MS", start_ms},
                                             {"OSKE_TEST_MUSIC_PATH", OSKE_BUILD_DIR "/music.xm"},
                                             {"OSKE_TEST_TRACE", trace_}});
        if (!wait_for_text(demo_, trace_, "running", 60.0))
            return "";
        ProgramOutput found =
            x({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Quorvent::OSKE$"}, 60.0);
        return found.status == 0 ? found.out.substr(0, found.out.find('\n')) : "";
    }

    WindowGeometry geometry(const std::string& window) {
        std::string info = x({"xwininfo", "-id", window}).out;
        return {xwininfo_field(info, "Absolute upper-left X:"),
                xwininfo_field(info, "Absolute upper-left Y:"), xwininfo_field(info, "Width:"),
                xwininfo_field(info, "Height:")};
    }

    bool fullscreen(const std::string& window) {
        return x({"xprop", "-id", window, "_NET_WM_STATE"}).out.find("_NET_WM_STATE_FULLSCREEN") !=
               std::string::npos;
    }

    // What the window shows on screen, as the X server has it.
    bool screenshot(const std::string& window, XwdImage* image) {
        std::string error;
        return x({"xwd", "-id", window, "-silent", "-out", shot_}).status == 0 &&
               xwd_read(shot_, image, &error);
    }

    // Colours on screen in the window: the bare background has one or two, a drawn scene many.
    size_t colours_shown(const std::string& window) {
        XwdImage image;
        return screenshot(window, &image) ? xwd_distinct_colours(image) : 0;
    }

    void press(const std::string& window, const char* key) {
        ASSERT_EQ(x({"xdotool", "windowfocus", "--sync", window}).status, 0);
        ASSERT_EQ(x({"xdotool", "key", key}).status, 0);
    }

    // The demo's exit status once it has ended by itself (-1 when it has not within 20 s).
    int demo_status() {
        int status = 0;
        if (!child_wait(demo_, 20.0, &status))
            return -1;
        demo_.pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string log() { return read_text_file(trace_) + child_stderr(demo_); }

    std::string display_;
    ChildProcess demo_;
    std::string trace_;

  private:
    ChildProcess xvfb_, wm_;
    std::string display_file_, wm_config_, shot_;
};

} // namespace

// The window as it opens, "f" to fullscreen and back, then "q".
TEST_F(DesktopSession, WindowDrawsGoesFullscreenAndBackAndQuitsOnQ) {
    std::string window = start_demo();
    ASSERT_NE(window, "") << log();
    WindowGeometry opened = geometry(window);
    EXPECT_EQ(opened.width, 1280);
    EXPECT_EQ(opened.height, 720);
    // Centred, give or take the frame the window manager puts around it.
    EXPECT_NEAR(opened.x + opened.width / 2, screen_w / 2, 64);
    EXPECT_NEAR(opened.y + opened.height / 2, screen_h / 2, 64);
    ASSERT_TRUE(poll_until(30.0, [&] { return colours_shown(window) >= 64; }))
        << "the window shows no drawn picture";

    press(window, "f");
    ASSERT_TRUE(poll_until(10.0, [&] {
        WindowGeometry g = geometry(window);
        return fullscreen(window) && g.width == screen_w && g.height == screen_h;
    })) << "not fullscreen after f";
    EXPECT_EQ(geometry(window).x, 0);
    EXPECT_EQ(geometry(window).y, 0);
    // The picture follows the new size: drawn across the whole screen, not in a 1280 x 720
    // corner. What the window showed before the resize may linger beside it until the first
    // new frame, so the part right of x = 1280 must be drawn and moving.
    double drawn = 0, moved = 0;
    EXPECT_TRUE(poll_until(10.0,
                           [&] {
                               XwdImage first, second;
                               if (!screenshot(window, &first))
                                   return false;
                               std::this_thread::sleep_for(std::chrono::milliseconds(300));
                               if (!screenshot(window, &second))
                                   return false;
                               drawn = std::min(share_drawn_right_of(first, 1280),
                                                share_drawn_right_of(second, 1280));
                               moved = share_moved_right_of(first, second, 1280);
                               return drawn >= 0.05 && moved >= 0.01;
                           }))
        << "the fullscreen picture does not fill the screen: right of x = 1280, " << drawn * 100
        << " % drawn, " << moved * 100 << " % moved";
    printf("fullscreen, right of x = 1280: %.1f %% drawn, %.1f %% moved in 0.3 s\n", drawn * 100,
           moved * 100);

    press(window, "f");
    ASSERT_TRUE(poll_until(10.0, [&] {
        WindowGeometry g = geometry(window);
        return !fullscreen(window) && g.width == 1280 && g.height == 720;
    })) << "not back to 1280 x 720 after the second f";

    press(window, "q");
    EXPECT_EQ(demo_status(), 0) << log();
    EXPECT_NE(read_text_file(trace_).find("ended"), std::string::npos) << log();
}

// The window manager's close (its button, or Alt+F4) ends the demo like a quit.
TEST_F(DesktopSession, ClosingTheWindowEndsTheDemoWithStatusZero) {
    std::string window = start_demo();
    ASSERT_NE(window, "") << log();
    press(window, "alt+F4");
    EXPECT_EQ(demo_status(), 0) << log();
    EXPECT_NE(read_text_file(trace_).find("ended"), std::string::npos) << log();
}
