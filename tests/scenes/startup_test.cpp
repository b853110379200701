// The whole start-up through the shared random sequence: every init in the demo's order, each
// taking exactly its number of draws from where it must start, then the 50,000 discarded draws.
#include <gtest/gtest.h>

#include <vector>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/images.h"
#include "runtime/demo.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"

namespace {

// The generator run forward on its own, to know where each init must leave it.
uint32_t steps_from(uint32_t seed, uint64_t steps) {
    for (uint64_t i = 0; i < steps; ++i)
        seed = random_step(seed);
    return seed;
}

float unit_of(uint32_t seed) {
    return (float)((double)seed / 4294967291.0);
}

// Scene 6's walks have random lengths: replay its draws to know how many it takes.
uint64_t scene6_expected_draws() {
    uint32_t s = 10650u;
    uint64_t draws = 0;
    for (int k = 0; k < 20; ++k) {
        s = steps_from(s, 2); // origin
        s = random_step(s);   // point count
        int points = 300 + (int)(101.0f * unit_of(s));
        s = steps_from(s, 4 + 3 * (uint64_t)points);
        draws += 2 + 1 + 4 + 3 * (uint64_t)points;
    }
    return draws;
}

struct StartupStep {
    const char* name;
    void (*init)();
    uint32_t seed;  // the seed the init sets first; 0: it sets none
    uint64_t draws; // values it takes from the sequence
};

constexpr uint32_t no_seed = 0;
constexpr uint64_t scene9_draws = 1500 * 14 + 55 * 3 + 55 + (182 + 6) + 182 * 20 * 2;

// The build order of demo_build_data(); the draw counts follow from each scene's content.
std::vector<StartupStep> startup_steps() {
    return {
        {"images", load_images, no_seed, 0},
        {"scene6", scene6_init, 10650u, scene6_expected_draws()},
        {"scene2", scene2_init, 16u, 11000 * 4},
        {"scene4", scene4_init, 1691u, 10000 * 5},
        {"scene3", scene3_init, no_seed, 20 * 700 * 8 + 50 * 6},
        {"scene5", scene5_init, 160919u, 700 * 13},
        {"scene7", scene7_init, no_seed, 0},
        {"scene1", scene1_init, 111519u, 240 + 500 * 9},
        {"scene8", scene8_init, no_seed, 0},
        {"scene10", scene10_init, 16091u, 150 * 4 + 15 * 200 * 7 + 500 * 10},
        {"diagrams", diagram_lines_init, no_seed, 0},
        {"scene9", scene9_init, 1091059u, scene9_draws},
    };
}

class Startup : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(test_gl_open(1280, 720)); }
};

} // namespace

TEST_F(Startup, EachInitTakesItsDrawsFromWhereItMustStart) {
    set_random_seed(0xdeadbeefu); // nothing may depend on the state before the first init
    uint32_t expected_seed = random_seed;
    for (const StartupStep& step : startup_steps()) {
        uint64_t before = random_draw_count;
        step.init();
        uint64_t drawn = random_draw_count - before;
        EXPECT_EQ(drawn, step.draws) << step.name;
        expected_seed = step.seed != no_seed ? steps_from(step.seed, step.draws)
                                             : steps_from(expected_seed, step.draws);
        EXPECT_EQ(random_seed, expected_seed) << step.name << " leaves the sequence elsewhere";
        random_seed = expected_seed; // report each init's own fault only once
    }
    demo_free_data();
}

TEST_F(Startup, TheDemoBuildEndsInTheSameStateEveryRun) {
    // Scene 9 is the last init and sets its own seed; the 50,000 discards follow it.
    const uint32_t expected = steps_from(1091059u, scene9_draws + 50000);
    uint64_t total = 0;
    for (const StartupStep& step : startup_steps())
        total += step.draws;
    total += 50000;

    for (uint32_t start : {93186752u, 1u, 0x12345678u}) {
        set_random_seed(start);
        uint64_t before = random_draw_count;
        demo_build_data();
        uint64_t drawn = random_draw_count - before;
        EXPECT_EQ(random_seed, expected) << "starting from seed " << start;
        EXPECT_EQ(drawn, total) << "starting from seed " << start;
        demo_free_data();
    }
}
