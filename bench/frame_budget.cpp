// frame_budget: what a frame of each scene costs on this machine, how long the demo takes to
// show its first frame, how much memory it holds, and how far each scene is above the cost of
// its GL work alone (the same frames replayed from an apitrace trace).
//
//   build/bench/frame_budget [--fps N] [--floor-fps N] [--size WxH] [--music FILE] [--no-floor]
//                            [--no-whole-run]
//
// Headless (SDL's offscreen driver, dummy audio unless set). Every measurement runs in a fresh
// child process of this program that goes through the demo's whole start-up, as the demo does;
// last, the built `oske` itself runs its whole timeline on the wall clock, for its frame count
// and resident memory.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "render/gl.h"
#include "runtime/demo.h"
#include "runtime/music_player.h"
#include "runtime/timeline.h"
#include "runtime/virtual_clock.h"

extern char** environ;

static long long bench_clock_ns(clockid_t clock) {
    timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

static long long bench_now_ns() {
    return bench_clock_ns(CLOCK_MONOTONIC);
}

// Processor time of every thread of the process, the renderer's workers included: unlike
// wall time it hardly moves when other programs load the machine.
static long long bench_cpu_ns() {
    return bench_clock_ns(CLOCK_PROCESS_CPUTIME_ID);
}

struct BenchOptions {
    int fps = 10;      // frames per second of demo time in the timed run
    int floor_fps = 2; // in the traced run (a trace holds every GL call: keep it small)
    int width = 1280;
    int height = 720;
    std::string music;
    bool floor = true;
    bool whole_run = true; // the demo itself over its whole timeline
    // Child side.
    bool child = false;
    std::string report;
    long long spawned_at_ns = 0;
    int from_ms = 0; // the child draws the frames of the grid within from ... to
    int to_ms = demo_last_frame_ms + 1;
};

// Frame k of the grid at k * 1000 / fps, those within from ... to; fps 0: frame 0 alone.
static std::vector<int> bench_frame_times(int fps, int from_ms, int to_ms) {
    std::vector<int> times;
    if (fps <= 0) {
        times.push_back(0);
        return times;
    }
    for (long long k = 0;; ++k) {
        long long t = k * 1000 / fps;
        if (t > to_ms)
            break;
        if (t >= from_ms)
            times.push_back((int)t);
    }
    return times;
}

static double bench_cpu_ms(const rusage& u) {
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The child: start-up, the frames, shut-down, with the figures written to the report file.
static int bench_child(const BenchOptions& o) {
    virtual_clock_install();
    DemoOptions demo = demo_default_options();
    demo.music_path = o.music.c_str();
    demo.audio = true; // as the demo runs: the whole song decoded and queued before frame 0
    demo.window.width = o.width;
    demo.window.height = o.height;
    demo.window.hidden = true;
    if (demo_startup(demo) != 0)
        return 1;
    std::vector<int> times = bench_frame_times(o.fps, o.from_ms, o.to_ms);
    std::vector<double> frame_ms(times.size()), frame_cpu_ms(times.size());
    long long first_presented_ns = 0;
    glFinish();
    for (size_t i = 0; i < times.size(); ++i) {
        virtual_clock_set_frame(times[i]);
        long long t0 = bench_now_ns(), c0 = bench_cpu_ns();
        // One pass of the demo's loop, the music's decoding ahead included.
        demo_poll_events();
        demo_render_frame();
        SDL_GL_SwapWindow(demo_window);
        music_player.pump();
        glFinish();
        long long t1 = bench_now_ns(), c1 = bench_cpu_ns();
        if (i == 0)
            first_presented_ns = t1;
        frame_ms[i] = (t1 - t0) / 1e6;
        frame_cpu_ms[i] = (c1 - c0) / 1e6;
        if (demo_quit)
            break;
    }
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    demo_shutdown();
    FILE* f = fopen(o.report.c_str(), "w");
    if (!f)
        return 1;
    if (o.spawned_at_ns)
        fprintf(f, "startup_ms %.3f\n", (first_presented_ns - o.spawned_at_ns) / 1e6);
    fprintf(f, "peak_rss_kb %ld\n", usage.ru_maxrss);
    for (size_t i = 0; i < times.size(); ++i)
        fprintf(f, "frame %d %.4f %.4f\n", times[i], frame_ms[i], frame_cpu_ms[i]);
    fclose(f);
    return 0;
}

struct ChildReport {
    bool ok = false;
    double startup_ms = 0;
    long peak_rss_kb = 0;
    std::vector<int> times;
    std::vector<double> frame_ms;
    std::vector<double> frame_cpu_ms;
};

// Starts args[0] (looked up on PATH) with its output in the two files; -1 on failure.
static pid_t bench_spawn(const std::vector<std::string>& args, const std::string& out_path,
                         const std::string& err_path) {
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Exit status, or 128 + the signal that ended it. With WNOHANG, -1 while it still runs.
static int bench_reap(pid_t pid, rusage* usage, int options = 0) {
    int status = 0;
    rusage ignored;
    pid_t r;
    while ((r = wait4(pid, &status, options, usage ? usage : &ignored)) < 0 && errno == EINTR) {
    }
    if (r == 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static int bench_spawn_wait(const std::vector<std::string>& args, const std::string& out_path,
                            const std::string& err_path, rusage* usage = nullptr) {
    pid_t pid = bench_spawn(args, out_path, err_path);
    return pid < 0 ? -1 : bench_reap(pid, usage);
}

static std::string bench_self() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "frame_budget";
    path[n] = '\0';
    return path;
}

static std::string bench_dir;

static void bench_show_log(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    int lines = 0;
    while (std::getline(in, line) && lines++ < 20)
        fprintf(stderr, "  | %s\n", line.c_str());
}

// Runs this program as a child at fps (0: start-up and the first frame only), optionally
// under a prefix such as the tracer.
static ChildReport bench_run_child(const BenchOptions& o, int fps,
                                   const std::vector<std::string>& prefix = {}, int from_ms = 0,
                                   int to_ms = demo_last_frame_ms + 1, rusage* usage = nullptr) {
    static int serial = 0;
    std::string base = bench_dir + "/run" + std::to_string(++serial);
    std::vector<std::string> args = prefix;
    args.insert(args.end(),
                {bench_self(), "--child", "--fps", std::to_string(fps), "--size",
                 std::to_string(o.width) + "x" + std::to_string(o.height), "--music", o.music,
                 "--report", base + ".report", "--from", std::to_string(from_ms), "--to",
                 std::to_string(to_ms), "--spawned-at"});
    args.push_back(std::to_string(bench_now_ns()));
    ChildReport r;
    int status = bench_spawn_wait(args, base + ".out", base + ".err", usage);
    if (status != 0) {
        fprintf(stderr, "frame_budget: a run failed (status %d):\n", status);
        bench_show_log(base + ".out");
        bench_show_log(base + ".err");
        return r;
    }
    std::ifstream in(base + ".report");
    std::string key;
    while (in >> key) {
        if (key == "startup_ms") {
            in >> r.startup_ms;
        } else if (key == "peak_rss_kb") {
            in >> r.peak_rss_kb;
        } else if (key == "frame") {
            int t;
            double ms, cpu_ms;
            in >> t >> ms >> cpu_ms;
            r.times.push_back(t);
            r.frame_ms.push_back(ms);
            r.frame_cpu_ms.push_back(cpu_ms);
        }
    }
    r.ok = !r.times.empty();
    return r;
}

static double bench_percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    // Nearest rank.
    size_t rank = (size_t)std::max(1.0, std::ceil(p * v.size()));
    return v[std::min(rank, v.size()) - 1];
}

// The replay's time per frame, from the finishing time stamps glretrace prints with
// --pframe-times. The first frame also replays the start-up calls and has no start stamp.
static std::vector<double> bench_replay(const std::string& trace, double* cpu_ms) {
    std::string out = bench_dir + "/replay.out", err = bench_dir + "/replay.err";
    // The surfaceless platform needs no display; glretrace's other platforms all do.
    setenv("WAFFLE_PLATFORM", "surfaceless_egl", 0);
    rusage usage{};
    int status =
        bench_spawn_wait({"eglretrace", "--headless", "--pframe-times", trace}, out, err, &usage);
    *cpu_ms = bench_cpu_ms(usage);
    std::vector<double> ms;
    if (status != 0) {
        fprintf(stderr, "frame_budget: eglretrace failed (status %d):\n", status);
        bench_show_log(err);
        return ms;
    }
    std::ifstream in(out);
    std::string line;
    long long previous = -1;
    while (std::getline(in, line)) {
        if (line.rfind("rendering_finished ", 0) != 0)
            continue;
        long long stamp = atoll(line.c_str() + 19);
        ms.push_back(previous < 0 ? -1.0 : (stamp - previous) / 1e6);
        previous = stamp;
    }
    return ms;
}

// The built demo beside the bench folder.
static std::string bench_demo_binary() {
    std::string self = bench_self();
    return self.substr(0, self.find_last_of('/')) + "/../oske";
}

static long bench_rss_kb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long kb = 0;
    while (in >> key)
        if (key == "VmRSS:" && in >> kb)
            return kb;
    return 0;
}

struct WholeRun {
    bool ok = false;
    long frames = 0;
    int last_ms = 0;
    static constexpr int marks = 3;
    int mark_s[marks] = {10, 30, 50};
    long rss_kb_at[marks] = {};
    long peak_rss_kb = 0;
};

// `oske` as a user starts it, in the offscreen driver, over its whole timeline: how many
// frames it presents and how much memory it holds. Its test-only trace gives the frame count.
static WholeRun bench_whole_run(const BenchOptions& o) {
    WholeRun w;
    std::string trace = bench_dir + "/oske.trace";
    setenv("OSKE_TEST_TRACE", trace.c_str(), 1);
    setenv("OSKE_TEST_MUSIC_PATH", o.music.c_str(), 1);
    long long started = bench_now_ns();
    pid_t pid =
        bench_spawn({bench_demo_binary()}, bench_dir + "/oske.out", bench_dir + "/oske.err");
    unsetenv("OSKE_TEST_TRACE");
    unsetenv("OSKE_TEST_MUSIC_PATH");
    if (pid < 0)
        return w;
    rusage usage{};
    int status, next = 0;
    while ((status = bench_reap(pid, &usage, WNOHANG)) < 0) {
        if (next < WholeRun::marks && bench_now_ns() - started >= w.mark_s[next] * 1000000000LL)
            w.rss_kb_at[next++] = bench_rss_kb(pid);
        usleep(50 * 1000);
    }
    w.peak_rss_kb = usage.ru_maxrss;
    std::ifstream in(trace);
    std::string key;
    while (in >> key)
        if (key == "frames")
            in >> w.frames >> key >> w.last_ms;
    w.ok = status == 0 && w.frames > 0;
    if (!w.ok) {
        fprintf(stderr, "frame_budget: the whole run of %s failed (status %d):\n",
                bench_demo_binary().c_str(), status);
        bench_show_log(bench_dir + "/oske.err");
    }
    return w;
}

static bool bench_on_path(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return system(cmd.c_str()) == 0;
}

static bool bench_file_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

static std::string bench_default_music() {
    if (bench_file_exists(platform_default_music_path()))
        return platform_default_music_path();
    // Not installed: the soundtrack the build composed, beside the bench folder.
    std::string self = bench_self();
    std::string built = self.substr(0, self.find_last_of('/')) + "/../music.xm";
    return bench_file_exists(built) ? built : platform_default_music_path();
}

static bool bench_parse(int argc, char** argv, BenchOptions* o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--no-floor") {
            o->floor = false;
        } else if (a == "--no-whole-run") {
            o->whole_run = false;
        } else if (a == "--child") {
            o->child = true;
        } else if (v && a == "--fps") {
            o->fps = atoi(v), ++i;
        } else if (v && a == "--floor-fps") {
            o->floor_fps = atoi(v), ++i;
        } else if (v && a == "--size") {
            if (sscanf(v, "%dx%d", &o->width, &o->height) != 2)
                return false;
            ++i;
        } else if (v && a == "--music") {
            o->music = v, ++i;
        } else if (v && a == "--report") {
            o->report = v, ++i;
        } else if (v && a == "--from") {
            o->from_ms = atoi(v), ++i;
        } else if (v && a == "--to") {
            o->to_ms = atoi(v), ++i;
        } else if (v && a == "--spawned-at") {
            o->spawned_at_ns = atoll(v), ++i;
        } else {
            return false;
        }
    }
    return o->width > 0 && o->height > 0 && o->fps >= 0 && o->fps <= 1000 && o->floor_fps >= 1 &&
           o->floor_fps <= 1000;
}

