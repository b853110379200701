#include <gtest/gtest.h>

#include <cmath>

#include "frame_check.h"
#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "math/random.h"
#include "scenes/scene4.h"
#include "scenes/scenes.h"

namespace {

struct Scene4Fixture : ::testing::Test {
    void SetUp() override { scene4_init(); }
    void TearDown() override { scene4_free(); }
};

using Scene4Data = Scene4Fixture;

TEST(Scene4Init, DrawsFiveValuesPerMoteFromItsOwnSeed) {
    uint64_t before = random_draw_count;
    scene4_init();
    EXPECT_EQ(random_draw_count - before, 50000u);
    // The first mote: one discarded draw after seed 1691, then arm, inner, outer, phase.
    set_random_seed(1691);
    random_unit();
    float spread = random_unit();
    float inner = random_unit();
    float outer = random_unit();
    float phase = random_unit();
    EXPECT_FLOAT_EQ(scene4_motes[0].arm_angle, 0.5f + 0.55f * spread);
    EXPECT_FLOAT_EQ(scene4_motes[0].inner_radius, 0.15f * inner + 0.05f);
    EXPECT_FLOAT_EQ(scene4_motes[0].outer_radius, outer + 4.0f);
    EXPECT_FLOAT_EQ(scene4_motes[0].phase, phase);
    scene4_free();
}

TEST_F(Scene4Data, MotesLieOnFiveArmsWithinTheirRadii) {
    const float base[5] = {0.5f, 1.7566369f, 3.0132737f, 4.2699103f, 5.5265474f};
    for (int j = 0; j < scene4_mote_count; ++j) {
        const Scene4Mote& m = scene4_motes[j];
        ASSERT_GE(m.arm_angle, base[j % 5]) << j;
        ASSERT_LE(m.arm_angle, base[j % 5] + 0.55f) << j;
        ASSERT_GE(m.inner_radius, 0.05f) << j;
        ASSERT_LE(m.inner_radius, 0.2f) << j;
        ASSERT_GE(m.outer_radius, 4.0f) << j;
        ASSERT_LE(m.outer_radius, 5.0f) << j;
        ASSERT_GE(m.phase, 0.0f) << j;
        ASSERT_LE(m.phase, 1.0f) << j;
    }
    // Consecutive arms are 2π/5 apart.
    for (int a = 1; a < 5; ++a)
        EXPECT_NEAR(base[a] - base[a - 1], 2 * 3.14159265 / 5, 1e-6);
}

TEST_F(Scene4Data, PathClimbsAsAWideningSpiral) {
    EXPECT_EQ(scene4_path.count, 200);
    Vector3 foot = scene4_path.evaluate(0.0f);
    EXPECT_FLOAT_EQ(foot.x, 0.0f);
    EXPECT_FLOAT_EQ(foot.y, 0.0f);
    EXPECT_FLOAT_EQ(foot.z, 0.0f);
    // The last control point, e = 199/200: height 1.4925, radius 4.3 e³.
    Vector3 top = scene4_path.evaluate(1.0f);
    float e = 199.0f / 200.0f;
    float theta = (float)(2.0f * e * pi_value * 5.0 + 3.5);
    float f = 4.3f * (e * e * e);
    EXPECT_FLOAT_EQ(top.y, 1.5f * e);
    EXPECT_FLOAT_EQ(top.x, sinf(theta) * f);
    EXPECT_FLOAT_EQ(top.z, cosf(theta) * f);
    EXPECT_NEAR(std::hypot(top.x, top.z), 4.2358, 0.001);
    // Through every control point: point 100 has e = 0.5, radius 0.5375, height 0.75.
    Vector3 mid = scene4_path.evaluate(100.0f / 199.0f);
    EXPECT_NEAR(mid.y, 0.75f, 1e-5);
    EXPECT_NEAR(std::hypot(mid.x, mid.z), 4.3 * 0.125, 1e-5);
}

TEST_F(Scene4Data, ViewpointsCycleEverySevenCuts) {
    const Vector3 expected[7] = {{0, 2, -7},    {1, 3, -5},   {-2, 2.3f, -8}, {-3, -4, 5},
                                 {3, -2.3f, 7}, {2, 1.3f, 5}, {1, -4.3f, 5}};
    for (int index = 0; index < 21; ++index) {
        Vector3 eye, centre;
        scene4_camera(index, 0.5f, eye, centre);
        const Vector3& want = expected[index % 7];
        EXPECT_NEAR(eye.x, want.x, 1e-6) << index;
        EXPECT_NEAR(eye.y, want.y, 1e-6) << index;
        EXPECT_NEAR(eye.z, want.z, 1e-6) << index;
        EXPECT_NEAR(centre.y, 0.5f, 1e-6) << index;
    }
}

TEST_F(Scene4Data, CameraPullsBackOnlyAtTheEnd) {
    Vector3 eye, centre;
    scene4_camera(0, 0.8f, eye, centre);
    EXPECT_NEAR(eye.x, 0.0f, 1e-4);
    EXPECT_NEAR(eye.y, 2.0f, 1e-4); // 0.7^46 × 600 ≈ 4e-5
    scene4_camera(0, 1.0f, eye, centre);
    // 0.9^46 × 300 ≈ 2.357 along (−0.9, 2, −1).
    EXPECT_NEAR(eye.x, -2.121f, 0.002);
    EXPECT_NEAR(eye.y, 2.0f + 4.713f, 0.002);
    EXPECT_NEAR(eye.z, -7.0f - 2.357f, 0.002);
    EXPECT_NEAR(centre.x, -2.121f, 0.002);
    EXPECT_NEAR(centre.y, 1.0f + 4.713f, 0.002);
    EXPECT_NEAR(centre.z, -2.357f, 0.002);
}

TEST_F(Scene4Data, MotesTravelInwardAndOnlyWrapAboveOne) {
    Scene4Mote saved = scene4_motes[0];
    scene4_motes[0] = Scene4Mote{0.5f, 4.5f, 0.1f, 1.0f};
    float t = 0;
    Vector3 at_one = scene4_mote_position(0, 0.0f, t);
    EXPECT_EQ(t, 1.0f); // exactly 1 stays: the mote sits at its inner radius
    EXPECT_NEAR(std::hypot(at_one.x, at_one.z), 0.1f, 1e-6);
    EXPECT_NEAR(std::atan2(at_one.x, at_one.z), 0.5f - 0.1f, 1e-5);
    scene4_motes[0].phase = 0.25f;
    Vector3 early = scene4_mote_position(0, 0.0f, t);
    EXPECT_FLOAT_EQ(t, 0.25f);
    EXPECT_NEAR(std::hypot(early.x, early.z), 0.75f * 4.5f + 0.25f * 0.1f, 1e-5);
    scene4_mote_position(0, 1.0f, t); // 1.25 wraps to 0.25
    EXPECT_FLOAT_EQ(t, 0.25f);
    EXPECT_EQ(early.y, 0.0f);
    scene4_motes[0] = saved;
}

// --- In a real context -------------------------------------------------------------------------

struct Scene4Gl : Scene4Fixture {
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(frame_check_width, frame_check_height));
        Scene4Fixture::SetUp();
    }
};

