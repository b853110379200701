// Scene 10: tower trace windows, spoke ribbons and their white trace, the swarm's members, and
// frames in a real offscreen context (exit state, empty at the fades, colours mid-window).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/gl.h"
#include "runtime/scene_data.h"
#include "scenes/scene10.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "frame_check.h"

namespace {

float ground_radius(const Vector3& v) {
    return std::sqrt(v.x * v.x + v.z * v.z);
}

bool same_colour(const Vector3& a, const Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

struct Scene10Built {
    Scene10Built() { scene10_init(); }
    ~Scene10Built() { scene10_free(); }
};

} // namespace

TEST(Scene10Data, InitDrawsFromItsOwnSeedAndCountsItsDraws) {
    set_random_seed(4242u);
    uint64_t before = random_draw_count;
    scene10_init();
    // Four per tower, seven per rung of fifteen 200-rung spokes, ten per tile.
    EXPECT_EQ(random_draw_count - before, 150u * 4 + 15u * 200 * 7 + 500u * 10);
    uint32_t seed_after = random_seed;
    Vector3 tower0 = scene10_towers[0].base;
    scene10_free();

    set_random_seed(1u);
    scene10_init();
    EXPECT_EQ(random_seed, seed_after);
    EXPECT_EQ(scene10_towers[0].base.x, tower0.x);
    scene10_free();
}

TEST(Scene10Data, TowerTraceWindowsFollowOneAnother) {
    Scene10Built built;
    EXPECT_FLOAT_EQ(scene10_towers[0].grow_start, 0.27f);
    EXPECT_NEAR(scene10_towers[0].grow_end, 0.2993333f, 1e-6f);
    EXPECT_NEAR(scene10_towers[149].grow_start, 0.6673333f, 1e-6f);
    EXPECT_NEAR(scene10_towers[149].grow_end, 0.6966667f, 1e-6f);
    for (int i = 1; i < scene10_tower_count; ++i) {
        EXPECT_NEAR(scene10_towers[i].grow_start - scene10_towers[i - 1].grow_start, 0.4f / 150.0f,
                    1e-6f);
        EXPECT_NEAR(scene10_towers[i].grow_end - scene10_towers[i].grow_start, 0.029333334f, 1e-6f);
    }
}

TEST(Scene10Data, TowersStandOnTheGroundAroundTheCentre) {
    Scene10Built built;
    int wide = 0, raised = 0;
    const Vector3 colours[3] = {orange_colour, navy_colour, purple_colour};
    for (int i = 0; i < scene10_tower_count; ++i) {
        const TowerBox& t = scene10_towers[i];
        EXPECT_EQ(t.base.y, 0.0f);
        EXPECT_GE(ground_radius(t.base), 0.03f - 1e-5f);
        EXPECT_LE(ground_radius(t.base), 2.53f + 1e-5f);
        EXPECT_GE(t.half_size, 0.1f);
        EXPECT_LE(t.half_size, 0.2f);
        if (t.half_size > 0.18f) {
            // Wide towers are half as tall again.
            ++wide;
            EXPECT_GE(t.height, 0.75f);
            EXPECT_LE(t.height, 4.95f + 1e-5f);
            if (t.height > 3.3f)
                ++raised;
        } else {
            EXPECT_GE(t.height, 0.5f);
            EXPECT_LE(t.height, 3.3f + 1e-5f);
        }
        EXPECT_TRUE(same_colour(t.colour, colours[i % 3])) << "tower " << i;
    }
    EXPECT_GT(wide, 0);
    EXPECT_GT(raised, 0);
}

TEST(Scene10Data, SpokesRunFromTheRimToTheCentreGrowingSolid) {
    Scene10Built built;
    for (int k = 0; k < scene10_spoke_count; ++k) {
        const SpokeRibbon& s = *scene10_spokes[k];
        ASSERT_EQ(s.rung_count, 200);
        EXPECT_EQ(s.sweep_start, 0.0f);
        EXPECT_EQ(s.sweep_end, 0.35f);
        for (int i = 0; i < s.rung_count; ++i) {
            float u = i / 200.0f;
            EXPECT_FLOAT_EQ(s.weight_a[i], u * u);
            EXPECT_EQ(s.weight_a[i], s.weight_b[i]);
            EXPECT_EQ(s.rung_a[i].y, 0.0f);
            // The rung's middle lies near the spoke's line, at the lerped distance.
            Vector3 mid = scaled(sum(s.rung_a[i], s.rung_b[i]), 0.5f);
            EXPECT_NEAR(ground_radius(mid), 14.5f + (0.2f - 14.5f) * u, 0.08f);
            // Each half-rung is 0.3 long, give or take the jitter.
            Vector3 half = scaled(difference(s.rung_a[i], s.rung_b[i]), 0.5f);
            EXPECT_NEAR(ground_radius(half), 0.3f, 0.08f);
        }
    }
    // Spoke 0 points along +z.
    Vector3 mid0 = scaled(sum(scene10_spokes[0]->rung_a[0], scene10_spokes[0]->rung_b[0]), 0.5f);
    EXPECT_NEAR(mid0.z, 14.5f, 0.08f);
    EXPECT_NEAR(mid0.x, 0.0f, 0.08f);
}

TEST(Scene10Data, SpokeTraceCounts) {
    SpokeTrace none = spoke_trace(0.0f, 200);
    EXPECT_EQ(none.count, 0);
    // Complete: rungs 0..198 at full strength, the last one dark.
    SpokeTrace full = spoke_trace(1.0f, 200);
    EXPECT_EQ(full.count, 200);
    EXPECT_EQ(full.last_k, 0.0f);
    SpokeTrace half = spoke_trace(0.5f, 200);
    EXPECT_EQ(half.count, 100);
    EXPECT_EQ(half.last_k, 0.0f);
    SpokeTrace past_half = spoke_trace(0.5025f, 200);
    EXPECT_EQ(past_half.count, 100);
    EXPECT_NEAR(past_half.last_k, 0.6f, 1e-3f);
}

TEST(Scene10Data, SwarmMembers) {
    Scene10Built built;
    EXPECT_TRUE(scene10_tile_is_diagram(0));
    EXPECT_TRUE(same_colour(scene10_tile_colour(1), purple_colour));
    EXPECT_TRUE(same_colour(scene10_tile_colour(2), orange_colour));
    EXPECT_TRUE(same_colour(scene10_tile_colour(3), red_colour));
    EXPECT_TRUE(same_colour(scene10_tile_colour(4), navy_colour));
    int diagrams = 0;
    for (int j = 0; j < scene10_tile_count; ++j) {
        diagrams += scene10_tile_is_diagram(j);
        const StreamTile& t = scene10_tiles[j];
        float r = ground_radius(t.entry);
        EXPECT_LE(r, 1.0f + 1e-5f);
        EXPECT_EQ(t.entry.y, 0.0f);
        EXPECT_NEAR(t.exit.y, 15.0f, 1e-5f);
        EXPECT_NEAR(ground_radius(t.exit), 6.5f * r, 1e-4f);
        EXPECT_GE(t.rate, 3.0f);
        EXPECT_LE(t.rate, 4.0f);
        EXPECT_TRUE(same_colour(t.colour, Vector3()));
    }
    EXPECT_EQ(diagrams, 30);
}

// ---- Frames in a real context ----

namespace {

constexpr int scene10_test_w = 640;
constexpr int scene10_test_h = 360;

class Scene10Gl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The window is shared by every suite of this executable: open it at full size and draw
        // into a corner, whatever size another suite asked for.
        ASSERT_TRUE(test_gl_open(1280, 720));
        diagram_lines_init();
        scene10_init();
    }
    static void TearDownTestSuite() {
        scene10_free();
        diagram_lines_free();
    }

