// The built demo over stretches of its timeline, headless: sound and picture stay in step
// through a stop and continue (SDL's disk audio driver writes what would be heard), and
// resident memory stays bounded under the offscreen video driver.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace {

const char* music_path = OSKE_BUILD_DIR "/music.xm";
constexpr int rate = 48000;
constexpr int device_frames = 4096; // one device buffer, written to the disk file at once
constexpr int decimation = 16;      // sound is compared at 3 kHz, plenty to place it
constexpr double window_s = 0.25;   // length of sound placed in the song at once
constexpr double startup_timeout_s = 60.0;

double now_s() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Mono, averaged over `decimation` frames: a crude low-pass that keeps the song's shape.
struct Decimator {
    std::vector<float> out;
    double sum = 0;
    int count = 0;
    void add(float left, float right) {
        sum += 0.5 * (left + right);
        if (++count == decimation) {
            out.push_back((float)(sum / decimation));
            sum = 0;
            count = 0;
        }
    }
};

// The whole song as libopenmpt renders it from the start, once.
std::vector<float> song_decimated() {
    std::ifstream file(music_path, std::ios::binary);
    openmpt::module module(file);
    module.set_repeat_count(0);
    Decimator d;
    std::vector<float> block(2 * device_frames);
    size_t n;
    while ((n = module.read_interleaved_stereo(rate, device_frames, block.data())) > 0)
        for (size_t i = 0; i < n; ++i)
            d.add(block[2 * i], block[2 * i + 1]);
    return d.out;
}

// The disk driver's file: 48 kHz stereo float, as the demo asks for.
std::vector<float> written_decimated(const std::string& path, long long* frames, long long* first) {
    struct stat st;
    std::vector<float> samples(stat(path.c_str(), &st) == 0 ? (size_t)st.st_size / 4 : 0);
    std::ifstream file(path, std::ios::binary);
    file.read(reinterpret_cast<char*>(samples.data()), (std::streamsize)samples.size() * 4);
    Decimator d;
    *frames = (long long)samples.size() / 2;
    *first = -1;
    for (long long i = 0; i < *frames; ++i) {
        if (*first < 0 &&
            (std::fabs(samples[2 * i]) > 1e-4f || std::fabs(samples[2 * i + 1]) > 1e-4f))
            *first = i;
        d.add(samples[2 * i], samples[2 * i + 1]);
    }
    return d.out;
}

