#include <gtest/gtest.h>

#include <cmath>

#include "frame_check.h"
#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "math/random.h"
#include "scenes/scene5.h"
#include "scenes/scenes.h"

namespace {

struct Scene5Fixture : ::testing::Test {
    void SetUp() override { scene5_init(); }
    void TearDown() override { scene5_free(); }
};

using Scene5Data = Scene5Fixture;

TEST(Scene5Init, DrawsThirteenValuesPerFloaterFromItsOwnSeed) {
    set_random_seed(12345); // whatever came before must not matter
    uint64_t before = random_draw_count;
    scene5_init();
    EXPECT_EQ(random_draw_count - before, 9100u);
    const FloatingDiagram first = scene5_floaters[0];
    const FloatingDiagram last = scene5_floaters[699];
    scene5_free();
    set_random_seed(999);
    scene5_init();
    EXPECT_EQ(scene5_floaters[0].end, first.end);
    EXPECT_EQ(scene5_floaters[699].radius_to, last.radius_to);
    // The first floater's draws, in order: end, height, angle, radius, u1, u2, u3, ...
    set_random_seed(160919);
    float end = random_unit() * 0.1f + (0.25f + 0.06f);
    float height = random_unit() * 5.0f + 30.0f;
    float angle = (float)(random_unit() * 2.0 * pi_value);
    float radius = random_unit();
    float u1 = random_unit(), u2 = random_unit(), u3 = random_unit();
    const FloatingDiagram& f = scene5_floaters[0];
    EXPECT_FLOAT_EQ(f.end, end);
    EXPECT_FLOAT_EQ(f.sky.y, height);
    EXPECT_FLOAT_EQ(f.ground.x, 32.0f * radius * cosf(angle));
    EXPECT_FLOAT_EQ(f.ground.z, 32.0f * radius * sinf(angle));
    EXPECT_FLOAT_EQ(f.axis.x, 1.0f - 2.0f * u3);
    EXPECT_FLOAT_EQ(f.axis.z, 1.0f - 2.0f * u1);
    EXPECT_FLOAT_EQ(f.axis.y, 1.0f - 2.0f * u2);
    float spin_a = random_unit() * 360.0f;
    float spin_b = random_unit() * 520.0f;
    float swirl_from = (float)(random_unit() * 2.0 * pi_value);
    // u × 3 rounds to single precision first; the double product differs by one unit in the
    // last place for this floater.
    float swirl_to = (float)(random_unit() * 3.0f * pi_value);
    EXPECT_EQ(f.spin_a, spin_a);
    EXPECT_EQ(f.spin_b, spin_b);
    EXPECT_EQ(f.swirl_from, swirl_from);
    EXPECT_EQ(f.swirl_to, swirl_to);
    scene5_free();
}

TEST_F(Scene5Data, GridSpansTheSquareField) {
    EXPECT_FLOAT_EQ(scene5_grid[0].x, -1.25f);
    EXPECT_FLOAT_EQ(scene5_grid[0].z, -1.25f);
    EXPECT_NEAR(scene5_grid[59].x, 1.2083333f, 1e-6);
    EXPECT_FLOAT_EQ(scene5_grid[59].z, -1.25f); // a row runs along x
    EXPECT_NEAR(scene5_grid[60 * 59].z, 1.2083333f, 1e-6);
    for (int k = 0; k < scene5_stroke_count; ++k)
        ASSERT_EQ(scene5_grid[k].y, 0.0f);
}

TEST_F(Scene5Data, FloaterLifetimes) {
    // Floater 0 lives from 0.25 to somewhere in [0.31, 0.41]; R exactly 0 or 1 is not drawn.
    const FloatingDiagram& f0 = scene5_floaters[0];
    EXPECT_FLOAT_EQ(f0.start, 0.25f);
    EXPECT_GE(f0.end, 0.31f);
    EXPECT_LE(f0.end, 0.41f);
    EXPECT_FALSE(scene5_floater_shown(scene5_floater_life(0, 0.25f)));
    EXPECT_FALSE(scene5_floater_shown(scene5_floater_life(0, f0.end)));
    EXPECT_TRUE(scene5_floater_shown(scene5_floater_life(0, 0.5f * (f0.start + f0.end))));
    for (int k = 0; k < scene5_floater_count; ++k) {
        const FloatingDiagram& f = scene5_floaters[k];
        ASSERT_NEAR(f.start, 0.25f + k / 700.0f, 1e-5) << k;
        ASSERT_GE(f.end - f.start, 0.06f - 1e-6f) << k;
        ASSERT_LE(f.end - f.start, 0.16f + 1e-6f) << k;
        ASSERT_EQ(f.ground.x, f.sky.x);
        ASSERT_EQ(f.ground.z, f.sky.z);
        ASSERT_LE(std::hypot(f.ground.x, f.ground.z), 32.0f + 1e-4f);
        ASSERT_GE(f.sky.y, 30.0f);
        ASSERT_LE(f.sky.y, 35.0f);
    }
    // Exactly 525 of the 700 ever show within the window: none before a quarter of the way
    // in, and those starting at progress 1 or later never.
    int ever_shown = 0;
    for (int k = 0; k < scene5_floater_count; ++k) {
        bool shown = false;
        for (int step = 0; step <= 20000 && !shown; ++step)
            shown = scene5_floater_shown(scene5_floater_life(k, step / 20000.0f));
        EXPECT_EQ(shown, k < 525) << k;
        ever_shown += shown;
    }
    EXPECT_EQ(ever_shown, 525);
    for (int k = 0; k < scene5_floater_count; ++k)
        ASSERT_FALSE(scene5_floater_shown(scene5_floater_life(k, 0.2499f)));
}

TEST_F(Scene5Data, DiagramChoiceByIndex) {
    for (int j = 0; j < 30; j += 3) {
        EXPECT_EQ(scene5_floater_diagram(j), 3) << j;
        EXPECT_EQ(scene5_floater_diagram(j + 1), 1) << j + 1;
        EXPECT_EQ(scene5_floater_diagram(j + 2), 4) << j + 2;
    }
}

TEST_F(Scene5Data, CameraOrbitAndFinalClimb) {
    // Without triggers the orbit radius is 0.8 × (0.5 cos 15p + 3.2), between 2.16 and 2.96.
    float lo = 10, hi = 0;
    for (int i = 0; i <= 700; ++i) {
        float p = i / 1000.0f;
        Vector3 eye, centre, up;
        scene5_camera(p, 0.0f, eye, centre, up);
        float base_z = 2.3f * p - 1.0f;
        float radius = std::hypot(eye.x, eye.z - base_z);
        EXPECT_NEAR(radius, 0.8f * (0.5f * cosf(15.0f * p) + 3.2f), 1e-4) << p;
        lo = std::min(lo, radius);
        hi = std::max(hi, radius);
    }
    EXPECT_NEAR(lo, 2.16f, 0.01);
    EXPECT_NEAR(hi, 2.96f, 0.01);
    // A full pulse widens the orbit to the full radius.
    Vector3 eye, centre, up;
    scene5_camera(0.0f, 1.0f, eye, centre, up);
    EXPECT_NEAR(eye.z, -1.0f + 3.7f, 1e-5);
    // At p = 1 the lift raises both eye and centre by about 4.11.
    scene5_camera(1.0f, 0.0f, eye, centre, up);
    EXPECT_NEAR(centre.y, 4.11f, 0.01);
    EXPECT_NEAR(eye.y, 1.2f + centre.y, 1e-4);
    EXPECT_FLOAT_EQ(up.x, 0.1f);
    EXPECT_FLOAT_EQ(up.z, 0.03f);
}

TEST_F(Scene5Data, SwayHeightsFollowTheWaves) {
    scene5_update_heights(0.0f, 0.2f);
    EXPECT_FLOAT_EQ(scene5_heights[0], 0.4f); // cos 0 + cos 0 + sin 0 + sin 0
    float a = 0.7f, amp = 0.15f;
    scene5_update_heights(a, amp);
    for (int i : {0, 13, 59})
        for (int j : {0, 31, 59}) {
            float d = i / 60.0f, f = j / 60.0f;
            float want = amp * (cosf(4 * a + 7 * d * f) + cosf(6 * a + 11 * d) +
                                sinf(5 * a + 16 * f) + sinf(2 * a + 5 * d + 11 * f));
            EXPECT_FLOAT_EQ(scene5_heights[i * 60 + j], want) << i << "," << j;
        }
    scene5_update_heights(a, 0.0f);
    for (int k = 0; k < scene5_stroke_count; ++k)
        ASSERT_EQ(scene5_heights[k], 0.0f);
}

// --- In a real context -------------------------------------------------------------------------

struct Scene5Gl : Scene5Fixture {
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(frame_check_width, frame_check_height));
        Scene5Fixture::SetUp();
    }
};