    static std::vector<Rgba> draw(float progress) {
        frame_check_begin(scene10_test_w, scene10_test_h);
        scene10_draw(progress);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        return test_read_frame(scene10_test_w, scene10_test_h);
    }
};

} // namespace

TEST_F(Scene10Gl, LeavesTheStateItPromises) {
    frame_check_begin(scene10_test_w, scene10_test_h);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    scene10_draw(0.5f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(frame_check_enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(frame_check_enabled(GL_BLEND));
    EXPECT_FALSE(frame_check_enabled(GL_TEXTURE_2D));
    EXPECT_TRUE(frame_check_depth_mask());
}

TEST_F(Scene10Gl, NothingButBackgroundAtBothEnds) {
    EXPECT_EQ(frame_check_changed(draw(0.0f), 1), 0);
    EXPECT_EQ(frame_check_changed(draw(1.0f), 1), 0);
}

TEST_F(Scene10Gl, MidWindowShowsTheTowersInTheirColoursAndTheWhiteTraces) {
    std::vector<Rgba> frame = draw(0.5f);
    EXPECT_GT(frame_check_orange(frame), 500);
    EXPECT_GT(frame_check_navy(frame), 500);
    EXPECT_GT(frame_check_purple(frame), 500);
    int white = 0;
    for (const Rgba& p : frame)
        white += p.r > 235 && p.g > 235 && p.b > 235;
    EXPECT_GT(white, 100);
}

TEST_F(Scene10Gl, TheSwarmIsDrawnOnlyFromItsStart) {
    // Moving every tile far out of sight changes the picture only where the swarm is drawn.
    auto differing = [](const std::vector<Rgba>& a, const std::vector<Rgba>& b) {
        int n = 0;
        for (size_t i = 0; i < a.size(); ++i)
            n += !frame_check_near(a[i], b[i], 0);
        return n;
    };
    std::vector<Rgba> before = draw(0.359f), after = draw(0.45f);
    std::vector<StreamTile> saved(scene10_tiles, scene10_tiles + scene10_tile_count);
    for (int j = 0; j < scene10_tile_count; ++j)
        scene10_tiles[j].entry = scene10_tiles[j].exit = Vector3(0.0f, 500.0f, 0.0f);
    std::vector<Rgba> before_gone = draw(0.359f), after_gone = draw(0.45f);
    std::copy(saved.begin(), saved.end(), scene10_tiles);
    EXPECT_EQ(differing(before, before_gone), 0);
    EXPECT_GT(differing(after, after_gone), 1000);
}

// The tiles' spin angles are formed per component with the double π and rounded once, like the
// opening scene's tiles: replay the tile draws that follow the towers and the spokes.
TEST(Scene10Data, TileSpinsRoundOnceFromTheDoublePi) {
    Scene10Built built;
    set_random_seed(16091u);
    for (int k = 0; k < 150 * 4 + 15 * 200 * 7; ++k)
        random_unit();
    int exact = 0;
    for (int j = 0; j < scene10_tile_count; ++j) {
        for (int k = 0; k < 4; ++k)
            random_unit();
        float r[7];
        for (int k = 1; k <= 6; ++k)
            r[k] = random_unit();
        const StreamTile& t = scene10_tiles[j];
        exact += t.spin_from.x == (float)(r[3] * 2.0f * pi_value) &&
                 t.spin_from.y == (float)(r[2] * 2.0f * pi_value) &&
                 t.spin_from.z == (float)(r[1] * 2.0f * pi_value) &&
                 t.spin_to.x == (float)(r[6] * 4.0f * pi_value) &&
                 t.spin_to.y == (float)(r[5] * 4.0f * pi_value) &&
                 t.spin_to.z == (float)(r[4] * 4.0f * pi_value);
    }
    EXPECT_EQ(exact, scene10_tile_count);
}
