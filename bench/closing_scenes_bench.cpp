// Frame times of the closing scenes (fibre web, tower field) at 1280 x 720: whole frames as the
// main loop draws them, averaged over a burst at each demo time.
#include <SDL.h>
#include <chrono>
#include <cstdio>

#include "render/gl.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/scene_data.h"
#include "runtime/window.h"

static uint32_t bench_tick = 1000;
static uint32_t bench_ticks() {
    return bench_tick;
}

int main() {
    WindowOptions options;
    options.hidden = true;
    if (!create_window(&demo_window, options))
        return 1;
    demo_build_data();
    clear_colour = background_colour;
    demo_clock.ticks = bench_ticks;
    demo_clock.start();

    const int times[] = {160000, 165000, 170000, 175000, 179500, 182000, 186000, 190000, 196000};
    const int burst = 20;
    printf("frame time (ms of demo)   ms per frame   fps\n");
    for (int ms : times) {
        bench_tick = 1000 + ms;
        demo_render_frame(); // warm-up: shaders compiled, caches filled
        glFinish();
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < burst; ++i) {
            demo_render_frame();
            SDL_GL_SwapWindow(demo_window);
        }
        glFinish();
        double total =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        printf("%24d   %12.2f   %5.1f\n", ms, total / burst, 1000.0 * burst / total);
    }
    demo_free_data();
    SDL_Quit();
    return 0;
}
