#include "support/gl_context.h"

#include <SDL.h>

#include "render/gl.h"
#include "runtime/demo.h"
#include "runtime/window.h"

static bool test_gl_is_open = false;

// The offscreen driver's pbuffer keeps the size it was made with, so one window serves every
// test of a process: it is made at least 1280 x 720, and a smaller request draws into its
// bottom-left corner through the viewport, where test_read_frame reads.
static int test_gl_width = 0;
static int test_gl_height = 0;

bool test_gl_open(int width, int height) {
    if (test_gl_is_open && width <= test_gl_width && height <= test_gl_height) {
        screen_width = width;
        screen_height = height;
        return true;
    }
    if (test_gl_is_open)
        test_gl_close(); // a larger frame than the pbuffer holds: start over with a bigger one
    WindowOptions options;
    options.width = width > 1280 ? width : 1280;
    options.height = height > 720 ? height : 720;
    test_gl_width = options.width;
    test_gl_height = options.height;
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
