// Costs of the shared drawing helpers: path and stick evaluation on the processor, and the
// diagrams, panels and captions drawn in a hidden window (llvmpipe unless a GPU is there).
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "elements/diagrams.h"
#include "math/animated_stick.h"
#include "render/gl.h"
#include "render/glow.h"
#include "render/images.h"
#include "render/spline_path.h"
#include "runtime/scene_data.h"
#include "runtime/window.h"

using bench_clock = std::chrono::steady_clock;

static double seconds_since(bench_clock::time_point start) {
    return std::chrono::duration<double>(bench_clock::now() - start).count();
}

// Runs fn n times and prints the time per call in microseconds.
template <typename Fn> static void measure(const char* what, int n, Fn fn) {
    const auto start = bench_clock::now();
    for (int i = 0; i < n; ++i)
        fn(i);
    glFinish();
    printf("%-44s %10.3f us/call\n", what, 1e6 * seconds_since(start) / n);
}

int main() {
    SplinePath path;
    path.init();
    for (int i = 0; i < 12; ++i)
        path.add_point(Vector3((float)i, (float)(i * i % 7), (float)(i % 3)));
    float sink = 0.0f;
    measure("spline path, 12 points, evaluate", 1000000,
            [&](int i) { sink += path.evaluate((float)(i % 1000) * 0.001f).x; });
    path.release();

    // Scene 4's helix walks a 200-point path 400 times a frame.
    SplinePath long_path;
    long_path.init();
    for (int i = 0; i < 200; ++i)
        long_path.add_point(Vector3((float)i, 0.5f * (float)i, 1.0f));
    measure("spline path, 200 points, evaluate", 400000,
            [&](int i) { sink += long_path.evaluate((float)(i % 400) * 0.0025f).x; });
    long_path.release();

    AnimatedStick stick;
    stick.angles_to = Vector3(1.0f, 2.0f, 3.0f);
    stick.centre_to = Vector3(4.0f, 5.0f, 6.0f);
    stick.end = 1.0f;
    stick.half_length = 0.5f;
    measure("stick_endpoints", 1000000, [&](int i) {
        Vector3 a, b;
        stick_endpoints(stick, (float)(i % 1000) * 0.001f, a, b);
        sink += a.x + b.y;
    });

    WindowOptions options;
    options.hidden = true;
    if (!create_window(&demo_window, options))
        return 1;
    glViewport(0, 0, 1280, 720);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1280.0 / 720.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -12.0f);
    glEnable(GL_BLEND);
    if (!getenv("BENCH_NO_SMOOTH"))
        glEnable(GL_LINE_SMOOTH);
    load_images();
    diagram_lines_init();

    measure("draw_diagram_3, complete (27 segments, 6 markers)", 2000,
            [](int) { draw_diagram_3(1.0f, 1.0f); });
    measure("draw_panel, 0.3 x 0.3", 20000, [](int i) {
        draw_panel(Vector3(0.0f, 0.0f, 0.0f), Vector3(0.01f * i, 0.02f * i, 0.0f), 0.15f, 0.15f,
                   orange_colour, 0.5f, 0.8f, 1.0f);
    });
    measure("draw_glow_line, width 3", 20000, [](int i) {
        draw_glow_line(Vector3(-2.0f, 0.0f, 0.0f), Vector3(2.0f, 0.01f * (i % 100), 0.0f),
                       navy_colour, 3.0f, 0.5f, 0.8f);
    });
    measure("draw_caption \"fluoxetine: brindlet\"", 2000,
            [](int) { draw_caption(1.6f, -0.3f, "fluoxetine: brindlet"); });

    diagram_lines_free();
    free_images();
    SDL_Quit();
    return sink == 12345.0f; // keeps the loops from being optimised away
}
