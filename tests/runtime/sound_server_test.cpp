// The demo's sound through a real sound server, as on a desktop: a private PulseAudio daemon
// with a null sink at the demo's own format, its monitor recorded with parec. Sound servers take
// a moment to start a stream and fill their own buffers on the way; the song must still be heard
// from its first note.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>
#include <string>
#include <thread>
#include <vector>

#include "support/run_program.h"

namespace {

const char* music_path = OSKE_BUILD_DIR "/music.xm";
constexpr int rate = 48000;
constexpr double run_s = 6.0;     // timeline played
constexpr double window_s = 0.25; // stretch of the recording placed at once

// The song's first seconds as libopenmpt renders them: 48 kHz stereo float, as the demo queues.
std::vector<float> song_start(double seconds) {
    std::ifstream file(music_path, std::ios::binary);
    openmpt::module module(file);
    std::vector<float> out((size_t)(seconds * rate) * 2);
    size_t done = 0;
    while (done < out.size() / 2) {
        size_t n = module.read_interleaved_stereo(
            rate, std::min<size_t>(4096, out.size() / 2 - done), out.data() + done * 2);
        if (n == 0)
            break;
        done += n;
    }
    out.resize(done * 2);
    return out;
}

std::vector<float> read_floats(const std::string& path) {
    struct stat st;
    std::vector<float> samples(stat(path.c_str(), &st) == 0 ? (size_t)st.st_size / 4 : 0);
    std::ifstream(path, std::ios::binary)
        .read(reinterpret_cast<char*>(samples.data()), (std::streamsize)samples.size() * 4);
    return samples;
}

long first_sound(const std::vector<float>& stereo) {
    for (size_t i = 0; i < stereo.size(); ++i)
        if (std::fabs(stereo[i]) > 1e-4f)
            return (long)(i / 2);
    return -1;
}

// Whether `frames` frames of a from frame a_at equal b from frame b_at (a sound server at the
// source's format and full volume passes samples through unchanged).
bool same_sound(const std::vector<float>& a, long a_at, const std::vector<float>& b, long b_at,
                long frames) {
    if (a_at < 0 || b_at < 0 || (size_t)(a_at + frames) * 2 > a.size() ||
        (size_t)(b_at + frames) * 2 > b.size())
        return false;
    for (long i = 0; i < frames * 2; ++i)
        if (std::fabs(a[(size_t)a_at * 2 + i] - b[(size_t)b_at * 2 + i]) > 1e-4f)
            return false;
    return true;
}

void stop_child(ChildProcess& child, int sig) {
    if (child.pid <= 0)
        return;
    kill(child.pid, sig);
    int status;
    if (!child_wait(child, 10.0, &status))
        fprintf(stderr, "%d did not end on signal %d\n", (int)child.pid, sig);
    child.pid = -1;
}

} // namespace

TEST(SoundServer, PulseAudioPlaysTheSongFromItsFirstNote) {
#if defined(__SANITIZE_ADDRESS__)
    // The daemon's and libpulse's own allocations are not ours to judge.
    GTEST_SKIP() << "not run under AddressSanitizer";
#endif
    for (const char* tool : {"pulseaudio", "pactl", "parec"})
        if (find_on_path(tool).empty())
            GTEST_SKIP() << tool << " is not installed (the README's test command brings it)";

    char dir_template[] = "/tmp/oske-pulse-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    // The daemon, its clients and its cookie live in a folder of this test's own.
    const std::vector<EnvChange> pulse_env = {
        {"XDG_RUNTIME_DIR", dir}, {"HOME", dir}, {"PULSE_SERVER", "unix:" + dir + "/native"}};
    ChildProcess daemon = child_start(
        {find_on_path("pulseaudio"), "--daemonize=no", "-n", "--exit-idle-time=-1",
         "--use-pid-file=no", "--disallow-exit", "--log-target=stderr",
         "--load=module-null-sink sink_name=oske rate=48000 format=float32le channels=2",
         "--load=module-native-protocol-unix auth-anonymous=1 socket=" + dir + "/native"},
        pulse_env);
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        ready = run_program({"pactl", "info"}, pulse_env, 10.0).status == 0;
        if (!ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(ready) << "PulseAudio did not start: " << child_stderr(daemon);

    ChildProcess recorder =
        child_start({find_on_path("parec"), "-d", "oske.monitor", "--format=float32le",
                     "--rate=48000", "--channels=2", "--raw"},
                    pulse_env);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    std::string trace = make_temp_file("oske-trace");
    std::vector<EnvChange> demo_env = pulse_env;
    demo_env.insert(demo_env.end(),
                    {{"SDL_VIDEODRIVER", "offscreen"},
                     {"SDL_AUDIODRIVER", "pulseaudio"},
                     {"OSKE_TEST_LAST_FRAME_MS", std::to_string((int)(run_s * 1000))},
                     {"OSKE_TEST_MUSIC_PATH", music_path},
                     {"OSKE_TEST_TRACE", trace}});
    ProgramOutput demo = run_program({OSKE_BINARY_PATH}, demo_env, 120.0);
    std::string log = read_text_file(trace) + demo.out + demo.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stop_child(recorder, SIGINT);
    std::vector<float> heard = read_floats(recorder.stdout_path);
    child_cleanup(recorder);
    stop_child(daemon, SIGTERM);
    child_cleanup(daemon);
    unlink(trace.c_str());
    run_program({"rm", "-rf", dir});
    ASSERT_EQ(demo.status, 0) << log;

    std::vector<float> song = song_start(run_s + 2.0);
    long heard_first = first_sound(heard), song_first = first_sound(song);
    ASSERT_GE(heard_first, 0) << "nothing was heard\n" << log;
    ASSERT_GE(song_first, 0);
    // What is heard first is the song's first note: the start was not skipped to catch up with
    // a clock that ran while the server was starting the stream.
    EXPECT_TRUE(same_sound(heard, heard_first, song, song_first, rate / 10))
        << "the first sound heard is not the song's first note\n"
        << log;

    // From there the song goes on as it was written: the windows that lie where the first note
    // put them. Only reported: on a loaded machine the server may run dry and play silence.
    long window = (long)(window_s * rate), in_place = 0, windows = 0;
    for (long at = 0; (at + window) <= (long)((run_s - 1.0) * rate); at += window, ++windows)
        in_place += same_sound(heard, heard_first + at, song, song_first + at, window);
    size_t summary = log.find("frames");
    printf("heard from the first note: %ld of %ld windows of %.2f s in place (%s)\n", in_place,
           windows, window_s, summary == std::string::npos ? "" : log.substr(summary).c_str());
}
