// Scene 3: the ribbons' data from the running sequence, their growth, and the
// beat-driven spin.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "elements/diagrams.h"
#include "frame_check.h"
#include "math/matrix3.h"
#include "math/random.h"
#include "render/gl.h"
#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "runtime/scene_data.h"
#include "scenes/scene3.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"

namespace {

TEST(Scene3Data, ContinuesTheSequenceWithEightDrawsPerStick) {
    set_random_seed(4242u);
    random_unit(); // somewhere in the middle of a sequence, as after scene 4's
                   // init
    uint32_t seed_before = random_seed;
    uint64_t before = random_draw_count;
    scene3_init();
    EXPECT_EQ(random_draw_count - before, 20u * 700u * 8u + 50u * 6u);
    uint32_t seed_after = random_seed;

    set_random_seed(seed_before);
    float r[9];
    for (int k = 1; k <= 8; ++k)
        r[k] = random_unit();
    const AnimatedStick& first = scene3_sticks[0][0];
    EXPECT_EQ(first.angles_from.x, r[3]);
    EXPECT_EQ(first.angles_from.y, r[2]);
    EXPECT_EQ(first.angles_from.z, r[1]);
    EXPECT_EQ(first.angles_to.x, 5.0f * r[6]);
    EXPECT_EQ(first.angles_to.z, 5.0f * r[4]);
    EXPECT_EQ(first.start, 0.0f);
    EXPECT_EQ(first.end, r[7]);
    EXPECT_EQ(first.half_length, r[8] * 0.05f);

    // Ribbon order, then stick order; the flashes come last.
    for (int i = 8; i < 8 * 700 * 20; ++i)
        random_unit();
    float q[7];
    for (int j = 0; j < 50; ++j)
        for (int k = 1; k <= 6; ++k)
            q[k] = random_unit();
    EXPECT_EQ(scene3_flash_axes[49].x, q[6]);
    EXPECT_EQ(scene3_flash_axes[49].z, q[4]);
    EXPECT_EQ(random_seed, seed_after);
    scene3_free();

    // A different starting point gives different sticks: the scene sets no seed
    // of its own.
    set_random_seed(99u);
    scene3_init();
    EXPECT_NE(scene3_sticks[0][0].angles_from.x, r[3]);
    scene3_free();
}

TEST(Scene3Data, RibbonLeadsInExtendedPrecision) {
    scene3_init();
    const int expected[20] = {-210, -174, -139, -104, -69, -35, 0,   34,  70,  104,
                              139,  175,  210,  244,  279, 315, 350, 385, 419, 454};
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(scene3_lead(k), expected[k]) << "ribbon " << k;
    scene3_free();
}

TEST(Scene3Data, VisibleSticksGrowTwoPerStepOfTheHead) {
    scene3_init();
    for (int k = 0; k <= 6; ++k)
        EXPECT_EQ(scene3_visible_sticks(k, 0.0f), 0) << "ribbon " << k;
    EXPECT_EQ(scene3_visible_sticks(7, 0.0f), 34);
    EXPECT_EQ(scene3_visible_sticks(19, 0.0f), 454);
    // 0.65 as a float is slightly below 0.65: the head is 454, not 455.
    EXPECT_EQ(scene3_visible_sticks(0, 0.65f), 698);
    EXPECT_EQ(scene3_visible_sticks(19, 0.65f), 700);
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(scene3_visible_sticks(k, 0.75f), 700) << "ribbon " << k;
    EXPECT_EQ(scene3_visible_sticks(0, 1.0f), 700);
    scene3_free();
}

TEST(Scene3Data, SticksSitOnTwistedWavyPaths) {
    scene3_init();
    for (int k = 0; k < 20; ++k) {
        float kf = k / 20.0f;
        // The first stick of each ribbon is untwisted, at the x = -5 end.
        const AnimatedStick& s0 = scene3_sticks[k][0];
        EXPECT_EQ(s0.centre_from.x, -5.0f);
        EXPECT_FLOAT_EQ(s0.centre_from.y, 0.2f * (cosf(17.0f * kf) + kf));
        EXPECT_FLOAT_EQ(s0.centre_from.z, 0.3f * cosf(7.0f * kf));
        for (int i = 0; i < 700; ++i) {
            const AnimatedStick& s = scene3_sticks[k][i];
            ASSERT_EQ(s.centre_from.x, s.centre_to.x);
            ASSERT_EQ(s.centre_from.y, s.centre_to.y);
            ASSERT_EQ(s.centre_from.z, s.centre_to.z);
            ASSERT_LE(s.half_length, 0.05f);
            ASSERT_LE(s.end, 1.0f);
        }
    }
    // Half-way along, the path has turned 12.5 radians about the axis: the
    // distance from the axis is that of the untwisted wave, the direction is
    // turned.
    float u = 350 / 700.0f, kf = 0.5f;
    Vector3 w(0.0f, 0.2f * (cosf(15.0f * u + 17.0f * kf) + sinf(19.0f * u) + kf),
              0.3f * (cosf(17.0f * u + 7.0f * kf) + sinf(24.0f * u)));
    Vector3 expected = transformed(w, make_rotation(12.5f, 0.0f, 0.0f));
    const Vector3& c = scene3_sticks[10][350].centre_from;
    EXPECT_NEAR(c.y, expected.y, 1e-6f);
    EXPECT_NEAR(c.z, expected.z, 1e-6f);
    EXPECT_GT(std::fabs(c.y - w.y) + std::fabs(c.z - w.z), 0.01f);

    for (int j = 0; j < 50; ++j) {
        const Vector3& p = scene3_flash_positions[j];
        EXPECT_LE(std::fabs(p.x), 100.0f);
        EXPECT_LE(std::fabs(p.y), 15.0f);
        EXPECT_LE(std::fabs(p.z), 15.0f);
        const Vector3& a = scene3_flash_axes[j];
        EXPECT_TRUE(a.x >= 0.0f && a.x <= 1.0f && a.y >= 0.0f && a.y <= 1.0f && a.z >= 0.0f &&
                    a.z <= 1.0f);
    }
    scene3_free();
}

TEST(Scene3Data, TwentyFourShortBeats) {
    scene3_init();
    EXPECT_EQ(scene3_triggers.capacity, 24);
    EXPECT_EQ(scene3_triggers.count, 24);
    const int expected[24][2] = {{14, 0},  {14, 12}, {14, 44}, {15, 0},  {15, 12}, {15, 44},
                                 {16, 0},  {16, 12}, {16, 44}, {17, 0},  {17, 12}, {17, 44},
                                 {17, 54}, {18, 0},  {18, 12}, {18, 44}, {19, 32}, {19, 44},
                                 {20, 0},  {20, 32}, {20, 40}, {21, 0},  {21, 32}, {21, 40}};
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(scene3_triggers.orders[i], expected[i][0]) << i;
        EXPECT_EQ(scene3_triggers.rows[i], expected[i][1]) << i;
        EXPECT_EQ(scene3_triggers.durations[i], 200) << i;
    }
    scene3_free();
}

