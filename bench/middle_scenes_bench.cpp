// Frame times of the funnel and butterfly scenes (124 s to 162 s, overlaps included) at
// 1280 x 720: whole frames as the main loop draws them, averaged over a burst at each demo time.
// The "sparks" rows fire a spark trigger in every frame of the burst, the worst case. The
// processor time counts every thread (llvmpipe rasterises on several): on a busy machine it is
// the steadier figure.
#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "render/gl.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/music_player.h"
#include "runtime/scene_data.h"
#include "runtime/window.h"
#include "scenes/scene8.h"

static uint32_t bench_tick = 1000;
static uint32_t bench_ticks() {
    return bench_tick;
}

struct BenchFrame {
    int ms;
    bool sparks;
};

int main() {
    WindowOptions options;
    options.hidden = true;
    if (!create_window(&demo_window, options))
        return 1;
    demo_build_data();
    clear_colour = background_colour;
    demo_clock.ticks = bench_ticks;
    demo_clock.start();

    const BenchFrame frames[] = {{124000, false}, {126000, false}, {130000, false}, {136000, false},
                                 {140500, false}, {145000, false}, {150000, false}, {150000, true},
                                 {155000, false}, {158000, true},  {160500, false}, {160500, true}};
    const int burst = 20;
    printf("frame time (ms of demo)   ms per frame   fps     cpu ms/frame\n");
    for (const BenchFrame& f : frames) {
        bench_tick = 1000 + f.ms;
        demo_render_frame(); // warm-up: shaders compiled, caches filled
        glFinish();
        auto start = std::chrono::steady_clock::now();
        std::clock_t cpu_start = std::clock();
        for (int i = 0; i < burst; ++i) {
            // A fresh table holding just this frame's position: it fires every frame.
            if (f.sparks) {
                scene8_spark_triggers->release();
                scene8_spark_triggers->init(200);
                scene8_spark_triggers->push(52, i, 400);
                music_force_position(52, i);
            }
            demo_render_frame();
            SDL_GL_SwapWindow(demo_window);
        }
        glFinish();
        music_force_position(-1, 0);
        double total =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        double cpu = 1000.0 * (double)(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        printf("%18d%s   %12.2f   %5.1f   %12.2f\n", f.ms, f.sparks ? " sparks" : "       ",
               total / burst, 1000.0 * burst / total, cpu / burst);
    }
    demo_free_data();
    SDL_Quit();
    return 0;
}
