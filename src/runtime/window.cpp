#include "runtime/window.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>

#include "render/gl.h"
#include "runtime/failure_message.h"

SDL_Window* demo_window = nullptr;
static bool window_offscreen = false; // the drawable is a pbuffer, not shown anywhere

bool create_window(SDL_Window** window_out, const WindowOptions& options) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        failure_say(stderr, "oske: cannot initialise video: %s", SDL_GetError());
        return false;
    }
    SDL_ShowCursor(SDL_DISABLE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
    if (options.hidden)
        flags |= SDL_WINDOW_HIDDEN;
    SDL_Window* window =
        SDL_CreateWindow("Quorvent::OSKE", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         options.width, options.height, flags);
    if (!window) {
        failure_say(stderr, "oske: cannot create the window: %s", SDL_GetError());
        return false;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        failure_say(stderr, "oske: cannot create the OpenGL context: %s", SDL_GetError());
        SDL_DestroyWindow(window);
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    window_offscreen = driver && strcmp(driver, "offscreen") == 0;
    *window_out = window;
    return true;
}

void present_frame(SDL_Window* window) {
    SDL_GL_SwapWindow(window);
    if (window_offscreen)
        glFinish();
}

void toggle_fullscreen(SDL_Window* window) {
    Uint32 mode = SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (mode == 0) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        SDL_ShowCursor(SDL_DISABLE);
    } else {
        SDL_SetWindowFullscreen(window, 0);
        SDL_ShowCursor(SDL_ENABLE);
    }
}
