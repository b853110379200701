#include <gtest/gtest.h>

#include <cmath>

#include "frame_check.h"
#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "math/libc_rand.h"
#include "math/random.h"
#include "runtime/scene_data.h"
#include "scenes/scene6.h"
#include "scenes/scenes.h"

namespace {

// Strand 0 first, as the unseeded C library gives them.
const bool scene6_odd[20] = {true,  false, true,  true, true, true,  false, false, true,  true,
                             false, true,  false, true, true, false, false, false, false, false};

// Scene 6 is the C library sequence's first caller: start each build from a fresh sequence.
struct Scene6Fixture : ::testing::Test {
    void SetUp() override {
        libc_rand_seed(libc_rand_state, 1);
        scene6_init();
    }
    void TearDown() override { scene6_free(); }
};

using Scene6Data = Scene6Fixture;

TEST(Scene6Rand, UnseededSequenceGivesTheTwentyParities) {
    LibcRand fresh;
    libc_rand_seed(fresh, 1);
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(libc_rand_next(fresh) % 2 == 1, scene6_odd[k]) << "draw " << k;
}

TEST(Scene6Init, DrawsWhatTheWalksImply) {
    libc_rand_seed(libc_rand_state, 1);
    set_random_seed(4242); // the scene sets its own seed
    uint64_t before = random_draw_count;
    scene6_init();
    uint64_t expected = 0;
    for (int k = 0; k < scene6_strand_count; ++k)
        expected += 2 + 1 + 4 + 3 * (uint64_t)scene6_strands[k].point_count;
    EXPECT_EQ(random_draw_count - before, expected);
    // The first strand: origin (two draws), then its length.
    set_random_seed(10650);
    Vector3 origin = random_direction(1.0f);
    int count = 300 + (int)(101.0f * random_unit());
    EXPECT_EQ(scene6_strands[0].origin.x, origin.x);
    EXPECT_EQ(scene6_strands[0].origin.z, origin.z);
    EXPECT_EQ(scene6_strands[0].point_count, count);
    // Twenty C library draws, one per strand.
    LibcRand fresh;
    libc_rand_seed(fresh, 1);
    for (int k = 0; k < 20; ++k)
        libc_rand_next(fresh);
    EXPECT_EQ(libc_rand(), libc_rand_next(fresh));
    scene6_free();
}

TEST_F(Scene6Data, StrandWindowsAndColours) {
    for (int k = 0; k < scene6_strand_count; ++k) {
        const WalkStrand& s = scene6_strands[k];
        EXPECT_FLOAT_EQ(s.grow_start, k / 20.0f) << k;
        EXPECT_FLOAT_EQ(s.grow_end, k / 20.0f + 0.2f) << k;
        EXPECT_GE(s.point_count, 300) << k;
        EXPECT_LE(s.point_count, 400) << k;
        EXPECT_NEAR(
            std::sqrt(s.origin.x * s.origin.x + s.origin.y * s.origin.y + s.origin.z * s.origin.z),
            1.0f, 1e-5)
            << k;
        if (scene6_odd[k]) {
            EXPECT_EQ(s.fill_colour.x + s.fill_colour.y + s.fill_colour.z, 0.0f) << k;
            EXPECT_EQ(s.line_colour.x, red_colour.x) << k;
            EXPECT_EQ(s.line_colour.y, red_colour.y) << k;
        } else {
            EXPECT_EQ(s.fill_colour.z, navy_colour.z) << k;
            EXPECT_EQ(s.line_colour.x, orange_colour.x) << k;
            EXPECT_EQ(s.line_colour.y, orange_colour.y) << k;
        }
    }
}

TEST_F(Scene6Data, WalkStepsAreShortAndConnected) {
    for (int k = 0; k < scene6_strand_count; ++k) {
        const WalkStrand& s = scene6_strands[k];
        Vector3 prev;
        for (int i = 0; i < s.point_count; ++i) {
            Vector3 d = difference(s.points[i], prev);
            ASSERT_LE(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 0.1f + 1e-6f) << k << ":" << i;
            prev = s.points[i];
        }
    }
}

TEST_F(Scene6Data, GrowthThroughTheWindow) {
    int n;
    float bright;
    const WalkStrand& first = scene6_strands[0];
    // Strand 0 grows over progress 0 … 0.2; nothing at either end of its window.
    EXPECT_FALSE(scene6_strand_growth(first, 0.0f, n, bright));
    EXPECT_FALSE(scene6_strand_growth(first, 0.2f, n, bright));
    EXPECT_TRUE(scene6_strand_growth(first, 0.1f, n, bright));
    EXPECT_EQ(n, first.point_count / 2);
    EXPECT_NEAR(bright, 1.0f, 1e-6);
    // Strand 19 starts at 0.95 and is a quarter grown when the scene ends.
    const WalkStrand& last = scene6_strands[19];
    EXPECT_FALSE(scene6_strand_growth(last, 0.95f, n, bright));
    EXPECT_TRUE(scene6_strand_growth(last, 1.0f, n, bright));
    EXPECT_EQ(n, (int)(last.point_count * 0.25f));
    EXPECT_NEAR(bright, std::sin(3.141592 * 0.25), 1e-5);
    // Barely started: drawn, but with no points yet.
    WalkStrand short_walk = first;
    short_walk.point_count = 300;
    EXPECT_TRUE(scene6_strand_growth(short_walk, 0.0004f, n, bright)); // g = 0.002
    EXPECT_EQ(n, 0);
}

// --- In a real context -------------------------------------------------------------------------

struct Scene6Gl : Scene6Fixture {
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(frame_check_width, frame_check_height));
        Scene6Fixture::SetUp();
    }
};

