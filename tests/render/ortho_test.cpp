#include <gtest/gtest.h>

#include <cmath>

#include "render/gl.h"
#include "render/ortho.h"
#include "runtime/demo.h"
#include "runtime/scene_data.h"
#include "support/gl_context.h"

namespace {

constexpr int W = 64;
constexpr int H = 100;

class Bands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(W, H)) << SDL_GetError();
        clear_colour = background_colour;
        demo_begin_frame();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
};

// Fraction of the background left in row y (1 = untouched, 0 = black).
double row_light(int y) {
    return test_read_pixel(W / 2, y).r / 190.0;
}

bool row_is_background(int y) {
    Rgba p = test_read_pixel(W / 2, y);
    Rgba q = test_read_pixel(0, y);
    return p.r == 190 && p.g == 196 && p.b == 204 && q.r == 190 && q.g == 196 && q.b == 204;
}

void expect_matrix_identity(GLenum which) {
    GLfloat m[16];
    glGetFloatv(which, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
}

} // namespace

TEST_F(Bands, BottomBandDarkensTheLowerHalfOnly) {
    shade_bottom(0.5f, 1.0f);
    for (int y = H / 2; y < H; ++y)
        EXPECT_TRUE(row_is_background(y)) << "row " << y;
    // Linear from black at the edge to clear at half height: row y has alpha 1 − (y+½)/(H/2).
    for (int y : {0, 10, 25, 40, 49}) {
        double alpha = 1.0 - (y + 0.5) / (H * 0.5);
        EXPECT_NEAR(row_light(y), 1.0 - alpha, 0.02) << "row " << y;
    }
    EXPECT_LT(row_light(H / 2 - 1), 1.0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Bands, TopBandIsTheMirrorImage) {
    shade_top(0.5f, 1.0f);
    for (int y = 0; y < H / 2; ++y)
        EXPECT_TRUE(row_is_background(y)) << "row " << y;
    EXPECT_NEAR(row_light(H - 1), 0.01, 0.02);
    EXPECT_NEAR(row_light(H - 26), 0.5, 0.03);
}

TEST_F(Bands, TwoBottomBandsGiveAQuarterAtHalfTheirHeight) {
    shade_bottom(0.5f, 1.0f);
    EXPECT_NEAR(row_light(0), 0.0, 0.02); // black after the first already
    EXPECT_NEAR(row_light(25), 0.5, 0.02);
    shade_bottom(0.5f, 1.0f);
    EXPECT_NEAR(row_light(25), 0.25, 0.02); // 75% dark after both
}

TEST_F(Bands, StateAfterABand) {
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    GLfloat projection_before[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection_before);
    shade_bottom(0.5f, 1.0f);

    // Drawn with the depth test on, against a freshly cleared depth buffer: it still shows.
    EXPECT_LT(row_light(0), 0.05);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    GLboolean depth_writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_writes);
    EXPECT_EQ(depth_writes, GL_TRUE);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expect_matrix_identity(GL_MODELVIEW_MATRIX);
    GLfloat projection_after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection_after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(projection_after[i], projection_before[i]) << i;
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[3], 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    glDisable(GL_DEPTH_TEST);
}

TEST_F(Bands, BandLeavesTexturingAsItFoundIt) {
    glEnable(GL_TEXTURE_2D);
    shade_top(0.4f, 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Bands, ZeroOrNegativeAlphaTouchesNothing) {
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthMask(GL_FALSE);
    glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    for (float alpha : {0.0f, -1.0f, -0.0f}) {
        shade_bottom(0.5f, alpha);
        shade_top(0.5f, alpha);
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint src = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    EXPECT_EQ(src, GL_ONE);
    GLboolean depth_writes = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_writes);
    EXPECT_EQ(depth_writes, GL_FALSE);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 0.5f);
    EXPECT_TRUE(row_is_background(0));
    EXPECT_TRUE(row_is_background(H - 1));
    glDepthMask(GL_TRUE);
}

TEST_F(Bands, OrthoMapsTheUnitSquareToTheViewportAndRestores) {
    GLfloat projection_before[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection_before);
    begin_ortho(640.0f, 480.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expect_matrix_identity(GL_MODELVIEW_MATRIX);
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 640.0f);
    EXPECT_FLOAT_EQ(p[5], 2.0f / 480.0f);
    EXPECT_FLOAT_EQ(p[10], -1.0f);
    EXPECT_FLOAT_EQ(p[12], -1.0f);
    EXPECT_FLOAT_EQ(p[13], -1.0f);
    glTranslatef(5, 5, 0); // a caller's own placement is undone by end_ortho
    end_ortho();
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expect_matrix_identity(GL_MODELVIEW_MATRIX);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(p[i], projection_before[i]) << i;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
