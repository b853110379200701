// Scene 9: the fibre web's link statistics from its seed, the swarm's ranges, and frames drawn
// in a real offscreen context (exit state, empty at the fades, colours mid-window, beat flash).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/gl.h"
#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "runtime/scene_data.h"
#include "scenes/scene9.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "frame_check.h"

namespace {

float distance(const Vector3& a, const Vector3& b) {
    Vector3 d = difference(a, b);
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

struct Scene9Built {
    Scene9Built() { scene9_init(); }
    ~Scene9Built() { scene9_free(); }
};

} // namespace

TEST(Scene9Data, InitDrawsFromItsOwnSeedAndCountsItsDraws) {
    set_random_seed(12345u);
    uint64_t before = random_draw_count;
    scene9_init();
    uint64_t drawn = random_draw_count - before;
    uint32_t seed_after = random_seed;
    Vector3 first_node = scene9_nodes[0].position;
    scene9_free();

    // 14 per stick, 3 per node position, one link count per node, one target draw per fibre
    // plus the repeated ones, two per fibre point.
    const uint64_t without_repeats = 1500 * 14 + 55 * 3 + 55 + 182 + 182 * 20 * 2;
    EXPECT_EQ(drawn, without_repeats + 6);

    // A different state before init gives the same web: the scene sets its own seed.
    set_random_seed(777u);
    scene9_init();
    EXPECT_EQ(random_seed, seed_after);
    EXPECT_EQ(scene9_nodes[0].position.x, first_node.x);
    EXPECT_EQ(scene9_nodes[0].position.z, first_node.z);
    scene9_free();
}

TEST(Scene9Data, LinkStatisticsOfTheWeb) {
    Scene9Built built;
    int by_count[7] = {};
    int fibres = 0;
    for (int i = 0; i < scene9_node_count; ++i) {
        const FibreNode& node = scene9_nodes[i];
        ASSERT_GE(node.link_count, 2);
        ASSERT_LE(node.link_count, 5);
        ++by_count[node.link_count];
        for (int j = 0; j < node.link_count; ++j) {
            EXPECT_EQ(node.link_lengths[j], 20);
            ++fibres;
        }
    }
    EXPECT_EQ(scene9_node_count, 55);
    EXPECT_EQ(by_count[2], 14);
    EXPECT_EQ(by_count[3], 16);
    EXPECT_EQ(by_count[4], 19);
    EXPECT_EQ(by_count[5], 6);
    EXPECT_EQ(fibres, 182);
}

TEST(Scene9Data, FibresRunFromAnotherNodeToTheirOwnJitteredByATenth) {
    Scene9Built built;
    for (int i = 0; i < scene9_node_count; ++i) {
        const FibreNode& node = scene9_nodes[i];
        const Vector3& p = node.position;
        EXPECT_GE(p.x, 0.0f);
        EXPECT_LE(p.x, 16.0f);
        EXPECT_GE(p.y, -2.5f);
        EXPECT_LE(p.y, 6.5f);
        EXPECT_GE(p.z, 4.5f);
        EXPECT_LE(p.z, 11.5f);
        for (int j = 0; j < node.link_count; ++j) {
            const Vector3* f = node.links[j];
            EXPECT_NEAR(distance(f[19], p), 0.1f, 1e-4f) << "node " << i << " link " << j;
            // Point 0 sits 0.1 from the target node, which is never the node itself.
            int target = -1;
            for (int t = 0; t < scene9_node_count; ++t)
                if (std::fabs(distance(f[0], scene9_nodes[t].position) - 0.1f) < 1e-4f)
                    target = t;
            EXPECT_GE(target, 0) << "node " << i << " link " << j;
            EXPECT_NE(target, i) << "node " << i << " link " << j;
        }
    }
}

TEST(Scene9Data, LinkTargetStaysOnTheNodesForADrawOfOne) {
    EXPECT_EQ(scene9_link_target(0.0f), 0);
    EXPECT_EQ(scene9_link_target(0.5f), 27);
    EXPECT_EQ(scene9_link_target(0.99f), 54);
    EXPECT_EQ(scene9_link_target(1.0f), 54);
}

TEST(Scene9Data, SwarmAndTriggers) {
    Scene9Built built;
    for (int i = 0; i < scene9_stick_count; ++i) {
        const SwarmStick& s = scene9_swarm[i];
        EXPECT_GE(s.length, 0.1f);
        EXPECT_LE(s.length, 0.2f);
        for (float rate : {s.polar_rate, s.azimuth_rate, s.radius_rate}) {
            EXPECT_GE(rate, 5.0f);
            EXPECT_LE(rate, 30.14f);
        }
        EXPECT_GE(s.cycle_phase, 0.0f);
        EXPECT_LE(s.cycle_phase, 1.0f);
        EXPECT_LE(s.angles_from.x, 6.2832f);
        EXPECT_LE(s.angles_to.x, 6.0f * 6.2832f);
    }
    EXPECT_EQ(scene9_triggers->capacity, 400);
    EXPECT_EQ(scene9_triggers->count, 56);
    EXPECT_EQ(scene9_triggers->orders[0], 54);
    EXPECT_EQ(scene9_triggers->orders[55], 63);
    EXPECT_EQ(scene9_triggers->rows[55], 52);
    for (int i = 0; i < 56; ++i)
        EXPECT_EQ(scene9_triggers->durations[i], 700);
}

// The tumble angles go through the float vector scale (π rounded first); the phases and rates
// are formed in double and rounded once. Replay the fourteen draws of every stick.
TEST(Scene9Data, StickValuesFollowTheirDrawsExactly) {
    Scene9Built built;
    set_random_seed(1091059u);
    const float pi_f = (float)pi_value;
    int exact = 0;
    for (int i = 0; i < scene9_stick_count; ++i) {
        float r[15];
        for (int k = 1; k <= 14; ++k)
            r[k] = random_unit();
        const SwarmStick& s = scene9_swarm[i];
        exact += s.angles_from.x == r[3] * 2.0f * pi_f && s.angles_from.z == r[1] * 2.0f * pi_f &&
                 s.angles_to.y == r[5] * 2.0f * pi_f * 6.0f && s.length == 0.1f + 0.1f * r[7] &&
                 s.polar_phase == (float)(2.0f * r[8] * pi_value) &&
                 s.azimuth_rate == (float)(r[11] * 6.283184 * 4 + 5) &&
                 s.radius_rate == (float)(r[13] * 6.283184 * 4 + 5) && s.cycle_phase == r[14];
    }
    EXPECT_EQ(exact, scene9_stick_count);
}

// ---- Frames in a real context ----

namespace {

constexpr int scene9_test_w = 640;
constexpr int scene9_test_h = 360;

class Scene9Gl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The window is shared by every suite of this executable: open it at full size and draw
        // into a corner, whatever size another suite asked for.
        ASSERT_TRUE(test_gl_open(1280, 720));
        diagram_lines_init();
        scene9_init();
    }
    static void TearDownTestSuite() {
        scene9_free();
        diagram_lines_free();
    }