double correlation(const float* a, const float* b, int n) {
    double ab = 0, aa = 0, bb = 0;
    for (int i = 0; i < n; ++i) {
        ab += (double)a[i] * b[i];
        aa += (double)a[i] * a[i];
        bb += (double)b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

struct Placement {
    double song_s = -1; // where in the song the window lies
    double score = 0;   // normalised correlation there
};

// Places the written window starting at frame `at` in the song, within guess_s +- range_s.
Placement place(const std::vector<float>& written, long long at, const std::vector<float>& song,
                double guess_s, double range_s) {
    int n = (int)(window_s * rate / decimation);
    long long from = at / decimation;
    Placement best;
    if (from + n > (long long)written.size())
        return best;
    long long lo = std::max(0LL, (long long)((guess_s - range_s) * rate / decimation));
    long long hi =
        std::min((long long)song.size() - n, (long long)((guess_s + range_s) * rate / decimation));
    // The song repeats some bars note for note: of equal matches, the one nearest the guess.
    for (long long lag = lo; lag <= hi; ++lag) {
        double c = correlation(&written[from], &song[lag], n);
        double song_s = (double)lag * decimation / rate;
        bool nearer = std::fabs(song_s - guess_s) < std::fabs(best.song_s - guess_s);
        if (c > best.score + 1e-3 || (c > best.score - 1e-3 && nearer)) {
            best.score = std::max(best.score, c);
            best.song_s = song_s;
        }
    }
    return best;
}

// Whether the song has anything audible in the window from song_s on.
bool sounds(const std::vector<float>& song, double song_s) {
    long long from = (long long)(song_s * rate / decimation);
    long long n = (long long)(window_s * rate / decimation);
    if (from < 0 || from + n > (long long)song.size())
        return false;
    double sum = 0;
    for (long long i = from; i < from + n; ++i)
        sum += (double)song[i] * song[i];
    return std::sqrt(sum / n) > 1e-3; // -60 dBFS
}

struct SizeSample {
    double t;
    long long bytes;
};

// When frame `frame` of the file was written (seconds since the first frame was drawn): its
// buffer appears at once, then plays out.
double written_at(const std::vector<SizeSample>& sizes, long long frame) {
    long long needed = (frame / device_frames + 1) * device_frames * 8LL;
    for (const SizeSample& s : sizes)
        if (s.bytes >= needed)
            return s.t + (double)(frame % device_frames) / rate;
    return -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

long last_frame_ms(const std::string& trace) {
    std::string text = read_text_file(trace);
    size_t at = text.find(" last ");
    return at == std::string::npos ? -1 : std::stol(text.substr(at + 6));
}

} // namespace

// SIGSTOP 1.5 s after the first frame, SIGCONT 2 s later: the picture jumps with the wall
// clock, and the sound must jump with it rather than resume where it stopped. The timeline
// starts at 190 s, so the run also shows the song reaching the demo's end with it.
TEST(HeadlessRun, StopAndContinueKeepsTheSoundOnTheClock) {
    constexpr double start_s = 190.0, run_before_stop_s = 1.5, stop_s = 2.0;
    std::string pcm = make_temp_file("oske-disk-audio");
    std::string trace = make_temp_file("oske-trace");
    ChildProcess child = child_start({OSKE_BINARY_PATH}, {{"SDL_VIDEODRIVER", "offscreen"},
                                                          {"SDL_AUDIODRIVER", "disk"},
                                                          {"SDL_DISKAUDIOFILE", pcm},
                                                          {"OSKE_TEST_START_MS", "190000"},
                                                          {"OSKE_TEST_MUSIC_PATH", music_path},
                                                          {"OSKE_TEST_TRACE", trace}});
    ASSERT_TRUE(wait_for_text(child, trace, "running", startup_timeout_s))
        << read_text_file(trace) << child_stderr(child);

    // Watch the file grow (each write is one device buffer) to know when every part of it
    // was written, and stop and continue the demo on the way.
    std::vector<SizeSample> sizes;
    double running_at = now_s(), stopped_at = -1, continued_at = -1;
    long long stop_bytes = 0, continue_bytes = 0;
    int status = 0;
    bool ended = false;
    while (now_s() - running_at < 90.0) {
        struct stat st;
        long long bytes = stat(pcm.c_str(), &st) == 0 ? (long long)st.st_size : 0;
        double t = now_s() - running_at;
        if (sizes.empty() || bytes != sizes.back().bytes)
            sizes.push_back({t, bytes});
        if (stopped_at < 0 && t >= run_before_stop_s) {
            stop_bytes = bytes;
            kill(child.pid, SIGSTOP);
            stopped_at = now_s() - running_at;
        } else if (stopped_at >= 0 && continued_at < 0 && t - stopped_at >= stop_s) {
            continue_bytes = bytes;
            continued_at = now_s() - running_at;
            kill(child.pid, SIGCONT);
        }
        if (waitpid(child.pid, &status, WNOHANG) == child.pid) {
            ended = true;
            break;
        }
        usleep(1000);
    }
    if (!ended) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, &status, 0);
    }
    std::string log = read_text_file(trace) + child_stderr(child);
    ASSERT_TRUE(ended) << "the demo did not end by itself\n" << log;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
    long last_ms = last_frame_ms(trace);
    ASSERT_GT(last_ms, 199999) << log;

    long long frames = 0, first = -1;
    std::vector<float> written = written_decimated(pcm, &frames, &first);
    std::vector<float> song = song_decimated();
    ASSERT_GE(first, 0) << "nothing but silence was written";
    long long window = (long long)(window_s * rate), step = window;
    long long stop_frame = stop_bytes / 8, continue_frame = continue_bytes / 8;
    printf("stopped %.3f s at file %.3f s; written %.3f s, the song from %.3f s\n",
           continued_at - stopped_at, (double)stop_frame / rate, (double)frames / rate,
           (double)first / rate);

    // Before the stop: how the song written lies against the time it was written.
    std::vector<double> before;
    for (long long at = first + rate / 10; at + window + rate / 10 <= stop_frame; at += step) {
        // Written before the watch began: when is not known.
        if ((at / device_frames + 1) * device_frames * 8LL <= sizes.front().bytes)
            continue;
        double guess = start_s + (double)(at - first) / rate;
        Placement p = place(written, at, song, guess, 1.0);
        double offset = p.song_s - written_at(sizes, at);
        printf("before: file %.3f s = song %.3f s (match %.3f), offset %+.3f s\n",
               (double)at / rate, p.song_s, p.score, offset);
        if (p.score >= 0.95)
            before.push_back(offset);
    }
    ASSERT_GE(before.size(), 2u) << "too little of the song before the stop";
    double reference = median(before);

    // From half a second after the continue: the same relation, the stop left behind.
    std::vector<double> after;
    int windows = 0;
    double last_song_s = -1;
    long long last_at = 0;
    for (long long at = continue_frame + rate / 2; at + window <= frames; at += step) {
        double when = written_at(sizes, at);
        // Past the song's last note there is nothing to place: silence matches nowhere.
        if (!sounds(song, reference + when))
            continue;
        ++windows;
        Placement p = place(written, at, song, reference + when, 2.5);
        double offset = p.song_s - when;
        printf("after:  file %.3f s = song %.3f s (match %.3f), offset %+.3f s, %+.3f s from "
               "before the stop\n",
               (double)at / rate, p.song_s, p.score, offset, offset - reference);
        // A window across a later correction of a starved device matches no one place.
        if (p.score < 0.95)
            continue;
        after.push_back(offset - reference);
        EXPECT_LE(std::fabs(offset - reference), 0.15) << "file " << (double)at / rate << " s";
        last_song_s = p.song_s;
        last_at = at;
    }
    ASSERT_GE(windows, 8);
    ASSERT_GE(after.size() * 2, (size_t)windows) << "the sound written does not follow the song";
    printf("offset after the stop, from before it: median %+.3f s\n", median(after));
    EXPECT_LE(std::fabs(median(after)), 0.1);
    // The demo ends on its clock at 200 s: the sound has got there too.
    double song_at_end = last_song_s + (double)(frames - last_at) / rate;
    printf("the sound written ends at song %.3f s, the last frame at %.3f s\n", song_at_end,
           last_ms / 1000.0);
    EXPECT_GE(song_at_end, last_ms / 1000.0 - 0.1);

    child_cleanup(child);
    unlink(pcm.c_str());
    unlink(trace.c_str());
}

