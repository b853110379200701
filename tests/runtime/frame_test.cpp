#include <gtest/gtest.h>

#include <SDL.h>
#include <cmath>

#include "render/gl.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/scene_data.h"
#include "support/gl_context.h"

namespace {

constexpr int W = 160;
constexpr int H = 90;

uint32_t fake_ticks = 0;
uint32_t fake_tick_source() {
    return fake_ticks;
}

class Frame : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(W, H)) << SDL_GetError();
        clear_colour = background_colour;
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { demo_clock.ticks = nullptr; }
};

void expect_background(Rgba p, const char* where) {
    EXPECT_EQ(p.r, 190) << where;
    EXPECT_EQ(p.g, 196) << where;
    EXPECT_EQ(p.b, 204) << where;
    EXPECT_EQ(p.a, 255) << where;
}

// Leaves every state the frame start resets in a state it must not keep.
void disturb_state() {
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_LINE_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_FASTEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
    glClearColor(1, 0, 0, 0);
    glLineWidth(4.0f);
    glDepthMask(GL_FALSE);
    glViewport(3, 4, 5, 6);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(2, 2, 2);
}

} // namespace

TEST_F(Frame, ClearedFrameIsTheBackground) {
    disturb_state();
    demo_begin_frame();
    expect_background(test_read_pixel(0, 0), "bottom left");
    expect_background(test_read_pixel(W / 2, H / 2), "centre");
    expect_background(test_read_pixel(W - 1, H - 1), "top right");
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Frame, StateScenesFindOnEntry) {
    // State the frame start must leave alone: whatever the previous drawer set.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glPointSize(3.0f);
    disturb_state();
    demo_begin_frame();

    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    GLint hint = 0;
    glGetIntegerv(GL_POINT_SMOOTH_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
    glGetIntegerv(GL_LINE_SMOOTH_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    GLboolean depth_writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_writes);
    EXPECT_EQ(depth_writes, GL_TRUE);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], W);
    EXPECT_EQ(viewport[3], H);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(mv[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    // 45° vertical field, the window's aspect, near 0.01, far 1000.
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(p[0], f / ((double)W / H), 1e-5);
    EXPECT_NEAR(p[5], f, 1e-5);
    EXPECT_NEAR(p[10], -(1000.0 + 0.01) / (1000.0 - 0.01), 1e-6);
    EXPECT_EQ(p[11], -1.0f);
    EXPECT_NEAR(p[14], -2.0 * 1000.0 * 0.01 / (1000.0 - 0.01), 1e-6);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);
    GLfloat point = 0;
    glGetFloatv(GL_POINT_SIZE, &point);
    EXPECT_EQ(point, 3.0f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(Frame, ZeroHeightKeepsTheProjectionFinite) {
    screen_width = W;
    screen_height = 0;
    demo_begin_frame();
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(p[i])) << i;
    double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(p[0], f / W, 1e-6); // aspect W / 1
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Frame, FramePastTheEndDrawsOnlyTheBandsAndIsLast) {
    demo_clock.ticks = fake_tick_source;
    fake_ticks = 1000;
    demo_clock.start();
    fake_ticks = 1000 + 200500;
    demo_quit = false;
    int frame_ms = demo_render_frame();
    EXPECT_EQ(frame_ms, 200500);
    EXPECT_TRUE(demo_frame_is_last(frame_ms));
    // Both tall bottom bands are at full strength: the bottom row is black, the middle row
    // untouched, and the top half is the plain background.
    Rgba bottom = test_read_pixel(W / 2, 0);
    EXPECT_LE(bottom.r, 4);
    expect_background(test_read_pixel(W / 2, H - 1), "top");
    expect_background(test_read_pixel(W / 2, H / 2), "middle");
    Rgba quarter = test_read_pixel(W / 2, H / 4);
    // Two bands of alpha ≈ 0.5 at this height leave about a quarter of the background.
    EXPECT_NEAR(quarter.r, 190 * 0.25, 6);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
