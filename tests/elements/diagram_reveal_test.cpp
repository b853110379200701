#include <gtest/gtest.h>

#include "elements/diagrams.h"
#include "runtime/scene_data.h"

TEST(DiagramReveal, CountsAndTail) {
    // e = 5.3: five points sent (two segments, point 4 unpaired), the last one 1.3 times stronger.
    DiagramReveal r = diagram_reveal(10, 0.53f);
    EXPECT_EQ(r.points, 5);
    EXPECT_NEAR(r.tail, 1.3f, 1e-5f);

    r = diagram_reveal(48, 0.5f);
    EXPECT_EQ(r.points, 24);
    EXPECT_EQ(r.tail, 1.0f);

    for (float reveal : {1.0f, 1.1f, 7.0f}) {
        r = diagram_reveal(48, reveal);
        EXPECT_EQ(r.points, 48);
        EXPECT_EQ(r.tail, 1.0f);
    }
    // Complete from progress 1/1.1 on, as the draws scale progress by 1.1.
    EXPECT_EQ(diagram_reveal(68, 0.91f * 1.1f).points, 68);

    for (float reveal : {0.0f, -0.5f, __builtin_nanf("")}) {
        r = diagram_reveal(48, reveal);
        EXPECT_EQ(r.points, 0);
    }
    EXPECT_EQ(diagram_reveal(0, 0.7f).points, 0);
}

TEST(DiagramLines, InitCopiesTheFourFiguresAndFreeReleasesThem) {
    diagram_lines_init();
    ASSERT_NE(diagram_1_lines, nullptr);
    ASSERT_NE(diagram_4_lines, nullptr);
    const struct {
        const DiagramLines* lines;
        const Vector3* figure;
        int size;
    } expected[] = {{diagram_1_lines, figure_1, 48},
                    {diagram_2_lines, figure_4, 36},
                    {diagram_3_lines, figure_2, 54},
                    {diagram_4_lines, figure_3, 68}};
    for (const auto& e : expected) {
        ASSERT_EQ(e.lines->count, e.size);
        EXPECT_NE(e.lines->points, e.figure); // an own copy
        for (int i = 0; i < e.size; ++i) {
            EXPECT_EQ(e.lines->points[i].x, e.figure[i].x);
            EXPECT_EQ(e.lines->points[i].y, e.figure[i].y);
            EXPECT_EQ(e.lines->points[i].z, 0.0f);
        }
    }
    diagram_lines_free();
    EXPECT_EQ(diagram_1_lines, nullptr);
    EXPECT_EQ(diagram_2_lines, nullptr);
    EXPECT_EQ(diagram_3_lines, nullptr);
    EXPECT_EQ(diagram_4_lines, nullptr);
    diagram_lines_free(); // harmless twice
}
