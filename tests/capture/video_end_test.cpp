// How a video run ends when ffmpeg misbehaves or the capture is told to stop at an awkward
// moment: never with ffmpeg left running, a partial file left behind or a stop request lost.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "capture_harness.h"
#include "support/child_process.h"

namespace fs = std::filesystem;

namespace {

// A capture of a video through the stand-in ffmpeg, in scratch folders of its own.
struct FakeVideoRun {
    ScratchDir out, tmp, bin;
    std::string marker;
    std::string partial; // the prefix of the video's partial file, in ffmpeg's command line
    ChildProcess capture;

    FakeVideoRun(const char* mode, const std::string& size, const std::vector<std::string>& extra,
                 const std::string& remove_at_start = "") {
        marker = tmp.file("marker");
        partial = out.file("v.mp4.");
        std::string tiny = tmp.file("tiny.xm");
        write_tiny_module(tiny);
        fs::create_symlink(OSKE_FAKE_FFMPEG_PATH, bin.file("ffmpeg"));
        std::vector<std::string> argv = {OSKE_CAPTURE_PATH,
                                         "--music",
                                         tiny,
                                         "--from",
                                         "0",
                                         "--to",
                                         "4000",
                                         "--fps",
                                         "10",
                                         "--size",
                                         size,
                                         "--video",
                                         out.file("v.mp4"),
                                         "--quiet"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        std::vector<EnvChange> env = {{"PATH", bin.path + ":/usr/bin:/bin"},
                                      {"TMPDIR", tmp.path},
                                      {"FAKE_FFMPEG_MODE", mode},
                                      {"FAKE_FFMPEG_MARKER", marker}};
        if (!remove_at_start.empty())
            env.push_back({"FAKE_FFMPEG_REMOVE", remove_at_start});
        capture = child_start(argv, env);
    }
    ~FakeVideoRun() { child_cleanup(capture); }

    bool reached_marker() {
        for (int i = 0; i < 1200; ++i) {
            if (fs::exists(marker))
                return true;
            int status;
            if (waitpid(capture.pid, &status, WNOHANG) != 0)
                return false; // ended first; the test reports how
            usleep(50000);
        }
        return false;
    }

    // Waits for the capture to end; false (it is killed) when it does not within the time.
    bool ends(int* exit_status) {
        int status = 0;
        if (!child_wait(capture, 30.0, &status))
            return false;
        *exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }

    // Nothing of the run may stay: no ffmpeg, no partial video, no soundtrack in TMPDIR.
    void expect_nothing_left(const std::vector<std::string>& kept_in_out = {}) {
        EXPECT_EQ(processes_mentioning(partial), 0) << "ffmpeg left running";
        EXPECT_EQ(list_dir(out.path), kept_in_out);
        std::vector<std::string> in_tmp = list_dir(tmp.path);
        in_tmp.erase(std::remove(in_tmp.begin(), in_tmp.end(), "marker"), in_tmp.end());
        EXPECT_EQ(in_tmp, std::vector<std::string>{"tiny.xm"});
    }
};

// Sends the capture SIGTERM once the stand-in has reached its marker: the run must end as an
// interrupted one, with nothing left behind.
void expect_stop_honoured(FakeVideoRun& run, const char* if_not) {
    ASSERT_TRUE(run.reached_marker()) << child_stderr(run.capture);
    kill(run.capture.pid, SIGTERM);
    int status = -1;
    ASSERT_TRUE(run.ends(&status)) << if_not;
    EXPECT_EQ(status, 130);
    EXPECT_EQ(child_stderr(run.capture), "oske-capture: interrupted\n");
    run.expect_nothing_left();
}

} // namespace

TEST(VideoEnd, AStopWhileFfmpegFinishesEndsItAndTheRun) {
    // "deaf" ignores SIGTERM: the capture must kill it once its grace is over.
    for (const char* mode : {"linger", "deaf"}) {
        SCOPED_TRACE(mode);
        // The marker says ffmpeg has all the frames: the capture is waiting for it to end.
        FakeVideoRun run(mode, "64x36", {});
        expect_stop_honoured(run, "the stop request was ignored");
    }
}

TEST(VideoEnd, AStopDuringAFrameFfmpegIsSlowToTakeIsNotLost) {
    // Frames of 320 x 180 are larger than the pipe: the first write blocks part way, and the
    // stop request makes it return the part it took. The next write would block for good.
    FakeVideoRun run("stall", "320x180", {});
    expect_stop_honoured(run, "the stop request was lost");
}

TEST(VideoEnd, AContactSheetThatCannotBeWrittenStopsFfmpeg) {
    // The sheet's folder is there when the run is checked and gone when the sheet is written:
    // the stand-in removes it before it takes the first frame, so before the last is drawn.
    ScratchDir sheets;
    std::string folder = sheets.file("gone");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    FakeVideoRun run("linger", "64x36", {"--contact-sheet", folder + "/sheet.png"}, folder);
    int status = -1;
    ASSERT_TRUE(run.ends(&status));
    EXPECT_EQ(status, 1);
    EXPECT_NE(child_stderr(run.capture).find("cannot write '" + folder + "/sheet.png'"),
              std::string::npos)
        << child_stderr(run.capture);
    run.expect_nothing_left();
}
