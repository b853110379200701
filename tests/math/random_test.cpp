#include <gtest/gtest.h>

#include <cstdlib>

#include "math/libc_rand.h"
#include "math/random.h"

TEST(Random, FirstStepsFromTheInitialSeed) {
    set_random_seed(93186752u);
    const uint32_t seeds[] = {419357728u, 2969443376u, 4238472008u, 3531065964u};
    const float values[] = {0.0976393f, 0.6913774f, 0.9868461f, 0.8221403f};
    for (int i = 0; i < 4; ++i) {
        float v = random_unit();
        EXPECT_EQ(random_seed, seeds[i]) << "step " << i;
        EXPECT_NEAR(v, values[i], 1e-6f) << "step " << i;
    }
}

TEST(LibcRand, MatchesTheCLibrarysUnseededSequence) {
    LibcRand r;
    libc_rand_seed(r, 1);
    srand(1);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(libc_rand_next(r), rand()) << "draw " << i;
}
