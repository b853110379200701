// Frame cost of the opening scenes (1 to 3) and their overlaps at 1280 x 720: wall time and
// processor time of all threads (Mesa's rasteriser threads included) per frame.
// Run headless: SDL_VIDEODRIVER=offscreen ./opening_scenes_frames [frames]
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "render/gl.h"
#include "runtime/demo.h"
#include "runtime/scene_data.h"
#include "runtime/window.h"

static double bench_process_cpu_ms() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void bench_begin_frame() {
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glClearColor(clear_colour.x, clear_colour.y, clear_colour.z, 1.0f);
    glLineWidth(1.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 1280, 720);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1280.0 / 720.0, 0.01, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 30;
    WindowOptions options;
    options.hidden = true;
    if (!create_window(&demo_window, options))
        return 1;
    demo_build_data();
    clear_colour = background_colour;

    struct Probe {
        const char* what;
        int ms;
    };
    const Probe probes[] = {
        {"scene 1, title slot 2", 9400},     {"scene 1, band at its densest", 11750},
        {"scenes 1 + 2 overlap", 21500},     {"scene 2, before the flare", 24000},
        {"scene 2, cloud lit", 32000},       {"scenes 2 + 3 overlap", 39800},
        {"scene 3, ribbons growing", 45000}, {"scene 3, all complete", 56000},
    };
    printf("%-30s %12s %12s\n", "frame", "wall ms", "cpu ms");
    for (const Probe& probe : probes) {
        double cpu0 = bench_process_cpu_ms();
        auto t0 = std::chrono::steady_clock::now();
        for (int f = 0; f < frames; ++f) {
            bench_begin_frame();
            demo_draw_scenes(probe.ms + f); // one ms apart: the scenes do their full work
            glFinish();
        }
        double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        double cpu = bench_process_cpu_ms() - cpu0;
        printf("%-30s %12.2f %12.2f\n", probe.what, wall / frames, cpu / frames);
    }
    demo_free_data();
    SDL_Quit();
    return 0;
}
