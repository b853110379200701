// music_startup: what starting the soundtrack costs. First the streamed start the demo uses
// (open(), play() queueing the first seconds, then pump() once per frame), then the whole song
// decoded up front. Prints the time before the first frame, the PCM queued, the per-frame cost
// of pump() over a few seconds of 60 Hz frames, and the peak memory of the process after each.
// Usage: music_startup [MODULE]  (default: the installed module, else the build's music.xm)
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

#include "runtime/music_player.h"

using bench_clock = std::chrono::steady_clock;

static double ms_since(bench_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(bench_clock::now() - t0).count();
}

static double peak_rss_mb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

static double queued_seconds() {
    return SDL_GetQueuedAudioSize(music_player.device) / (8.0 * music_rate);
}

static bool start(const char* path, bool stream, double* open_ms, double* play_ms) {
    auto t0 = bench_clock::now();
    if (!music_player.open(path))
        return false;
    *open_ms = ms_since(t0);
    music_player.stream = stream;
    auto t1 = bench_clock::now();
    music_player.play();
    *play_ms = ms_since(t1);
    return true;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : platform_default_music_path();
    if (argc <= 1 && access(path, R_OK) != 0)
        path = access("../music.xm", R_OK) == 0 ? "../music.xm" : "music.xm";
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::printf("module: %s, audio driver: %s\n", path, getenv("SDL_AUDIODRIVER"));
    std::printf("peak RSS before open: %.1f MB\n\n", peak_rss_mb());

    double open_ms = 0, play_ms = 0;
    if (!start(path, true, &open_ms, &play_ms))
        return 1;
    std::printf("streamed start (the demo's)\n");
    std::printf("  open():            %8.1f ms\n", open_ms);
    std::printf("  play():            %8.1f ms\n", play_ms);
    std::printf("  open() + play():   %8.1f ms before the first frame\n", open_ms + play_ms);
    std::printf("  queued at start:   %8.2f s of song, %u bytes\n", queued_seconds(),
                SDL_GetQueuedAudioSize(music_player.device));
    // Four seconds of 60 Hz frames with pump() after each, as the main loop does.
    double total = 0, worst = 0, lowest = 1e9;
    int frames = 0;
    auto loop_start = bench_clock::now();
    while (ms_since(loop_start) < 4000.0) {
        SDL_Delay(16);
        lowest = std::min(lowest, queued_seconds()); // the level just before the refill
        auto t = bench_clock::now();
        music_player.pump();
        double cost = ms_since(t);
        total += cost;
        worst = std::max(worst, cost);
        ++frames;
    }
    std::printf("  pump() per frame:  %8.3f ms mean, %.3f ms worst over %d frames\n",
                total / frames, worst, frames);
    std::printf("  queue never below: %8.2f s ahead of the device\n", lowest);
    std::printf("  peak RSS:          %8.1f MB\n\n", peak_rss_mb());
    music_player.close();

    if (!start(path, false, &open_ms, &play_ms))
        return 1;
    std::printf("whole song decoded before the first frame\n");
    std::printf("  open():            %8.1f ms\n", open_ms);
    std::printf("  play():            %8.1f ms\n", play_ms);
    std::printf("  open() + play():   %8.1f ms before the first frame\n", open_ms + play_ms);
    std::printf("  queued at start:   %8.2f s of song, %u bytes\n", queued_seconds(),
                SDL_GetQueuedAudioSize(music_player.device));
    std::printf("  timeline:          %8zu rows\n", music_player.timeline.size());
    std::printf("  peak RSS:          %8.1f MB\n", peak_rss_mb());
    music_player.close();
    SDL_Quit();
    return 0;
}