int main(int argc, char** argv) {
    BenchOptions o;
    if (!bench_parse(argc, argv, &o)) {
        fprintf(stderr, "usage: frame_budget [--fps N] [--floor-fps N] [--size WxH] "
                        "[--music FILE] [--no-floor] [--no-whole-run]\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (o.music.empty())
        o.music = bench_default_music();
    if (o.child)
        return bench_child(o);

    char dir[] = "/tmp/oske-bench-XXXXXX";
    if (!mkdtemp(dir)) {
        perror("frame_budget: mkdtemp");
        return 1;
    }
    bench_dir = dir;
    printf("frame_budget: %dx%d, %d frames per second of demo time, soundtrack %s\n", o.width,
           o.height, o.fps, o.music.c_str());
    fflush(stdout);

    // Start-up: three fresh processes, from spawn to the first presented frame.
    std::vector<double> startups;
    long peak_startup_rss = 0;
    for (int i = 0; i < 3; ++i) {
        ChildReport r = bench_run_child(o, 0);
        if (!r.ok)
            return 1;
        startups.push_back(r.startup_ms);
        peak_startup_rss = std::max(peak_startup_rss, r.peak_rss_kb);
    }

    fprintf(stderr, "frame_budget: timed run...\n");
    ChildReport run = bench_run_child(o, o.fps);
    if (!run.ok)
        return 1;

    // The floor, scene by scene: the scene's frames on the floor grid drawn natively, then the
    // same run traced and replayed. A run starts at the scene's first grid frame, which also
    // carries the replay's start-up calls and so is left out of both medians.
    struct SceneFloor {
        bool ok = false;
        double ours_ms = 0, replay_ms = 0;         // wall medians
        double ours_cpu_ms = 0, replay_cpu_ms = 0; // processor time per frame
    };
    std::vector<SceneFloor> floors(scene_count);
    std::string floor_note;
    bool floor_any = false;
    if (o.floor && !(bench_on_path("apitrace") && bench_on_path("eglretrace"))) {
        floor_note = "no floor: apitrace / eglretrace not installed (Debian package apitrace)";
    } else if (o.floor) {
        // The replay's fixed cost: loading a trace of start-up and one frame, context and all.
        std::string base_trace = bench_dir + "/base.trace";
        ChildReport base =
            bench_run_child(o, 0, {"apitrace", "trace", "--api", "egl", "-o", base_trace});
        double base_cpu_ms = 0;
        if (base.ok)
            bench_replay(base_trace, &base_cpu_ms);
        long long trace_bytes = 0;
        int traced_frames = 0;
        for (int k = 0; k < scene_count && base.ok; ++k) {
            const SceneWindow& w = scene_windows[k];
            fprintf(stderr, "frame_budget: floor of scene %d...\n", k + 1);
            ChildReport native = bench_run_child(o, o.floor_fps, {}, w.start, w.end);
            std::string trace = bench_dir + "/scene" + std::to_string(k + 1) + ".trace";
            ChildReport traced = bench_run_child(
                o, o.floor_fps, {"apitrace", "trace", "--api", "egl", "-o", trace}, w.start, w.end);
            double replay_cpu_ms = 0;
            std::vector<double> replay;
            if (native.ok && traced.ok)
                replay = bench_replay(trace, &replay_cpu_ms);
            struct stat st;
            if (stat(trace.c_str(), &st) == 0)
                trace_bytes += st.st_size;
            unlink(trace.c_str());
            size_t n = native.times.size();
            if (replay.size() != n || n < 2)
                continue;
            traced_frames += (int)n;
            SceneFloor& f = floors[k];
            f.ours_ms = bench_percentile(
                std::vector<double>(native.frame_ms.begin() + 1, native.frame_ms.end()), 0.5);
            f.replay_ms =
                bench_percentile(std::vector<double>(replay.begin() + 1, replay.end()), 0.5);
            // Means, as the replay's processor time is known only as a total.
            double cpu_sum = 0;
            for (size_t i = 1; i < n; ++i)
                cpu_sum += native.frame_cpu_ms[i];
            f.ours_cpu_ms = cpu_sum / (n - 1);
            f.replay_cpu_ms = std::max(0.0, replay_cpu_ms - base_cpu_ms) / n;
            f.ok = true;
            floor_any = true;
        }
        unlink(base_trace.c_str());
        floor_note = "traces of " + std::to_string(traced_frames) + " frames at " +
                     std::to_string(o.floor_fps) + " per second of demo time, " +
                     std::to_string(trace_bytes >> 20) + " MiB";
    }

    WholeRun whole_run;
    if (o.whole_run) {
        fprintf(stderr, "frame_budget: the demo's whole run (200 s)...\n");
        whole_run = bench_whole_run(o);
    }

    printf("\n%-6s %-15s %6s %9s %7s %6s %7s | %7s %9s %6s | %7s %7s %6s\n", "scene", "window (ms)",
           "frames", "median ms", "p95 ms", "fps", "cpu ms", "ours ms", "replay ms", "ratio",
           "ours cpu", "rep cpu", "ratio");
    for (int k = 0; k < scene_count; ++k) {
        const SceneWindow& w = scene_windows[k];
        std::vector<double> ours, ours_cpu;
        for (size_t i = 0; i < run.times.size(); ++i)
            if (window_active(run.times[i], w)) {
                ours.push_back(run.frame_ms[i]);
                ours_cpu.push_back(run.frame_cpu_ms[i]);
            }
        double median = bench_percentile(ours, 0.5);
        char window[32];
        snprintf(window, sizeof window, "%d-%d", w.start, w.end);
        printf("%-6d %-15s %6zu %9.2f %7.2f %6.1f %7.2f", k + 1, window, ours.size(), median,
               bench_percentile(ours, 0.95), median > 0 ? 1000.0 / median : 0.0,
               bench_percentile(ours_cpu, 0.5));
        const SceneFloor& f = floors[k];
        if (f.ok)
            printf(" | %7.2f %9.2f %6.2f | %7.2f %7.2f %6.2f", f.ours_ms, f.replay_ms,
                   f.replay_ms > 0 ? f.ours_ms / f.replay_ms : 0.0, f.ours_cpu_ms, f.replay_cpu_ms,
                   f.replay_cpu_ms > 0 ? f.ours_cpu_ms / f.replay_cpu_ms : 0.0);
        printf("\n");
    }
    double whole = bench_percentile(run.frame_ms, 0.5);
    printf("%-22s %6zu %9.2f %7.2f %6.1f %7.2f\n", "whole timeline", run.frame_ms.size(), whole,
           bench_percentile(run.frame_ms, 0.95), whole > 0 ? 1000.0 / whole : 0.0,
           bench_percentile(run.frame_cpu_ms, 0.5));
    printf("(ms: wall time per frame, glFinish before each stamp; cpu ms: processor time of "
           "all threads, median)\n");
    printf("\nstart-up to first presented frame: median %.0f ms (runs: %.0f, %.0f, %.0f)\n",
           bench_percentile(startups, 0.5), startups[0], startups[1], startups[2]);
    printf("peak resident memory: %.1f MiB over the timed run, %.1f MiB at start-up\n",
           run.peak_rss_kb / 1024.0, peak_startup_rss / 1024.0);
    if (whole_run.ok) {
        printf("whole run of oske (1280 x 720, offscreen driver, wall clock): %ld frames to %d ms, "
               "mean frame %.1f ms; resident memory",
               whole_run.frames, whole_run.last_ms, whole_run.last_ms / (double)whole_run.frames);
        for (int i = 0; i < WholeRun::marks; ++i)
            printf(" %.1f MiB at %d s,", whole_run.rss_kb_at[i] / 1024.0, whole_run.mark_s[i]);
        printf(" peak %.1f MiB\n", whole_run.peak_rss_kb / 1024.0);
    }
    if (!floor_note.empty())
        printf("floor: %s%s\n", floor_note.c_str(),
               floor_any ? "; ratio = ours over the replay's: wall medians, and mean processor "
                           "time per frame (the replay's less its fixed start-up)"
                         : "");
    std::error_code ec;
    std::filesystem::remove_all(bench_dir, ec);
    return 0;
}
