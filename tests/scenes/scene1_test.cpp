// Scene 1: the tile band's data from its seed, the fade, and what a real context shows.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/images.h"
#include "runtime/scene_data.h"
#include "scenes/scene1.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "frame_check.h"

namespace {

bool same_colour(const Vector3& a, const Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

TEST(Scene1Data, InitDrawsDiscardsThenNineValuesPerTile) {
    uint64_t before = random_draw_count;
    scene1_init();
    EXPECT_EQ(random_draw_count - before, 240u + 500u * 9u);
    ASSERT_NE(scene1_tiles, nullptr);
    EXPECT_EQ(scene1_tile_count, 500);

    // The first tile's values are the 241st to 249th draws after the scene's seed.
    set_random_seed(111519);
    for (int i = 0; i < 240; ++i)
        random_unit();
    float r[10];
    for (int k = 1; k <= 9; ++k)
        r[k] = random_unit();
    const StreamTile& first = scene1_tiles[0];
    EXPECT_FLOAT_EQ(first.entry.y, r[2] - 0.5f);
    EXPECT_FLOAT_EQ(first.entry.z, r[1] - 0.5f);
    EXPECT_FLOAT_EQ(first.offset, r[9]);
    EXPECT_FLOAT_EQ(first.spin_from.x, (float)(r[5] * 2.0f * pi_value));
    EXPECT_FLOAT_EQ(first.spin_from.z, (float)(r[3] * 2.0f * pi_value));
    EXPECT_FLOAT_EQ(first.spin_to.x, (float)(r[8] * 2.0f * pi_value));
    EXPECT_FLOAT_EQ(first.spin_to.z, (float)(r[6] * 2.0f * pi_value));
    scene1_free();
    EXPECT_EQ(scene1_tiles, nullptr);
}

TEST(Scene1Data, ColoursByMemberIndexAndStraightPaths) {
    scene1_init();
    for (int i = 0; i < scene1_tile_count; ++i) {
        const StreamTile& t = scene1_tiles[i];
        const Vector3& expected = i % 3 == 0   ? red_colour
                                  : i % 3 == 1 ? navy_colour
                                               : orange_colour;
        EXPECT_TRUE(same_colour(t.colour, expected)) << "member " << i;
        EXPECT_EQ(t.entry.x, 2.0f);
        EXPECT_EQ(t.exit.x, -1.0f);
        EXPECT_EQ(t.entry.y, t.exit.y);
        EXPECT_EQ(t.entry.z, t.exit.z);
        EXPECT_GE(t.entry.y, -0.5f);
        EXPECT_LE(t.entry.y, 0.5f);
        EXPECT_GE(t.offset, 0.0f);
        EXPECT_LE(t.offset, 1.0f);
        EXPECT_EQ(t.rate, 1.0f);
        EXPECT_GE(t.spin_to.y, 0.0f);
        EXPECT_LE(t.spin_to.y, (float)(2.0 * pi_value));
    }
    // Member 1 navy, 2 orange, 3 red (member 0 is drawn as a diagram).
    EXPECT_TRUE(same_colour(scene1_tiles[1].colour, navy_colour));
    EXPECT_TRUE(same_colour(scene1_tiles[2].colour, orange_colour));
    EXPECT_TRUE(same_colour(scene1_tiles[3].colour, red_colour));
    scene1_free();
}

TEST(Scene1Data, FadeStaysHiddenThenRisesSharply) {
    EXPECT_EQ(scene1_fade(0.0f), 0.0f);
    EXPECT_EQ(scene1_fade(0.04f), 0.0f);
    EXPECT_EQ(scene1_fade(0.05f), 0.0f);
    EXPECT_GT(scene1_fade(0.075f), 0.0f);
    EXPECT_LT(scene1_fade(0.075f), 1e-11f);
    EXPECT_LT(scene1_fade(0.09f), 0.02f);
    EXPECT_EQ(scene1_fade(0.1f), 1.0f);
    EXPECT_EQ(scene1_fade(0.5f), 1.0f);
    EXPECT_EQ(scene1_fade(0.9f), 1.0f);
    EXPECT_LT(scene1_fade(0.99f), 0.4f);
    EXPECT_EQ(scene1_fade(1.0f), 0.0f);
}

class Scene1Gl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test_gl_open(frame_check_width, frame_check_height));
        if (image_count == 0)
            load_images();
        if (diagram_1_lines == nullptr)
            diagram_lines_init();
        scene1_init();
    }
    static void TearDownTestSuite() { scene1_free(); }
    void SetUp() override {
        while (glGetError() != GL_NO_ERROR) {
        }
    }
};

TEST_F(Scene1Gl, NothingButBackgroundWhereFadeIsZero) {
    for (float progress : {0.0f, 0.03f, 1.0f}) {
        frame_check_begin();
        scene1_draw(progress);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        FrameHues c = frame_check_hues(test_read_frame(frame_check_width, frame_check_height));
        EXPECT_EQ(c.background, frame_check_width * frame_check_height) << "progress " << progress;
    }
}

TEST_F(Scene1Gl, StateOnExitWithoutBand) {
    frame_check_begin();
    scene1_draw(0.0f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)); // the band was skipped
}

TEST_F(Scene1Gl, MidWindowShowsTheBandInItsThreeColours) {
    frame_check_begin();
    scene1_draw(0.45f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    // After a full band: the diagrams left depth testing on, the last panel the additive blend.
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);

    FrameHues c = frame_check_hues(test_read_frame(frame_check_width, frame_check_height));
    EXPECT_GT(c.red, 400);
    EXPECT_GT(c.navy, 400);
    EXPECT_GT(c.orange, 400);
    EXPECT_GT(c.background,
              frame_check_width * frame_check_height / 2); // a loose band, mostly open ground
}

TEST_F(Scene1Gl, LogoCaptionShowsInItsSlot) {
    // At 0.15 the logo slot is at its peak: the caption darkens its area of the screen.
    frame_check_begin();
    scene1_draw(0.15f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    FrameHues c = frame_check_hues(test_read_frame(frame_check_width, frame_check_height));
    EXPECT_GT(c.dark, 50);
}

} // namespace
