// Scene 2: the stroke cloud from its seed, and the ring tunnel in a real context.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "math/random.h"
#include "render/gl.h"
#include "runtime/scene_data.h"
#include "scenes/scene2.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "frame_check.h"

namespace {

TEST(Scene2Data, FirstStrokeComesFromTheSeed) {
    uint64_t before = random_draw_count;
    scene2_init();
    EXPECT_EQ(random_draw_count - before, 4u * (10000u + 1000u));
    set_random_seed(16);
    float u1 = random_unit(), u2 = random_unit(), u3 = random_unit(), u4 = random_unit();
    EXPECT_FLOAT_EQ(scene2_fine_from[0].x, 10.0f * (u3 - 0.5f));
    EXPECT_FLOAT_EQ(scene2_fine_from[0].y, u2 - 0.5f);
    EXPECT_FLOAT_EQ(scene2_fine_from[0].z, u1 - 0.5f);
    // It runs along x, by 0.3 of the fourth draw.
    EXPECT_EQ(scene2_fine_to[0].x, scene2_fine_from[0].x + 0.3f * (u4 - 0.5f));
    EXPECT_EQ(scene2_fine_to[0].y, scene2_fine_from[0].y);
    EXPECT_EQ(scene2_fine_to[0].z, scene2_fine_from[0].z);
    scene2_free();
}

// Stroke i runs along x, y or z by i mod 3, never longer than half its axis scale.
void scene2_check_strokes(const Vector3* from, const Vector3* to, int count, const float len[3]) {
    for (int i = 0; i < count; ++i) {
        const Vector3& a = from[i];
        const Vector3& b = to[i];
        ASSERT_LE(std::fabs(a.x), 5.0f) << i;
        ASSERT_LE(std::fabs(a.y), 0.5f) << i;
        ASSERT_LE(std::fabs(a.z), 0.5f) << i;
        float d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
        int axis = i % 3;
        for (int k = 0; k < 3; ++k) {
            if (k == axis)
                ASSERT_LE(std::fabs(d[k]), 0.5f * len[k] + 1e-6f) << i;
            else
                ASSERT_EQ(d[k], 0.0f) << "stroke " << i << " axis " << k;
        }
    }
}

TEST(Scene2Data, StrokesAreAxisAlignedInsideTheLongBox) {
    scene2_init();
    const float fine[3] = {0.3f, 0.2f, 0.2f};
    const float bold[3] = {0.5f, 0.1f, 0.1f};
    scene2_check_strokes(scene2_fine_from, scene2_fine_to, scene2_fine_count, fine);
    scene2_check_strokes(scene2_bold_from, scene2_bold_to, scene2_bold_count, bold);
    // The bold strokes continue the same sequence rather than reseeding.
    EXPECT_NE(scene2_bold_from[0].x, scene2_fine_from[0].x);
    scene2_free();
}

struct Scene2Counts {
    int background = 0, navy = 0, orange = 0, magenta = 0, white = 0;
};

Scene2Counts scene2_test_count(const std::vector<Rgba>& pixels) {
    Scene2Counts c;
    for (const Rgba& p : pixels) {
        int r = p.r, g = p.g, b = p.b;
        if (std::abs(r - 190) <= 2 && std::abs(g - 196) <= 2 && std::abs(b - 204) <= 2)
            ++c.background;
        else if (r > 240 && g > 240 && b > 240)
            ++c.white;
        else if (b - r > 40 && b > g)
            ++c.navy;
        else if (r - b > 40 && g - b > 15)
            ++c.orange;
        else if (r - g > 30 && b - g > 10) // purple and red rings and bold strokes
            ++c.magenta;
    }
    return c;
}

class Scene2Gl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test_gl_open(frame_check_width, frame_check_height));
        scene2_init();
    }
    static void TearDownTestSuite() { scene2_free(); }
    void SetUp() override {
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    Scene2Counts draw(float progress) {
        frame_check_begin();
        scene2_draw(progress);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        return scene2_test_count(test_read_frame(frame_check_width, frame_check_height));
    }
};

TEST_F(Scene2Gl, NothingButBackgroundAtBothEnds) {
    EXPECT_EQ(draw(0.0f).background, frame_check_width * frame_check_height);
    EXPECT_EQ(draw(1.0f).background, frame_check_width * frame_check_height);
}

TEST_F(Scene2Gl, StateOnExit) {
    draw(0.5f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    GLfloat width = 0, colour[4] = {};
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f); // fade is 1 mid-window
    // The strokes go out as arrays; later drawers must not find the array switched on.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(Scene2Gl, FadesInOverTheFirstTenth) {
    // The last pass leaves its colour: white with the scene's fade as alpha.
    GLfloat colour[4] = {};
    draw(0.05f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[3], 0.5f, 1e-6f);
    draw(0.2f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 1.0f);
    draw(0.995f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_GT(colour[3], 0.0f);
    EXPECT_LT(colour[3], 0.3f);
}

TEST_F(Scene2Gl, MidWindowHoldsTheCloudAndTheRings) {
    Scene2Counts c = draw(0.5f);
    EXPECT_GT(c.navy, 1500);
    EXPECT_GT(c.orange, 1500);
    EXPECT_GT(c.magenta, 300);
    EXPECT_GT(c.background, frame_check_width * frame_check_height / 4);
}

TEST_F(Scene2Gl, CloudLightsUpAfterTheFlare) {
    // Before 0.265 only the rings and the bold strokes have white cores; from 0.3 the fine
    // strokes have them too and are drawn four pixels wide.
    Scene2Counts before = draw(0.2f);
    Scene2Counts after = draw(0.35f);
    EXPECT_GT(after.white, 2 * before.white + 1000);
    EXPECT_LT(after.background, before.background);
}

} // namespace
