#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "math/libc_rand.h"
#include "math/random.h"

TEST(Random, InitialSeedIsFixedAtLoad) {
    // Nothing in this test program has drawn yet.
    EXPECT_EQ(random_seed, 93186752u);
    EXPECT_EQ(random_draw_count, 0u);
}

TEST(Random, FirstStepsFromTheInitialSeed) {
    set_random_seed(93186752u);
    const uint32_t seeds[] = {419357728u, 2969443376u, 4238472008u, 3531065964u};
    const double quotients[] = {0.09763932984513153, 0.6913774133326689, 0.9868461668803894,
                                0.822140362139489};
    for (int i = 0; i < 4; ++i) {
        float v = random_unit();
        EXPECT_EQ(random_seed, seeds[i]) << "step " << i;
        // The double quotient rounded once to float, nothing coarser.
        EXPECT_EQ(v, (float)quotients[i]) << "step " << i;
    }
}

TEST(Random, ZeroSeedStaysZero) {
    set_random_seed(0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(random_unit(), 0.0f);
        EXPECT_EQ(random_seed, 0u);
    }
}

TEST(Random, OddSeedAddsTheConstantAndDifferencesWrap) {
    EXPECT_EQ(random_step(1u), 1588635695u);
    EXPECT_EQ(random_step(3u), 470939794u); // 1588635695 - 1117695901
    // Even seed: 0 - 2 * 1117695901 wraps modulo 2^32 instead of going negative.
    EXPECT_EQ(random_step(4u), 2059575494u);
    // The product itself wraps too.
    EXPECT_EQ(random_step(0xFFFFFFFFu), 558847948u);
    // No modular correction: a textbook generator mod 2^32 - 5 would never yield 2^32 - 5 or
    // more, this one does.
    EXPECT_GE(random_step(11773226u), 4294967291u - 92u);
}

TEST(Random, TopSeedsRoundToExactlyOne) {
    set_random_seed(11773226u); // steps to 4294967199
    EXPECT_EQ(random_unit(), 1.0f);
    EXPECT_EQ(random_seed, 4294967199u);
}

TEST(Random, DrawCountCountsSteps) {
    uint64_t before = random_draw_count;
    random_unit();
    random_unit();
    EXPECT_EQ(random_draw_count, before + 2);
}

TEST(Random, DirectionHasTheRadiusAndTakesTwoDrawsThetaFirst) {
    set_random_seed(12345u);
    uint64_t before = random_draw_count;
    Vector3 d = random_direction(2.5f);
    EXPECT_EQ(random_draw_count, before + 2);
    uint32_t expected_seed = random_step(random_step(12345u));
    EXPECT_EQ(random_seed, expected_seed);
    EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 2.5f, 1e-5f);

    // z depends on the second draw only (the polar angle), x / y on the first (azimuth).
    set_random_seed(12345u);
    double u1 = random_unit();
    double u2 = random_unit();
    EXPECT_NEAR(d.z, 2.5 * std::cos(u2 * 3.141592), 1e-5);
    EXPECT_NEAR(std::atan2(d.y, d.x), std::remainder(u1 * 2 * 3.141592, 2 * M_PI), 1e-5);
}

TEST(Random, DirectionIsCrowdedTowardsThePoles) {
    // The polar angle is uniform, so |z| > 0.9 r happens for about 29% of the points (a
    // uniform sphere would give 10%).
    set_random_seed(777u);
    int near_pole = 0;
    for (int i = 0; i < 10000; ++i)
        if (std::fabs(random_direction(1.0f).z) > 0.9f)
            ++near_pole;
    EXPECT_NEAR(near_pole / 10000.0, 2 * std::acos(0.9) / M_PI, 0.02);
}

TEST(Random, AngleHelpersLeaveTheSeedAlone) {
    set_random_seed(42u);
    Vector3 d = direction_from_angles(2.0f, 0.5f, 1.25f);
    EXPECT_FLOAT_EQ(d.x, 2.0f * cosf(1.25f) * sinf(0.5f));
    EXPECT_FLOAT_EQ(d.y, 2.0f * sinf(1.25f) * sinf(0.5f));
    EXPECT_FLOAT_EQ(d.z, 2.0f * cosf(0.5f));
    Vector3 out(9, 9, 9);
    Vector3 c = circle_point(3.0f, 0.75f, out);
    EXPECT_EQ(out.x, c.x);
    EXPECT_EQ(out.y, c.y);
    EXPECT_FLOAT_EQ(c.x, 3.0f * cosf(0.75f));
    EXPECT_FLOAT_EQ(c.y, 3.0f * sinf(0.75f));
    EXPECT_EQ(c.z, 0.0f);
    EXPECT_EQ(random_seed, 42u);
}

TEST(Lerp, EndpointsAndExtrapolation) {
    Vector3 a(1e7f, 3.3f, -0.7f), b(0.3f, 0.2f, 5.0f);
    Vector3 at0 = lerp(a, b, 0.0f), at1 = lerp(a, b, 1.0f), at2 = lerp(a, b, 2.0f);
    EXPECT_EQ(at0.x, a.x);
    EXPECT_EQ(at0.y, a.y);
    EXPECT_EQ(at0.z, a.z);
    // a·(1 − t) + b·t lands exactly on b at t = 1; a + (b − a)·t would give 0 and 0.2000000477.
    EXPECT_EQ(at1.x, b.x);
    EXPECT_EQ(at1.y, b.y);
    EXPECT_EQ(at1.z, b.z);
    EXPECT_FLOAT_EQ(at2.y, 2 * b.y - a.y);
    EXPECT_FLOAT_EQ(at2.z, 2 * b.z - a.z);
}

TEST(Lerp, WeightedSumFormInBetween) {
    // Cases where the two textbook forms round differently in single precision.
    EXPECT_EQ(lerp(Vector3(0.1f, 0, 0), Vector3(0.3f, 0, 0), 0.3f).x, 0.159999996f);
    EXPECT_EQ(lerp(Vector3(0.7f, 0, 0), Vector3(0.2f, 0, 0), 0.7f).x, 0.350000024f);
    EXPECT_EQ(lerp(Vector3(3.3f, 0, 0), Vector3(0.2f, 0, 0), 0.9f).x, 0.51000005f);
}

TEST(LibcRand, MatchesTheCLibrarysUnseededSequence) {
    LibcRand r;
    libc_rand_seed(r, 1);
    srand(1);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(libc_rand_next(r), rand()) << "draw " << i;
}
