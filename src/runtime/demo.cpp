#include "runtime/demo.h"

#include <cstdarg>
#include <cstdlib>
#include <cstdio>

#include "elements/diagrams.h"
#include "math/random.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/signals.h"
#include "render/gl.h"
#include "render/images.h"
#include "render/ortho.h"
#include "runtime/clock.h"
#include "runtime/failure_message.h"
#include "runtime/music_player.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "scenes/scenes.h"

int screen_width = 1280;
int screen_height = 720;
Uint32 demo_window_id = 0;
bool demo_quit = false;
volatile std::sig_atomic_t demo_signal_received = 0;

// Test-only record of the life-cycle milestones, so a test can tell start-up, running and a
// completed shut-down apart from the outside.
static FILE* demo_trace_file = nullptr;

static void demo_trace(const char* format, ...) {
    if (!demo_trace_file)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(demo_trace_file, format, args);
    va_end(args);
    fputc('\n', demo_trace_file);
    fflush(demo_trace_file);
}

const SceneEntry scene_table[10] = {
    {scene1_init, scene1_draw, scene1_free}, {scene2_init, scene2_draw, scene2_free},
    {scene3_init, scene3_draw, scene3_free}, {scene4_init, scene4_draw, scene4_free},
    {scene5_init, scene5_draw, scene5_free}, {scene6_init, scene6_draw, scene6_free},
    {scene7_init, scene7_draw, scene7_free}, {scene8_init, scene8_draw, scene8_free},
    {scene9_init, scene9_draw, scene9_free}, {scene10_init, scene10_draw, scene10_free},
};

DemoOptions demo_default_options() {
    DemoOptions options;
    options.music_path = platform_default_music_path();
    return options;
}

void demo_apply_test_hooks(DemoOptions* options) {
    // A prepared module instead of the installed one.
    if (const char* path = getenv("OSKE_TEST_MUSIC_PATH"))
        options->music_path = path;
    // The life-cycle milestones (start-up, running, shut-down), appended to a file.
    options->trace_path = getenv("OSKE_TEST_TRACE");
    // The timeline ends after the first frame past this time (ms).
    if (const char* end = getenv("OSKE_TEST_LAST_FRAME_MS"))
        options->last_frame_ms = atoi(end);
    // The timeline and the song start this many ms in, for runs over the end.
    if (const char* start = getenv("OSKE_TEST_START_MS"))
        options->start_ms = atoi(start);
}

void demo_install_signal_handlers() {
    // SDL would turn some of these into SDL_QUIT only once events are pumped, and leave the
    // others to kill us without a shut-down; our own flag covers them all, start-up included,
    // when the song is still being decoded.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    platform_install_stop_handlers(&demo_signal_received);
}

// The inits draw from one random sequence, so this order is part of the picture.
void demo_build_data() {
    load_images();
    scene6_init();
    scene2_init();
    scene4_init();
    scene3_init();
    scene5_init();
    scene7_init();
    scene1_init();
    scene8_init();
    scene10_init();
    diagram_lines_init();
    scene9_init();
    // Fixes where the draws that scene 4 takes while drawing start in the sequence.
    for (int i = 0; i < 50000; ++i)
        random_unit();
}

void demo_free_data() {
    scene6_free();
    scene2_free();
    scene4_free();
    scene3_free();
    scene5_free();
    scene7_free();
    scene1_free();
    scene8_free();
    scene10_free();
    diagram_lines_free();
    scene9_free();
    free_images();
}

static void demo_trace_close() {
    if (demo_trace_file)
        fclose(demo_trace_file);
    demo_trace_file = nullptr;
}