TEST(Scene3Data, SettledSticksAreDrawnWhereTheyCameToRest) {
    scene3_init();
    // The draw takes a resting stick's end points from a table made at init: they
    // must be the very points the stick itself gives.
    for (float t : {0.3f, 0.77f, 1.0f})
        for (int k = 0; k < 20; k += 7)
            for (int i = 0; i < 700; ++i) {
                const AnimatedStick& s = scene3_sticks[k][i];
                if (t < s.end)
                    continue;
                Vector3 a, b, a1, b1;
                stick_endpoints(s, t, a, b);
                stick_endpoints(s, 1.0f, a1, b1);
                ASSERT_TRUE(a.x == a1.x && a.y == a1.y && a.z == a1.z && b.x == b1.x &&
                            b.y == b1.y && b.z == b1.z)
                    << "ribbon " << k << " stick " << i << " at " << t;
            }
    scene3_free();
}

class Scene3Gl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test_gl_open(frame_check_width, frame_check_height));
        if (diagram_1_lines == nullptr)
            diagram_lines_init();
    }
    void SetUp() override {
        scene3_init();
        music_force_position(0, 63); // a position no trigger listens for
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override {
        music_force_position(-1, 0);
        scene3_free();
    }
    FrameHues draw(float progress) {
        frame_check_begin();
        scene3_draw(progress);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        return frame_check_hues(test_read_frame(frame_check_width, frame_check_height));
    }
};

TEST_F(Scene3Gl, NothingButBackgroundAtBothEnds) {
    EXPECT_EQ(draw(0.0f).background, frame_check_width * frame_check_height);
    EXPECT_EQ(draw(1.0f).background, frame_check_width * frame_check_height);
}

TEST_F(Scene3Gl, StateOnExit) {
    draw(0.5f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)); // the diagram row runs last
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    GLboolean depth_writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_writes);
    EXPECT_TRUE(depth_writes);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(Scene3Gl, MidWindowHoldsNavyAndOrangeRibbons) {
    FrameHues c = draw(0.5f);
    EXPECT_GT(c.navy, 1500);
    EXPECT_GT(c.orange, 1500);
    EXPECT_GT(c.background, frame_check_width * frame_check_height / 4);
}

TEST_F(Scene3Gl, SpinStepsBackOncePerFrameWithAFiredBeat) {
    float spin = scene3_spin_angle; // kept across inits: earlier tests may have moved it
    demo_clock.seconds = 45.0f;
    draw(0.27f);
    EXPECT_EQ(scene3_spin_angle, spin);
    EXPECT_FALSE(scene3_triggers.fired_this_frame());

    music_force_position(14, 0);
    demo_clock.seconds = 45.1f;
    draw(0.275f);
    EXPECT_TRUE(scene3_triggers.fired_this_frame());
    EXPECT_EQ(scene3_spin_angle, spin - 34.0f);

    // Still on the same row next frame: the trigger has fired already.
    demo_clock.seconds = 45.12f;
    draw(0.276f);
    EXPECT_FALSE(scene3_triggers.fired_this_frame());
    EXPECT_EQ(scene3_spin_angle, spin - 34.0f);

    music_force_position(14, 12);
    demo_clock.seconds = 45.4f;
    draw(0.29f);
    EXPECT_EQ(scene3_spin_angle, spin - 68.0f);
    demo_clock.seconds = 0.0f;
}

TEST_F(Scene3Gl, BeatFlashesDiagramsWhileItsPulseLasts) {
    demo_clock.seconds = 50.0f;
    FrameHues quiet = draw(0.5f);
    music_force_position(15, 44);
    demo_clock.seconds = 50.05f;
    FrameHues beat = draw(0.5f);
    EXPECT_GT(scene3_triggers.update(), 0.0f);
    // The burst adds fifty small diagrams over the same ribbons.
    EXPECT_LT(beat.background, quiet.background - 1000);
    demo_clock.seconds = 0.0f;
}

} // namespace
