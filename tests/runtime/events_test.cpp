#include <gtest/gtest.h>

#include <SDL.h>
#include <cmath>
#include <csignal>
#include <cstdlib>

#include "render/gl.h"
#include "runtime/demo.h"
#include "support/gl_context.h"

namespace {

constexpr int W = 320;
constexpr int H = 180;

void push_key(SDL_Keycode sym, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = demo_window_id;
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void push_window_event(Uint32 window_id, Uint8 kind, int data1, int data2) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window_id;
    e.window.event = kind;
    e.window.data1 = data1;
    e.window.data2 = data2;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void push_quit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void push_mouse_motion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = demo_window_id;
    e.motion.x = x;
    e.motion.y = y;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

bool is_fullscreen() {
    return (SDL_GetWindowFlags(demo_window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
           SDL_WINDOW_FULLSCREEN_DESKTOP;
}

class Events : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(W, H)) << SDL_GetError();
        // Start from an empty queue: whatever window creation queued is not ours to judge.
        demo_poll_events();
        demo_quit = false;
        demo_signal_received = 0;
        screen_width = W;
        screen_height = H;
    }
};

} // namespace

TEST_F(Events, TestsRunHeadless) {
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
    const char* audio = getenv("SDL_AUDIODRIVER");
    EXPECT_STREQ(audio ? audio : "(unset)", "dummy");
}

TEST_F(Events, NoPendingEventDoesNotQuit) {
    demo_poll_events();
    EXPECT_FALSE(demo_quit);
    EXPECT_EQ(screen_width, W);
    EXPECT_EQ(screen_height, H);
}

TEST_F(Events, EscapeQuits) {
    push_key(SDLK_ESCAPE);
    demo_poll_events();
    EXPECT_TRUE(demo_quit);
}

TEST_F(Events, QQuits) {
    push_key(SDLK_q);
    demo_poll_events();
    EXPECT_TRUE(demo_quit);
}

TEST_F(Events, QuitEventQuits) {
    push_quit();
    demo_poll_events();
    EXPECT_TRUE(demo_quit);
}

TEST_F(Events, OtherKeysDoNothing) {
    for (SDL_Keycode k : {SDLK_a, SDLK_SPACE, SDLK_RETURN, SDLK_F1, SDLK_w})
        push_key(k);
    demo_poll_events();
    EXPECT_FALSE(demo_quit);
    EXPECT_FALSE(is_fullscreen());
    EXPECT_EQ(screen_width, W);
}

TEST_F(Events, FTogglesFullscreenAndBackWithoutQuitting) {
    ASSERT_FALSE(is_fullscreen());
    push_key(SDLK_f);
    demo_poll_events();
    EXPECT_FALSE(demo_quit);
    EXPECT_TRUE(is_fullscreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    // Key repeat toggles like a press.
    push_key(SDLK_f, 1);
    demo_poll_events();
    EXPECT_FALSE(is_fullscreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FALSE(demo_quit);
}

TEST_F(Events, ResizeOfOurWindowSetsTheSize) {
    push_window_event(demo_window_id, SDL_WINDOWEVENT_RESIZED, 640, 400);
    demo_poll_events();
    EXPECT_EQ(screen_width, 640);
    EXPECT_EQ(screen_height, 400);
    EXPECT_FALSE(demo_quit);
    demo_begin_frame();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 400);
}

TEST_F(Events, ResizeOfAnotherWindowOrOtherWindowEventsChangeNothing) {
    push_window_event(demo_window_id + 1, SDL_WINDOWEVENT_RESIZED, 640, 400);
    push_window_event(demo_window_id, SDL_WINDOWEVENT_MOVED, 640, 400);
    push_window_event(demo_window_id, SDL_WINDOWEVENT_SIZE_CHANGED, 17, 19);
    push_window_event(demo_window_id, SDL_WINDOWEVENT_EXPOSED, 0, 0);
    demo_poll_events();
    EXPECT_EQ(screen_width, W);
    EXPECT_EQ(screen_height, H);
    EXPECT_FALSE(demo_quit);
}

TEST_F(Events, ResizeToHeightZero) {
    push_window_event(demo_window_id, SDL_WINDOWEVENT_RESIZED, 640, 0);
    demo_poll_events();
    EXPECT_EQ(screen_width, 640);
    EXPECT_EQ(screen_height, 0);
    demo_begin_frame();
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_TRUE(std::isfinite(p[0]));
    EXPECT_GT(p[0], 0.0f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Events, ForgedNegativeSizeIsTreatedAsZero) {
    push_window_event(demo_window_id, SDL_WINDOWEVENT_RESIZED, -5, -7);
    demo_poll_events();
    EXPECT_EQ(screen_width, 0);
    EXPECT_EQ(screen_height, 0);
    demo_begin_frame();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Events, BurstAheadOfAQuitIsHandledInOnePoll) {
    for (int i = 0; i < 500; ++i) {
        push_mouse_motion(i % W, i % H);
        push_window_event(demo_window_id, SDL_WINDOWEVENT_EXPOSED, 0, 0);
    }
    push_key(SDLK_ESCAPE);
    demo_poll_events();
    EXPECT_TRUE(demo_quit);
    SDL_Event e;
    EXPECT_EQ(SDL_PollEvent(&e), 0) << "events left behind";
}

TEST_F(Events, QuitStaysLatchedThroughLaterEvents) {
    push_key(SDLK_ESCAPE);
    push_key(SDLK_a);
    push_mouse_motion(1, 1);
    push_window_event(demo_window_id, SDL_WINDOWEVENT_RESIZED, 200, 100);
    demo_poll_events();
    EXPECT_TRUE(demo_quit);
    EXPECT_EQ(screen_width, 200); // later events are still handled
    demo_poll_events();
    EXPECT_TRUE(demo_quit);
}

TEST_F(Events, SignalsCountAsQuit) {
    demo_install_signal_handlers();
    for (int sig : {SIGTERM, SIGINT}) {
        demo_quit = false;
        demo_signal_received = 0;
        raise(sig);
        EXPECT_FALSE(demo_quit) << "only the loop turns a signal into a quit";
        demo_poll_events();
        EXPECT_TRUE(demo_quit) << sig;
    }
    demo_signal_received = 0;
}
