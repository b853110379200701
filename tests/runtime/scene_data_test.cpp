#include <gtest/gtest.h>

#include <cmath>

#include "runtime/scene_data.h"

namespace {

int to_byte(float c) {
    return (int)std::lround(c * 255.0f);
}

} // namespace

TEST(Palette, EightBitValues) {
    EXPECT_EQ(to_byte(background_colour.x), 190);
    EXPECT_EQ(to_byte(background_colour.y), 196);
    EXPECT_EQ(to_byte(background_colour.z), 204);
    EXPECT_EQ(to_byte(orange_colour.x), 242);
    EXPECT_EQ(to_byte(orange_colour.y), 103);
    EXPECT_EQ(to_byte(orange_colour.z), 33);
    EXPECT_EQ(to_byte(navy_colour.x), 31);
    EXPECT_EQ(to_byte(navy_colour.y), 65);
    EXPECT_EQ(to_byte(navy_colour.z), 126);
    // These are exactly the 8-bit fractions, which the background test relies on.
    EXPECT_EQ(background_colour.x, 190.0f / 255.0f);
    EXPECT_EQ(background_colour.y, 196.0f / 255.0f);
}

TEST(Figures, SizesArePairsInThePlane) {
    struct Figure {
        const Vector3* points;
        int size;
        int expected;
    };
    const Figure figures[] = {{figure_1, figure_1_size, 48},
                              {figure_2, figure_2_size, 54},
                              {figure_3, figure_3_size, 68},
                              {figure_4, figure_4_size, 36}};
    for (const Figure& f : figures) {
        EXPECT_EQ(f.size, f.expected);
        EXPECT_EQ(f.size % 2, 0);
        for (int i = 0; i < f.size; ++i) {
            EXPECT_EQ(f.points[i].z, 0.0f) << i;
            // A ring side is about one unit; nothing reaches far out.
            EXPECT_LE(std::fabs(f.points[i].x), 5.0f) << i;
            EXPECT_LE(std::fabs(f.points[i].y), 5.5f) << i;
        }
        for (int s = 0; s < f.size / 2; ++s) {
            float dx = f.points[2 * s + 1].x - f.points[2 * s].x;
            float dy = f.points[2 * s + 1].y - f.points[2 * s].y;
            EXPECT_GT(dx * dx + dy * dy, 0.0f) << "segment " << s + 1 << " is a point";
        }
    }
}

TEST(Palette, ClearColourStartsBlack) {
    // Start-up copies the background into it; before that it is zero.
    EXPECT_EQ(clear_colour.x, 0.0f);
    EXPECT_EQ(clear_colour.y, 0.0f);
    EXPECT_EQ(clear_colour.z, 0.0f);
}
