// The window abused the way a party audience might: floods of events, absurd sizes, a
// fullscreen key held down. Real SDL events in the offscreen driver, a real Mesa context.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cmath>
#include <utility>

#include "render/gl.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/scene_data.h"
#include "support/gl_context.h"

namespace {

constexpr int W = 320;
constexpr int H = 180;

// Past the timeline: the frame draws the clear and the bands only, no scene needs its data.
uint32_t late_ticks() {
    return 1000 + 200500;
}
uint32_t start_ticks() {
    return 1000;
}

void push(SDL_Event e) {
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void push_key(SDL_Keycode sym) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = demo_window_id;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = sym;
    push(e);
}

void push_resize(int w, int h) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = demo_window_id;
    e.window.event = SDL_WINDOWEVENT_RESIZED;
    e.window.data1 = w;
    e.window.data2 = h;
    push(e);
}

class Abuse : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(W, H)) << SDL_GetError();
        clear_colour = background_colour;
        demo_poll_events();
        demo_quit = false;
        screen_width = W;
        screen_height = H;
        demo_clock.ticks = start_ticks;
        demo_clock.start();
        demo_clock.ticks = late_ticks;
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { demo_clock.ticks = nullptr; }

    // One pass of the loop as the demo runs it; returns whether it was the last.
    bool loop_pass() {
        demo_poll_events();
        int frame_ms = demo_render_frame();
        SDL_GL_SwapWindow(demo_window);
        return demo_frame_is_last(frame_ms) && demo_quit;
    }
};

void expect_viewport(int w, int h) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], w);
    EXPECT_EQ(viewport[3], h);
}

} // namespace

TEST_F(Abuse, TenThousandEventsThenEscapeQuitsAtOnce) {
    for (int i = 0; i < 10000; ++i) {
        SDL_Event e{};
        switch (i % 4) {
        case 0:
            e.type = SDL_MOUSEMOTION;
            e.motion.windowID = demo_window_id;
            e.motion.x = i % W;
            break;
        case 1:
            e.type = SDL_WINDOWEVENT;
            e.window.windowID = demo_window_id;
            e.window.event = SDL_WINDOWEVENT_EXPOSED;
            break;
        case 2:
            e.type = SDL_KEYDOWN;
            e.key.keysym.sym = SDLK_a;
            break;
        default:
            e.type = SDL_KEYUP;
            e.key.keysym.sym = SDLK_ESCAPE;
            break;
        }
        push(e);
    }
    push_key(SDLK_ESCAPE);
    int frames = 0;
    while (!loop_pass() && frames < 100)
        ++frames;
    EXPECT_EQ(frames, 0) << "the Escape waited behind the flood";
    EXPECT_TRUE(demo_quit);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Abuse, ExtremeSizesTakeEffectOnTheNextFrame) {
    const int sizes[][2] = {{0, 0}, {1, 1}, {8192, 8192}, {0, 720}, {1280, 0}, {W, H}};
    for (const auto& size : sizes) {
        push_resize(size[0], size[1]);
        loop_pass();
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << size[0] << "x" << size[1];
        expect_viewport(size[0], size[1]);
        GLfloat p[16];
        glGetFloatv(GL_PROJECTION_MATRIX, p);
        for (int i = 0; i < 16; ++i)
            ASSERT_TRUE(std::isfinite(p[i])) << size[0] << "x" << size[1];
    }
    EXPECT_FALSE(demo_quit);
}

TEST_F(Abuse, ResizeBurstLastOneWins) {
    for (int i = 1; i <= 1000; ++i)
        push_resize(i, 2 * i);
    push_resize(8192, 8192);
    loop_pass();
    expect_viewport(8192, 8192);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Abuse, RealWindowResizesAreSurvived) {
    for (const auto& size : {std::pair{1, 1}, std::pair{8192, 8192}, std::pair{W, H}}) {
        SDL_SetWindowSize(demo_window, size.first, size.second);
        for (int i = 0; i < 3; ++i)
            loop_pass();
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
    EXPECT_FALSE(demo_quit);
}

TEST_F(Abuse, FullscreenToggledAHundredTimes) {
    for (int i = 0; i < 100; ++i) {
        push_key(SDLK_f);
        if (i % 10 == 0)
            loop_pass(); // some toggles land in separate frames, most share one
    }
    for (int i = 0; i < 3; ++i)
        loop_pass();
    EXPECT_FALSE(demo_quit);
    EXPECT_EQ(SDL_GetWindowFlags(demo_window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE); // the last toggle left fullscreen
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    // The window still presents frames.
    push_key(SDLK_q);
    EXPECT_TRUE(loop_pass());
}
