// music_startup: what starting the soundtrack costs: open() and play() as the demo calls them,
// the PCM queued at start, the position timeline and the peak memory of the process.
// Usage: music_startup [MODULE]  (default: the installed module, else the build's music.xm)
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

#include "runtime/clock.h"
#include "runtime/music_player.h"

static double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

static long peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : music_default_path;
    if (argc <= 1 && access(path, R_OK) != 0)
        path = access("../music.xm", R_OK) == 0 ? "../music.xm" : "music.xm";
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::printf("module: %s, audio driver: %s\n", path, getenv("SDL_AUDIODRIVER"));

    long rss_before = peak_rss_kb();
    auto t0 = std::chrono::steady_clock::now();
    if (!music_player.open(path))
        return 1;
    double open_s = seconds_since(t0);
    auto t1 = std::chrono::steady_clock::now();
    music_player.play();
    double play_s = seconds_since(t1);
    Uint32 queued = SDL_GetQueuedAudioSize(music_player.device);

    std::printf("open():           %8.1f ms\n", open_s * 1000.0);
    std::printf("play():           %8.1f ms\n", play_s * 1000.0);
    std::printf("open() + play():  %8.1f ms  (time before the first frame)\n",
                (open_s + play_s) * 1000.0);
    std::printf("decoded:          %8.2f s of song\n",
                (double)music_player.decoded_frames / music_rate);
    std::printf("queued at start:  %8.2f MB  (%u bytes)\n", queued / 1048576.0, queued);
    std::printf("timeline:         %8zu rows\n", music_player.timeline.size());
    std::printf("peak RSS:         %8.1f MB  (%.1f MB before open)\n", peak_rss_kb() / 1024.0,
                rss_before / 1024.0);
    music_player.close();
    SDL_Quit();
    return 0;
}