int demo_startup(const DemoOptions& options) {
    demo_install_signal_handlers();
    if (options.trace_path)
        demo_trace_file = fopen(options.trace_path, "a");
    demo_trace("startup");
    screen_width = options.window.width;
    screen_height = options.window.height;
    demo_quit = false;
    if (!create_window(&demo_window, options.window)) {
        SDL_Quit();
        demo_trace("failed");
        demo_trace_close();
        return 1;
    }
    if (!music_player.open(options.music_path, options.audio)) {
        music_player.close();
        SDL_Quit();
        demo_trace("failed");
        demo_trace_close();
        return 1;
    }
    demo_build_data();
    clear_colour = background_colour;
    music_player.play(options.start_ms / 1000.0);
    demo_clock.start();
    if (options.start_ms > 0) {
        demo_clock.start_seconds -= (float)options.start_ms / 1000.0f;
        demo_clock.update();
    }
    demo_window_id = SDL_GetWindowID(demo_window);
    return 0;
}

void demo_handle_event(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        demo_quit = true;
        break;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_q || event.key.keysym.sym == SDLK_ESCAPE)
            demo_quit = true;
        else if (event.key.keysym.sym == SDLK_f)
            toggle_fullscreen(demo_window);
        break;
    case SDL_WINDOWEVENT:
        // Sizes below zero can only come from a forged event; they would make glViewport fail.
        if (event.window.windowID == demo_window_id &&
            event.window.event == SDL_WINDOWEVENT_RESIZED) {
            screen_width = event.window.data1 > 0 ? event.window.data1 : 0;
            screen_height = event.window.data2 > 0 ? event.window.data2 : 0;
        }
        break;
    default:
        break;
    }
}

void demo_poll_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        demo_handle_event(event);
    if (demo_signal_received)
        demo_quit = true;
}

void demo_draw_scenes(int frame_ms, const SceneEntry* table) {
    for (int k = 0; k < scene_count; ++k)
        if (window_active(frame_ms, scene_windows[k]))
            table[k].draw(window_progress(frame_ms, scene_windows[k]));
}

void demo_begin_frame() {
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);

    glClearColor(clear_colour.x, clear_colour.y, clear_colour.z, 1.0f);
    glLineWidth(1.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glViewport(0, 0, screen_width, screen_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window squeezed to zero height would make the aspect undefined: treat it as one pixel.
    int aspect_height = screen_height > 0 ? screen_height : 1;
    gluPerspective(45.0, (double)(screen_width / (float)aspect_height), 0.01, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void demo_draw_bands(float frame_t) {
    shade_bottom(0.4f, pulse_envelope(frame_t, 35000.0f, 124000.0f, 12.0f));
    shade_top(0.4f, pulse_envelope(frame_t, 35000.0f, 182000.0f, 12.0f));
    shade_bottom(0.5f, ramp(frame_t, 140000.0f, 160000.0f));
    shade_bottom(0.5f, ramp(frame_t, 180000.0f, 188000.0f));
}

int demo_render_frame() {
    demo_begin_frame();
    demo_clock.update();
    music_player.follow_clock();
    int frame_ms = seconds_to_frame_ms(demo_clock.seconds);
    demo_draw_bands((float)frame_ms);
    demo_draw_scenes(frame_ms);
    return frame_ms;
}

bool demo_frame_is_last(int frame_ms) {
    return frame_ms > demo_last_frame_ms || demo_quit;
}

void demo_shutdown() {
    demo_trace("shutdown");
    demo_free_data();
    music_player.close();
    SDL_Quit();
    demo_window = nullptr;
    demo_trace("ended");
    demo_trace_close();
}

int demo_run(const DemoOptions& options) {
    int status = demo_startup(options);
    if (status != 0) {
        platform_show_error(failure_last());
        return status;
    }
    long frames = 0;
    int frame_ms = 0;
    for (;;) {
        demo_poll_events();
        frame_ms = demo_render_frame();
        present_frame(demo_window);
        music_player.pump();
        if (++frames == 1)
            demo_trace("running");
        if (demo_frame_is_last(frame_ms) || frame_ms > options.last_frame_ms)
            break;
    }
    demo_trace("frames %ld last %d resyncs %d", frames, frame_ms, music_player.resyncs);
    demo_shutdown();
    return 0;
}