// The offscreen driver draws into a pbuffer with no display to pace the frames: the demo must
// not let the renderer queue them without bound. 32 s of timeline, to the demo's end.
TEST(HeadlessRun, ResidentMemoryStaysBoundedUnderTheOffscreenDriver) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer's own allocator and quarantine say nothing about the demo's memory.
    GTEST_SKIP() << "memory bounds not checked under AddressSanitizer";
#endif
    std::string trace = make_temp_file("oske-trace");
    ChildProcess child = child_start({OSKE_BINARY_PATH}, {{"SDL_VIDEODRIVER", "offscreen"},
                                                          {"SDL_AUDIODRIVER", "dummy"},
                                                          {"OSKE_TEST_START_MS", "168000"},
                                                          {"OSKE_TEST_MUSIC_PATH", music_path},
                                                          {"OSKE_TEST_TRACE", trace}});
    double started = now_s(), next_report = started + 5.0;
    int status = 0;
    rusage usage{};
    bool ended = false;
    while (now_s() - started < 32.0 + 2 * startup_timeout_s) {
        if (wait4(child.pid, &status, WNOHANG, &usage) == child.pid) {
            ended = true;
            break;
        }
        if (now_s() >= next_report) {
            std::string text = read_text_file("/proc/" + std::to_string(child.pid) + "/status");
            size_t at = text.find("VmRSS:");
            if (at != std::string::npos)
                printf("%.0f s: %s\n", now_s() - started,
                       text.substr(at, text.find('\n', at) - at).c_str());
            next_report += 5.0;
        }
        usleep(20 * 1000);
    }
    if (!ended) {
        kill(child.pid, SIGKILL);
        wait4(child.pid, &status, 0, &usage);
    }
    std::string log = read_text_file(trace) + child_stderr(child);
    ASSERT_TRUE(ended) << log;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
    EXPECT_GT(last_frame_ms(trace), 199999) << log;
    printf("peak resident memory: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    EXPECT_LT(usage.ru_maxrss, 400L * 1024) << log;
    child_cleanup(child);
    unlink(trace.c_str());
}
