#include <gtest/gtest.h>

#include "data/pictures.h"
#include "render/images.h"

namespace {

struct Picture {
    const char* name;
    const unsigned char* pixels;
    int width, height;
    size_t bytes;
};

const Picture pictures[] = {
    {"logotype", picture_logotype, 116, 36, sizeof picture_logotype},
    {"title", picture_title, 61, 22, sizeof picture_title},
    {"credit 1", picture_credit_1, 300, 36, sizeof picture_credit_1},
    {"credit 2", picture_credit_2, 261, 36, sizeof picture_credit_2},
    {"greetings", picture_greetings, 417, 1080, sizeof picture_greetings},
};

int alpha_at(const Picture& p, int x, int y) {
    return p.pixels[4 * ((size_t)y * p.width + x) + 3];
}

} // namespace

TEST(Pictures, SizesAreExact) {
    const size_t bytes[] = {16704, 5368, 43200, 37584, 1801440};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pictures[i].bytes, bytes[i]) << pictures[i].name;
        EXPECT_EQ(pictures[i].bytes, (size_t)pictures[i].width * pictures[i].height * 4);
    }
    EXPECT_EQ(picture_logotype_width * picture_logotype_height * 4, 16704);
    EXPECT_EQ(picture_greetings_width * picture_greetings_height * 4, 1801440);
}

TEST(Pictures, BlackGlyphsInAlphaInsideTheMargins) {
    for (const Picture& p : pictures) {
        size_t colour_set = 0, solid = 0, partial = 0, border_ink = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const unsigned char* px = p.pixels + 4 * ((size_t)y * p.width + x);
                colour_set += px[0] | px[1] | px[2];
                const int a = px[3];
                solid += a == 255;
                partial += a > 0 && a < 255;
                const bool border = x < 2 || y < 2 || x >= p.width - 2 || y >= p.height - 2;
                border_ink += border && a != 0;
            }
        }
        EXPECT_EQ(colour_set, 0u) << p.name;
        EXPECT_EQ(border_ink, 0u) << p.name << ": ink within two pixels of the edge";
        // Real glyphs: solid strokes with antialiased edges, not an empty or blocky picture.
        const size_t area = (size_t)p.width * p.height;
        EXPECT_GT(solid, area / 40) << p.name;
        EXPECT_GT(partial, area / 40) << p.name;
        EXPECT_LT(solid + partial, area / 2) << p.name;
    }
}

TEST(Pictures, LinesUseTheirPicture) {
    // Each single-line picture spreads its ink over most of its width and height, centred.
    for (int i = 0; i < 4; ++i) {
        const Picture& p = pictures[i];
        int x0 = p.width, x1 = -1, y0 = p.height, y1 = -1;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (alpha_at(p, x, y) > 0) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        EXPECT_GT(x1 - x0 + 1, p.width * 3 / 4) << p.name;
        EXPECT_GT(y1 - y0 + 1, p.height / 2) << p.name;
        EXPECT_LE(std::abs(x0 - (p.width - 1 - x1)), 2) << p.name;
    }
}

TEST(Pictures, GreetingsFillTheHeightEvenly) {
    const Picture& p = pictures[4];
    // Bands of rows holding ink, separated by blank rows.
    std::vector<std::pair<int, int>> bands;
    int start = -1;
    for (int y = 0; y <= p.height; ++y) {
        bool ink = false;
        for (int x = 0; y < p.height && x < p.width && !ink; ++x)
            ink = alpha_at(p, x, y) > 0;
        if (ink && start < 0)
            start = y;
        if (!ink && start >= 0) {
            bands.push_back({start, y});
            start = -1;
        }
    }
    // A heading, its rule and at least thirty names.
    ASSERT_GE(bands.size(), 32u);
    EXPECT_LT(bands.front().first, 10);
    EXPECT_GT(bands.back().second, p.height - 12);
    // Evenly spread: no blank stretch anywhere near a missing line's height.
    for (size_t i = 1; i < bands.size(); ++i)
        EXPECT_LE(bands[i].first - bands[i - 1].second, 14) << "gap above band " << i;
}

TEST(ImageIndex, KeysSelectTheirSlots) {
    EXPECT_EQ(image_index("quorvent"), 0);
    EXPECT_EQ(image_index("OSKE"), 1);
    EXPECT_EQ(image_index("fluoxetine: brindlet"), 2);
    EXPECT_EQ(image_index("fluvoxamine: kebb"), 3);
    EXPECT_EQ(image_index("greetings"), 4);
    // Case-sensitive, exact, and anything else is the greetings list.
    EXPECT_EQ(image_index("oske"), 4);
    EXPECT_EQ(image_index("Quorvent"), 4);
    EXPECT_EQ(image_index("quorvent "), 4);
    EXPECT_EQ(image_index("no such picture"), 4);
    EXPECT_EQ(image_index(""), 4);
    EXPECT_EQ(image_index(nullptr), 4);
}