    // The frame as the main loop leaves it at this time of the demo, blending on as the
    // background bands leave it.
    static std::vector<Rgba> draw(float progress) {
        frame_check_begin(scene9_test_w, scene9_test_h);
        scene9_draw(progress);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        return test_read_frame(scene9_test_w, scene9_test_h);
    }
};

int bright_pixels(const std::vector<Rgba>& frame) {
    int n = 0;
    for (const Rgba& p : frame)
        n += p.r > 230 && p.g > 230 && p.b > 230;
    return n;
}

} // namespace

TEST_F(Scene9Gl, LeavesTheStateItPromises) {
    frame_check_begin(scene9_test_w, scene9_test_h);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    scene9_draw(0.7f); // diagrams on the swarm are being drawn at this time
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(frame_check_enabled(GL_BLEND));
    EXPECT_FALSE(frame_check_enabled(GL_DEPTH_TEST));
    EXPECT_FALSE(frame_check_enabled(GL_TEXTURE_2D));
    EXPECT_TRUE(frame_check_blend_is(GL_SRC_ALPHA, GL_ONE));
    EXPECT_EQ(frame_check_float(GL_LINE_WIDTH), 1.0f);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
}

TEST_F(Scene9Gl, NothingButBackgroundAtBothEnds) {
    EXPECT_EQ(frame_check_changed(draw(0.0f), 1), 0);
    EXPECT_EQ(frame_check_changed(draw(1.0f), 1), 0);
}

TEST_F(Scene9Gl, MidWindowShowsTheThreeStreamsAndTheCarpet) {
    std::vector<Rgba> frame = draw(0.5f);
    EXPECT_GT(frame_check_orange(frame), 500);
    EXPECT_GT(frame_check_purple(frame), 500);
    EXPECT_GT(frame_check_navy(frame), 500);
    int dark = 0;
    for (const Rgba& p : frame)
        dark += p.r + p.g + p.b < 3 * 100;
    EXPECT_GT(dark, 2000) << "the carpet's dark hairs";
}

TEST_F(Scene9Gl, FibresFlashOnTheBeatAndDieAwayWithinItsPulse) {
    scene9_free(); // fresh trigger marks: each fires once per run
    scene9_init();
    const float p = 0.3f;
    music_force_position(-1, 0);
    demo_clock.seconds = 165.3f;
    std::vector<Rgba> quiet = draw(p);
    EXPECT_FALSE(scene9_triggers->fired_this_frame());

    music_force_position(54, 0);
    std::vector<Rgba> beat = draw(p);
    EXPECT_TRUE(scene9_triggers->fired_this_frame());
    EXPECT_GT(bright_pixels(beat), bright_pixels(quiet) + 200) << "white shimmer on the fibres";

    // Past the 700 ms pulse the web is as it was without the beat.
    music_force_position(54, 1);
    demo_clock.seconds = 166.1f;
    std::vector<Rgba> after = draw(p);
    EXPECT_FALSE(scene9_triggers->fired_this_frame());
    EXPECT_EQ(frame_check_changed(after, 0), frame_check_changed(quiet, 0));
    int differing = 0;
    for (size_t i = 0; i < after.size(); ++i)
        differing += !frame_check_near(after[i], quiet[i], 0);
    EXPECT_EQ(differing, 0);
    music_force_position(-1, 0);
}
