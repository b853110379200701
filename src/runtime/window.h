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
