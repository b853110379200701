// The built demo as a user runs it, headless: offscreen video, dummy audio.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>

#include "support/child_process.h"

namespace {

// Generous: the soundtrack is decoded and every scene built before the first frame.
constexpr double startup_timeout_s = 60.0;
constexpr double shutdown_timeout_s = 5.0;
// The soundtrack the build composed, in place of the installed one.
const std::string music_path = std::string(OSKE_BUILD_DIR) + "/music.xm";

struct DemoRun {
    ChildProcess child;
    std::string trace;
    int status = 0;
    bool ended = false;
};

DemoRun start_demo(const std::vector<EnvChange>& extra = {}) {
    DemoRun run;
    run.trace = make_temp_file("oske-trace");
    std::vector<EnvChange> env = {{"SDL_VIDEODRIVER", "offscreen"},
                                  {"SDL_AUDIODRIVER", "dummy"},
                                  {"OSKE_TEST_TRACE", run.trace},
                                  {"OSKE_TEST_MUSIC_PATH", OSKE_BUILD_DIR "/music.xm"}};
    env.insert(env.end(), extra.begin(), extra.end());
    run.child = child_start({OSKE_BINARY_PATH}, env);
    return run;
}

void finish(DemoRun& run, double timeout_s) {
    run.ended = child_wait(run.child, timeout_s, &run.status);
}

std::string describe(const DemoRun& run) {
    return "trace:\n" + read_text_file(run.trace) + "stdout:\n" + child_stdout(run.child) +
           "stderr:\n" + child_stderr(run.child);
}

void cleanup(DemoRun& run) {
    child_cleanup(run.child);
    unlink(run.trace.c_str());
}

void expect_clean_exit(const DemoRun& run) {
    ASSERT_TRUE(run.ended) << "did not end in time\n" << describe(run);
    ASSERT_TRUE(WIFEXITED(run.status)) << "killed by signal " << WTERMSIG(run.status) << "\n"
                                       << describe(run);
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << describe(run);
    std::string trace = read_text_file(run.trace);
    EXPECT_NE(trace.find("shutdown\n"), std::string::npos) << describe(run);
    EXPECT_NE(trace.find("ended\n"), std::string::npos) << describe(run);
}

// Number of frames the trace says were presented.
long frames_presented(const DemoRun& run) {
    std::string trace = read_text_file(run.trace);
    size_t at = trace.find("frames ");
    return at == std::string::npos ? -1 : std::stol(trace.substr(at + 7));
}

} // namespace

TEST(Binary, RunsFramesAndEndsOnSigtermWithStatusZero) {
    DemoRun run = start_demo();
    ASSERT_TRUE(wait_for_text(run.child, run.trace, "running", startup_timeout_s)) << describe(run);
    usleep(300 * 1000);
    kill(run.child.pid, SIGTERM);
    auto signalled = std::chrono::steady_clock::now();
    finish(run, shutdown_timeout_s);
    double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    expect_clean_exit(run);
    EXPECT_GT(frames_presented(run), 1) << describe(run);
    EXPECT_LT(took, shutdown_timeout_s);
    EXPECT_EQ(child_stdout(run.child), "");
    cleanup(run);
}

// Starts the demo, signals it once the trace shows `milestone` and expects its shut-down within
// timeout_s. Returns the frames it presented.
static long signal_and_expect_clean_exit(int sig, const char* milestone, double timeout_s) {
    SCOPED_TRACE(strsignal(sig));
    DemoRun run = start_demo();
    EXPECT_TRUE(wait_for_text(run.child, run.trace, milestone, startup_timeout_s)) << describe(run);
    kill(run.child.pid, sig);
    finish(run, timeout_s);
    expect_clean_exit(run);
    long frames = frames_presented(run);
    cleanup(run);
    return frames;
}

// Ctrl-C, a closed terminal, the quit key, a reader of our output gone: each ends the demo
// through its shut-down, never by the default action that would skip it.
TEST(Binary, EveryTerminatingSignalEndsLikeAQuit) {
    for (int sig : {SIGINT, SIGHUP, SIGQUIT, SIGPIPE})
        EXPECT_GT(signal_and_expect_clean_exit(sig, "running", shutdown_timeout_s), 0);
}

TEST(Binary, SignalDuringStartupStillShutsDownCleanly) {
    // The handlers are in place once start-up has begun; the window, the song and the scene
    // data are still ahead. At most a frame or two follows: the quit is seen at the first poll.
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE})
        EXPECT_LE(signal_and_expect_clean_exit(sig, "startup", startup_timeout_s), 2);
}

TEST(Binary, SignalDuringShutdownDoesNotCutItShort) {
    DemoRun run = start_demo();
    ASSERT_TRUE(wait_for_text(run.child, run.trace, "running", startup_timeout_s)) << describe(run);
    kill(run.child.pid, SIGTERM);
    // Keep signalling while it shuts down; it may have ended already, which is fine.
    for (int i = 0; i < 50 && !wait_for_text(run.child, run.trace, "ended", 0.0); ++i) {
        kill(run.child.pid, i % 2 ? SIGINT : SIGTERM);
        usleep(2000);
    }
    finish(run, shutdown_timeout_s);
    expect_clean_exit(run);
    cleanup(run);
}

