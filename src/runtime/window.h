// The single demo window with its fixed-function GL context, and the fullscreen toggle.
#pragma once

struct SDL_Window;

extern SDL_Window* demo_window;

struct WindowOptions {
    int width = 1280;
    int height = 720;
    bool hidden = false; // offline capture: no visible window
};

// Creates the window and GL context. On failure prints what failed (with SDL's reason) on
// standard error and returns false.
bool create_window(SDL_Window** window_out, const WindowOptions& options = WindowOptions());
void toggle_fullscreen(SDL_Window* window);
// Shows the frame just drawn. A real window's swap waits for the display when frames come
// faster than it shows them; an offscreen surface (SDL's offscreen driver draws into a
// pbuffer) has no display to wait for, so there the frame is finished before the next one is
// queued, or the renderer would queue frames without bound.
void present_frame(SDL_Window* window);