TEST_F(Scene6Gl, NothingButBackgroundWhereTheFadeIsZero) {
    for (float p : {0.0f, 1.0f}) {
        frame_check_begin();
        scene6_draw(p);
        std::vector<Rgba> frame = test_read_frame(frame_check_width, frame_check_height);
        EXPECT_EQ(frame_check_changed(frame, 1), 0) << "progress " << p;
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene6Gl, StateOnExit) {
    frame_check_begin();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    scene6_draw(0.5f);
    EXPECT_TRUE(frame_check_enabled(GL_BLEND));
    EXPECT_TRUE(frame_check_blend_is(GL_SRC_ALPHA, GL_ONE));
    EXPECT_FALSE(frame_check_enabled(GL_DEPTH_TEST));
    EXPECT_FALSE(frame_check_enabled(GL_TEXTURE_2D));
    EXPECT_FLOAT_EQ(frame_check_float(GL_LINE_WIDTH), 3.0f);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Scene6Gl, MidSceneShowsTheStrandColours) {
    frame_check_begin();
    scene6_draw(0.5f);
    std::vector<Rgba> frame = test_read_frame(frame_check_width, frame_check_height);
    EXPECT_GT(frame_check_changed(frame), 1000);
    // Strands 8 … 11 are growing: odd ones draw red outlines over black fans, strand 10 an
    // orange outline over a navy fan.
    EXPECT_GT(frame_check_orange(frame), 30);
    EXPECT_GT(frame_check_navy(frame), 30);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

} // namespace

namespace {

struct Scene6Triggers : Scene6Gl {
    void TearDown() override {
        music_force_position(-1, 0);
        Scene6Gl::TearDown();
    }
};

std::vector<Rgba> scene6_frame_at(int order, int row, float seconds, float progress) {
    music_force_position(order, row);
    demo_clock.seconds = seconds;
    frame_check_begin();
    scene6_draw(progress);
    return test_read_frame(frame_check_width, frame_check_height);
}

// What a lit frame adds over the same frame once the pulse has died away: the rungs, by the
// way their translucent bodies move the colour. Counted separately in the upper and lower half.
struct RungChange {
    int red[2] = {0, 0};
    int purple[2] = {0, 0};
};

RungChange scene6_rung_change(const std::vector<Rgba>& lit, const std::vector<Rgba>& quiet) {
    RungChange c;
    for (size_t i = 0; i < lit.size(); ++i) {
        int half = (int)(i / frame_check_width) < frame_check_height / 2 ? 0 : 1;
        int dr = lit[i].r - quiet[i].r, dg = lit[i].g - quiet[i].g, db = lit[i].b - quiet[i].b;
        if (dr - dg > 20 && dr - db > 20)
            ++c.red[half];
        if (dr - dg > 12 && db - dg > 12 && std::abs(dr - db) < 12)
            ++c.purple[half];
    }
    return c;
}

TEST_F(Scene6Triggers, EachTriggerSwitchesTheRungStyleAndSnapsTheCluster) {
    bool thin = scene6_rung_thin; // kept for the whole run, whatever ran before
    float angle = scene6_spin_angle;

    // Before any trigger of this table: no rungs, no snap.
    std::vector<Rgba> before = scene6_frame_at(35, 0, 110.0f, 0.4f);
    EXPECT_EQ(scene6_rung_thin, thin);
    EXPECT_EQ(scene6_spin_angle, angle);

    for (int step = 0; step < 2; ++step) {
        const int rows[2] = {0, 12};
        float seconds = 111.0f + step;
        float p = 0.4f + 0.05f * step;
        std::vector<Rgba> lit = scene6_frame_at(36, rows[step], seconds, p);
        ASSERT_TRUE(scene6_triggers.fired_this_frame());
        EXPECT_EQ(scene6_rung_thin, !thin) << step;
        EXPECT_FLOAT_EQ(scene6_spin_angle, angle + 25.0f) << step;
        EXPECT_FLOAT_EQ(scene6_spin_axis.x, sinf(187.0f * p));
        EXPECT_FLOAT_EQ(scene6_spin_axis.y, sinf(114.0f * p));
        EXPECT_FLOAT_EQ(scene6_spin_axis.z, sinf(81.0f * p));

        // 300 ms on, the pulse is gone and the rungs with it; nothing else has changed.
        std::vector<Rgba> quiet = scene6_frame_at(36, 1, seconds + 0.3f, p);
        EXPECT_FALSE(scene6_triggers.fired_this_frame());
        RungChange c = scene6_rung_change(lit, quiet);
        for (int half = 0; half < 2; ++half) {
            if (scene6_rung_thin) {
                EXPECT_GT(c.purple[half], 1000) << "step " << step << " half " << half;
                EXPECT_LT(c.red[half], c.purple[half] / 4) << "step " << step;
            } else {
                EXPECT_GT(c.red[half], 1000) << "step " << step << " half " << half;
                EXPECT_LT(c.purple[half], c.red[half] / 4) << "step " << step;
            }
        }
        thin = scene6_rung_thin;
        angle = scene6_spin_angle;
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

} // namespace