TEST(Binary, UnknownVideoDriverFailsWithOneMessage) {
    DemoRun run = start_demo({{"SDL_VIDEODRIVER", "no-such-driver"}});
    finish(run, shutdown_timeout_s);
    ASSERT_TRUE(run.ended) << describe(run);
    ASSERT_TRUE(WIFEXITED(run.status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(run.status), 1);
    std::string err = child_stderr(run.child);
    EXPECT_NE(err.find("oske: cannot initialise video"), std::string::npos) << err;
    EXPECT_NE(err.find("no-such-driver"), std::string::npos) << "SDL's reason missing: " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(read_text_file(run.trace).find("running"), std::string::npos);
    cleanup(run);
}

TEST(Binary, VideoDriverWithoutOpenGlFailsWithOneMessage) {
    // SDL's dummy video driver exists but can make no GL window.
    DemoRun run = start_demo({{"SDL_VIDEODRIVER", "dummy"}});
    finish(run, shutdown_timeout_s);
    ASSERT_TRUE(run.ended) << describe(run);
    ASSERT_TRUE(WIFEXITED(run.status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(run.status), 1);
    std::string err = child_stderr(run.child);
    EXPECT_NE(err.find("oske: cannot create the window: "), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(child_stdout(run.child), "");
    cleanup(run);
}

namespace {

// Start-up with a bad soundtrack: one line on standard output, status 1, no frame drawn and
// nothing left running.
void expect_music_failure(const std::vector<EnvChange>& env, const std::string& message) {
    DemoRun run = start_demo(env);
    finish(run, startup_timeout_s);
    ASSERT_TRUE(run.ended) << "hung\n" << describe(run);
    ASSERT_TRUE(WIFEXITED(run.status)) << "crashed\n" << describe(run);
    EXPECT_EQ(WEXITSTATUS(run.status), 1) << describe(run);
    EXPECT_EQ(child_stdout(run.child), message + "\n") << describe(run);
    EXPECT_EQ(read_text_file(run.trace), "startup\nfailed\n") << describe(run);
    cleanup(run);
}

std::string write_temp(const std::string& bytes) {
    std::string path = make_temp_file("oske-music");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

TEST(Binary, MusicMissing) {
    expect_music_failure({{"OSKE_TEST_MUSIC_PATH", "/nonexistent/music.xm"}},
                         "couldn't find music.xm");
}

TEST(Binary, MusicEmptyGarbageOrADirectory) {
    std::string empty = write_temp("");
    std::string garbage_bytes;
    for (int i = 0; i < 50000; ++i)
        garbage_bytes += (char)((i * 7919) >> 3);
    std::string garbage = write_temp(garbage_bytes);
    std::string dir = make_temp_file("oske-dir");
    unlink(dir.c_str());
    mkdir(dir.c_str(), 0700);
    for (const std::string& path : {empty, garbage})
        expect_music_failure({{"OSKE_TEST_MUSIC_PATH", path}},
                             "couldn't load music.xm: error loading file");
    expect_music_failure({{"OSKE_TEST_MUSIC_PATH", dir}},
                         "couldn't load music.xm: not a regular file");
    unlink(empty.c_str());
    unlink(garbage.c_str());
    rmdir(dir.c_str());
}

TEST(Binary, MusicTruncated) {
    std::string song = read_text_file(music_path);
    ASSERT_GT(song.size(), 1000u);
    // Cut in the sample data (libopenmpt would play it, silently short) and in the headers.
    // Judged before the loader sees it, so a cut in the headers says the same.
    for (size_t cut : {song.size() / 2, song.size() - 1, (size_t)400, (size_t)100}) {
        std::string path = write_temp(song.substr(0, cut));
        expect_music_failure({{"OSKE_TEST_MUSIC_PATH", path}},
                             "couldn't load music.xm: the file is truncated");
        unlink(path.c_str());
    }
}

TEST(Binary, MusicThatIsNoRegularFileIsRefusedWithoutWaitingForIt) {
    // A FIFO nobody writes to: opening it for reading in the usual way waits for a writer
    // forever. A device is no song either.
    std::string fifo = make_temp_file("oske-fifo");
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const char* path : {fifo.c_str(), "/dev/zero"})
        expect_music_failure({{"OSKE_TEST_MUSIC_PATH", path}},
                             "couldn't load music.xm: not a regular file");

    // Not even opened: opening a device can act on it (a serial line, a tape). A writer waiting
    // at the FIFO would be let through by any open for reading; it must still be waiting.
    pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        int fd = open(fifo.c_str(), O_WRONLY);
        _exit(fd >= 0 ? 0 : 1);
    }
    expect_music_failure({{"OSKE_TEST_MUSIC_PATH", fifo}},
                         "couldn't load music.xm: not a regular file");
    usleep(100 * 1000);
    EXPECT_EQ(waitpid(writer, nullptr, WNOHANG), 0) << "the demo opened the FIFO";
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    unlink(fifo.c_str());
}

TEST(Binary, MusicLargerThan64MiBIsRefusedBeforeItIsRead) {
    // The real song at the start, then a hole up to the size: a valid XM (trailing bytes do no
    // harm) that reading whole would cost its full size in memory and time.
    std::string song = read_text_file(music_path);
    for (off_t size : {(off_t)(64 << 20) + 1, (off_t)2 << 30}) {
        std::string path = write_temp(song);
        ASSERT_EQ(truncate(path.c_str(), size), 0);
        expect_music_failure({{"OSKE_TEST_MUSIC_PATH", path}},
                             "couldn't load music.xm: the file is larger than 64 MiB");
        unlink(path.c_str());
    }
}

TEST(Binary, UnknownAudioDriver) {
    expect_music_failure({{"SDL_AUDIODRIVER", "no-such-driver"}}, "SDL_INIT_AUDIO fail");
}
