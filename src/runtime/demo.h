// The demo's life cycle as library functions: start-up, one frame, shut-down. The interactive
// program and the offline capture run the very same sequence; only the clock and the
// presentation differ.
#pragma once

#include <SDL.h>
#include <csignal>

#include "runtime/timeline.h"
#include "runtime/window.h"

struct DemoOptions {
    const char* music_path;           // the soundtrack to load
    bool audio = true;                // false: no audio device, the song is decoded for positions
    const char* trace_path = nullptr; // test-only: life-cycle milestones are appended here
    int last_frame_ms = demo_last_frame_ms; // test-only: an earlier end of the timeline
    int start_ms = 0; // test-only: the timeline and the song start this far in
    WindowOptions window;
};

DemoOptions demo_default_options();
// The test suite's OSKE_TEST_* variables (module path, trace file, a shorter or later timeline);
// none is set in normal use.
void demo_apply_test_hooks(DemoOptions* options);

extern int screen_width;
extern int screen_height;
extern Uint32 demo_window_id;
extern bool demo_quit; // latched: later events do not clear it
// A terminating signal was received (interrupt, terminate, hang-up, quit, broken pipe).
extern volatile std::sig_atomic_t demo_signal_received;

struct SceneEntry {
    void (*init)();
    void (*draw)(float progress);
    void (*free)();
};
extern const SceneEntry scene_table[10];

// Every terminating signal ends the demo like a quit request (see demo_poll_events).
void demo_install_signal_handlers();

// Window, music, every scene's data, then music and clock start. Returns 0 on success, else
// the exit status the program should end with (a message has been printed).
int demo_startup(const DemoOptions& options);

// Builds and frees all scene data in the fixed order; the random sequence depends on it.
void demo_build_data();
void demo_free_data();

// Handles one event the way the main loop does (quit keys, fullscreen, resize of our window).
void demo_handle_event(const SDL_Event& event);
// Drains every pending event; a signal received meanwhile counts as a quit request.
void demo_poll_events();

// Steps 2-9 of a loop pass: GL resets, projection, clock, bands, scenes. Returns frame_ms.
int demo_render_frame();
// The per-frame GL resets, clear, viewport and projection: what every scene finds on entry.
void demo_begin_frame();
// The four background bands whose strength follows the frame time.
void demo_draw_bands(float frame_t);
// Draws the scenes of `table` that are active at frame_ms, in timeline order.
void demo_draw_scenes(int frame_ms, const SceneEntry* table = scene_table);
// True when the loop ends after the frame just drawn and presented.
bool demo_frame_is_last(int frame_ms);

void demo_shutdown();

// The whole interactive program: start-up, loop, shut-down. Returns the exit status.
int demo_run(const DemoOptions& options);
