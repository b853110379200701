#include "support/gl_context.h"

#include <SDL.h>

#include "render/gl.h"
#include "runtime/demo.h"
#include "runtime/window.h"

static bool test_gl_is_open = false;

bool test_gl_open(int width, int height) {
    if (test_gl_is_open) {
        SDL_SetWindowSize(demo_window, width, height);
        screen_width = width;
        screen_height = height;
        return true;
    }
    WindowOptions options;
    options.width = width;
    options.height = height;
    options.hidden = true;
    if (!create_window(&demo_window, options))
        return false;
    demo_window_id = SDL_GetWindowID(demo_window);
    screen_width = width;
    screen_height = height;
    test_gl_is_open = true;
    return true;
}

void test_gl_close() {
    if (!test_gl_is_open)
        return;
    SDL_Quit();
    demo_window = nullptr;
    test_gl_is_open = false;
}

std::vector<Rgba> test_read_frame(int width, int height) {
    std::vector<Rgba> pixels((size_t)width * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgba test_read_pixel(int x, int y) {
    Rgba p{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    return p;
}