TEST_F(Scene4Gl, DrawsOneRandomValuePerFrame) {
    for (float p : {0.0f, 0.1f, 0.5f, 1.0f}) {
        frame_check_begin();
        uint64_t before = random_draw_count;
        scene4_draw(p);
        EXPECT_EQ(random_draw_count - before, 1u) << p;
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene4Gl, NothingButBackgroundWhereTheFadeIsZero) {
    for (float p : {0.0f, 1.0f}) {
        frame_check_begin();
        scene4_draw(p);
        std::vector<Rgba> frame = test_read_frame(frame_check_width, frame_check_height);
        EXPECT_EQ(frame_check_changed(frame, 1), 0) << "progress " << p;
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene4Gl, StateOnExit) {
    // Mid-scene the jets show and the draw runs to the end: depth test off.
    frame_check_begin();
    scene4_draw(0.5f);
    EXPECT_FALSE(frame_check_enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(frame_check_enabled(GL_BLEND));
    EXPECT_TRUE(frame_check_blend_is(GL_SRC_ALPHA, GL_ONE));
    EXPECT_FLOAT_EQ(frame_check_float(GL_POINT_SIZE), 4.0f);
    EXPECT_TRUE(frame_check_depth_mask());
    EXPECT_FALSE(frame_check_enabled(GL_TEXTURE_2D));
    // Before the flare the frame ends after the mote cores: depth test on, point size 1.
    frame_check_begin();
    scene4_draw(0.1f);
    EXPECT_TRUE(frame_check_enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(frame_check_blend_is(GL_SRC_ALPHA, GL_ONE));
    EXPECT_FLOAT_EQ(frame_check_float(GL_POINT_SIZE), 1.0f);
    EXPECT_TRUE(frame_check_depth_mask());
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene4Gl, MidSceneShowsNavyAndOrange) {
    frame_check_begin();
    scene4_draw(0.5f);
    std::vector<Rgba> frame = test_read_frame(frame_check_width, frame_check_height);
    EXPECT_GT(frame_check_changed(frame), 2000);
    EXPECT_GT(frame_check_navy(frame), 200);
    EXPECT_GT(frame_check_orange(frame), 50);
}

} // namespace

namespace {

// The modelview a viewpoint gives at progress p: look-at plus the spiral's turn.
std::vector<float> scene4_expected_view(int camera_index, float p) {
    Vector3 eye, centre;
    scene4_camera(camera_index, p, eye, centre);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.2f, 0.8f, 0.0f);
    glRotatef(70.0f * p, 0, 1, 0);
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

std::vector<float> scene4_drawn_view(float p) {
    frame_check_begin();
    scene4_draw(p);
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

struct Scene4Triggers : Scene4Gl {
    void TearDown() override {
        music_force_position(-1, 0);
        Scene4Gl::TearDown();
    }
};

TEST_F(Scene4Triggers, CameraCutsOnTheFollowingFrame) {
    int first = scene4_camera_index; // kept for the whole run, whatever ran before
    music_force_position(21, 0);     // no trigger of this scene
    demo_clock.seconds = 61.0f;
    EXPECT_EQ(scene4_drawn_view(0.1f), scene4_expected_view(first, 0.1f));
    EXPECT_EQ(scene4_camera_index, first);

    // The frame in which (22, 0) fires still shows the old viewpoint, at full pulse.
    music_force_position(22, 0);
    demo_clock.seconds = 61.5f;
    EXPECT_EQ(scene4_drawn_view(0.125f), scene4_expected_view(first, 0.125f));
    EXPECT_TRUE(scene4_triggers.fired_this_frame());
    EXPECT_EQ(scene4_camera_index, first + 1);

    // Still at the same row next frame: fired once only, the cut shows now.
    demo_clock.seconds = 61.52f;
    EXPECT_EQ(scene4_drawn_view(0.126f), scene4_expected_view(first + 1, 0.126f));
    EXPECT_FALSE(scene4_triggers.fired_this_frame());
    EXPECT_EQ(scene4_camera_index, first + 1);
}

TEST_F(Scene4Triggers, SevenCutsComeBackToTheSameViewpoint) {
    int first = scene4_camera_index;
    const int positions[7][2] = {{22, 0},  {22, 32}, {22, 40}, {23, 0},
                                 {23, 32}, {23, 40}, {24, 40}};
    float seconds = 62.0f;
    for (const auto& pos : positions) {
        music_force_position(pos[0], pos[1]);
        demo_clock.seconds = seconds;
        frame_check_begin();
        scene4_draw(0.2f);
        EXPECT_TRUE(scene4_triggers.fired_this_frame()) << pos[0] << "," << pos[1];
        seconds += 1.0f;
    }
    EXPECT_EQ(scene4_camera_index, first + 7);
    music_force_position(24, 1);
    EXPECT_EQ(scene4_drawn_view(0.3f), scene4_expected_view(first, 0.3f));
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene4Triggers, PulseLightsTheRedAndPurplePanels) {
    // The same frame twice, the second with a fresh trigger; the spark draw is made equal.
    music_force_position(21, 0);
    demo_clock.seconds = 70.0f;
    set_random_seed(5);
    frame_check_begin();
    scene4_draw(0.5f);
    std::vector<Rgba> quiet = test_read_frame(frame_check_width, frame_check_height);
    music_force_position(25, 0);
    set_random_seed(5);
    frame_check_begin();
    scene4_draw(0.5f);
    EXPECT_TRUE(scene4_triggers.fired_this_frame());
    std::vector<Rgba> lit = test_read_frame(frame_check_width, frame_check_height);
    // Unsaturated, the white cores raise all three channels alike; the red copy raises red over
    // green and blue, the purple copy red and blue over green.
    int redder = 0, purpler = 0;
    for (size_t i = 0; i < lit.size(); ++i) {
        if (lit[i].r == 255 || lit[i].g == 255 || lit[i].b == 255)
            continue; // a saturated white core hides what lies under it
        int dr = lit[i].r - quiet[i].r, dg = lit[i].g - quiet[i].g, db = lit[i].b - quiet[i].b;
        if (dr > dg + 10 && dr > db + 10)
            ++redder;
        if (dr > dg + 8 && db > dg + 8)
            ++purpler;
    }
    EXPECT_GT(redder, 600);
    EXPECT_GT(purpler, 600);
}

} // namespace