TEST_F(Scene5Gl, NothingButBackgroundWhereTheFadeIsZero) {
    for (float p : {0.0f, 1.0f}) {
        frame_check_begin();
        uint64_t before = random_draw_count;
        scene5_draw(p);
        EXPECT_EQ(random_draw_count, before); // the draw takes no random values
        std::vector<Rgba> frame = test_read_frame(frame_check_width, frame_check_height);
        EXPECT_EQ(frame_check_changed(frame, 1), 0) << "progress " << p;
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene5Gl, StateOnExit) {
    // Before any floater: the squares leave line width 3 and the depth test off.
    frame_check_begin();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    scene5_draw(0.1f);
    EXPECT_FALSE(frame_check_enabled(GL_TEXTURE_2D));
    EXPECT_TRUE(frame_check_enabled(GL_BLEND));
    EXPECT_TRUE(frame_check_blend_is(GL_SRC_ALPHA, GL_ONE));
    EXPECT_FALSE(frame_check_enabled(GL_DEPTH_TEST));
    EXPECT_FLOAT_EQ(frame_check_float(GL_LINE_WIDTH), 3.0f);
    // With floaters drawn the line diagrams leave their own state.
    frame_check_begin();
    scene5_draw(0.5f);
    EXPECT_FALSE(frame_check_enabled(GL_TEXTURE_2D));
    EXPECT_TRUE(frame_check_blend_is(GL_SRC_ALPHA, GL_ONE));
    EXPECT_TRUE(frame_check_enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(frame_check_depth_mask());
    EXPECT_FLOAT_EQ(frame_check_float(GL_LINE_WIDTH), 1.0f);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene5Gl, MidSceneShowsOrangeAndNavyStrokes) {
    frame_check_begin();
    scene5_draw(0.5f);
    std::vector<Rgba> frame = test_read_frame(frame_check_width, frame_check_height);
    EXPECT_GT(frame_check_changed(frame), 2000);
    EXPECT_GT(frame_check_orange(frame), 100);
    EXPECT_GT(frame_check_navy(frame), 100);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

} // namespace

namespace {

struct Scene5Triggers : Scene5Gl {
    void TearDown() override {
        music_force_position(-1, 0);
        Scene5Gl::TearDown();
    }
};

std::vector<float> scene5_view_for(float p, float pulse) {
    Vector3 eye, centre, up;
    scene5_camera(p, pulse, eye, centre, up);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// The camera's matrix as the draw left it: the floaters push and pop around their own.
std::vector<float> scene5_drawn_view(float p) {
    frame_check_begin();
    scene5_draw(p);
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

TEST_F(Scene5Triggers, ATriggerWidensTheOrbitForHalfASecond) {
    music_force_position(27, 0); // none of this scene's
    demo_clock.seconds = 85.0f;
    EXPECT_EQ(scene5_drawn_view(0.3f), scene5_view_for(0.3f, 0.0f));
    music_force_position(28, 12);
    EXPECT_EQ(scene5_drawn_view(0.3f), scene5_view_for(0.3f, 1.0f));
    demo_clock.seconds = 85.25f; // halfway through the 500 ms pulse
    EXPECT_EQ(scene5_drawn_view(0.3f), scene5_view_for(0.3f, 0.5f));
    demo_clock.seconds = 85.5f;
    EXPECT_EQ(scene5_drawn_view(0.3f), scene5_view_for(0.3f, 0.0f));
}

} // namespace
