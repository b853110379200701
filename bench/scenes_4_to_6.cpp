// Frame cost of scenes 4, 5 and 6 at 1280 x 720 in a hidden window (Mesa llvmpipe headless):
// prints the mean wall and CPU milliseconds per frame of each scene at a few points of its
// window.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "render/gl.h"
#include "runtime/demo.h"
#include "runtime/scene_data.h"
#include "runtime/window.h"
#include "scenes/scenes.h"

static void bench_begin_frame(int width, int height) {
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glClearColor(background_colour.x, background_colour.y, background_colour.z, 1.0f);
    glLineWidth(1.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, (double)(width / (float)height), 0.01, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

int main() {
    WindowOptions options;
    options.hidden = true;
    if (!create_window(&demo_window, options))
        return 1;
    demo_build_data();
    struct Case {
        const char* name;
        void (*draw)(float);
        float progress;
    };
    const Case cases[] = {
        {"scene4", scene4_draw, 0.1f}, {"scene4", scene4_draw, 0.5f},
        {"scene4", scene4_draw, 0.9f}, {"scene5", scene5_draw, 0.2f},
        {"scene5", scene5_draw, 0.6f}, {"scene5", scene5_draw, 0.95f},
        {"scene6", scene6_draw, 0.2f}, {"scene6", scene6_draw, 0.5f},
        {"scene6", scene6_draw, 0.9f},
    };
    const int frames = 30;
    for (const Case& c : cases) {
        bench_begin_frame(options.width, options.height);
        c.draw(c.progress);
        glFinish();
        auto t0 = std::chrono::steady_clock::now();
        std::clock_t c0 = std::clock();
        for (int i = 0; i < frames; ++i) {
            bench_begin_frame(options.width, options.height);
            c.draw(c.progress);
            glFinish();
        }
        auto t1 = std::chrono::steady_clock::now();
        std::clock_t c1 = std::clock();
        // CPU time of all threads (the rasteriser's included): steadier than the wall clock
        // on a shared machine.
        double cpu_ms = 1000.0 * (double)(c1 - c0) / CLOCKS_PER_SEC / frames;
        double ms = std::chrono::duration<double, std::milli>(t1 - t0).count() / frames;
        printf("%s progress %.2f: %.2f ms per frame (%.0f fps), %.2f ms of CPU\n", c.name,
               c.progress, ms, 1000.0 / ms, cpu_ms);
    }
    demo_free_data();
    SDL_Quit();
    return 0;
}
