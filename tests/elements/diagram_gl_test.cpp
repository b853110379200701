// The line diagrams drawn in a real offscreen context: what they leave behind and what shows.
#include <gtest/gtest.h>

#include <vector>

#include "elements/diagrams.h"
#include "render/gl.h"
#include "support/gl_context.h"

namespace {

void fresh_frame() {
    ASSERT_TRUE(test_gl_open(1280, 720));
    glViewport(0, 0, 1280, 720);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1280, 0, 720, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthMask(GL_TRUE);
    glLineWidth(2.0f);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void expect_left_state(float white_alpha) {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_TRUE(mask);
    GLfloat width = 0, colour[4];
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
    EXPECT_NEAR(colour[3], white_alpha, 1e-6f);
}

size_t lit_pixels() {
    size_t lit = 0;
    for (const Rgba& p : test_read_frame(1280, 720))
        lit += (p.r | p.g | p.b) != 0;
    return lit;
}

// The diagrams span about ten units; 50 pixels a unit around the frame's centre.
void place_diagram() {
    glTranslatef(640.0f, 360.0f, 0.0f);
    glScalef(50.0f, 50.0f, 50.0f);
}

} // namespace

TEST(DiagramDraw, EachLeavesTheStatedState) {
    diagram_lines_init();
    void (*draws[])(float, float) = {draw_diagram_1, draw_diagram_2, draw_diagram_3,
                                     draw_diagram_4};
    for (auto draw : draws) {
        fresh_frame();
        place_diagram();
        draw(0.8f, 0.5f);
        // The last thing drawn is the white outline of the last marker.
        expect_left_state(0.6f * 0.5f * 0.8f);
        EXPECT_GT(lit_pixels(), 500u);
    }
    diagram_lines_free();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(DiagramDraw, ProgressZeroShowsNothingYetSetsTheSameState) {
    diagram_lines_init();
    fresh_frame();
    place_diagram();
    draw_diagram_1(1.0f, 0.0f);
    expect_left_state(0.0f);
    EXPECT_EQ(lit_pixels(), 0u);

    // Alpha 0 hides a complete drawing too.
    fresh_frame();
    place_diagram();
    draw_diagram_3(0.0f, 1.0f);
    expect_left_state(0.0f);
    EXPECT_EQ(lit_pixels(), 0u);
    diagram_lines_free();
}

TEST(DiagramDraw, RevealSendsWholeSegmentsOnly) {
    // Ten points making five horizontal segments, one per 40-pixel row.
    std::vector<Vector3> points;
    for (int k = 0; k < 5; ++k) {
        points.push_back(Vector3(100.0f, 100.5f + 40.0f * k, 0.0f));
        points.push_back(Vector3(600.0f, 100.5f + 40.0f * k, 0.0f));
    }
    DiagramLines lines;
    lines.count = 10;
    lines.points = points.data();

    const auto row_lit = [](int k) { return test_read_pixel(350, 100 + 40 * k).r != 0; };
    fresh_frame();
    draw_diagram_lines(lines, Vector3(1, 0, 0), 0.53f, 1.0f); // e = 5.3
    expect_left_state(1.8f);
    EXPECT_TRUE(row_lit(0));
    EXPECT_TRUE(row_lit(1));
    EXPECT_FALSE(row_lit(2)); // point 4 has no partner
    EXPECT_FALSE(row_lit(3));

    fresh_frame();
    draw_diagram_lines(lines, Vector3(1, 0, 0), 1.4f, 1.0f);
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(row_lit(k)) << k;

    fresh_frame();
    draw_diagram_lines(lines, Vector3(1, 0, 0), 0.0f, 1.0f);
    expect_left_state(1.8f);
    EXPECT_EQ(lit_pixels(), 0u);
}

// A vertical line through the bottom edge of a marker at the origin, at depth z.
static void cross_line(float z) {
    Vector3 points[2] = {Vector3(0.0f, -0.5f, z), Vector3(0.0f, 0.5f, z)};
    DiagramLines line;
    line.count = 2;
    line.points = points;
    draw_diagram_lines(line, Vector3(0, 0, 1), 1.0f, 1.0f);
}

static bool same(const Rgba& a, const Rgba& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// 100 pixels a unit, depth unscaled: the marker's bottom edge runs along pixel row 285.
static void marker_frame() {
    fresh_frame();
    glEnable(GL_DEPTH_TEST); // as after a drawing's lines, so every pass is depth-tested
    glTranslatef(300.5f, 300.5f, 0.0f);
    glScalef(100.0f, 100.0f, 1.0f);
}

TEST(DiagramDraw, MarkerOutlinesAndDepth) {
    // Lines in front: the marker's outlines are hidden where the lines' white pass wrote depth.
    marker_frame();
    cross_line(0.5f);
    const Rgba line_only = test_read_pixel(300, 270);
    draw_marker_red(Vector3(), 1.0f);
    EXPECT_TRUE(same(test_read_pixel(300, 285), line_only));
    EXPECT_GT(test_read_pixel(310, 285).r, 0); // the marker elsewhere along its edge

    // Marker first, line behind it: the thick coloured outline wrote no depth, so the line
    // shows through it; the white outline did, so there the line is hidden.
    marker_frame();
    draw_marker_red(Vector3(), 1.0f);
    const Rgba core_before = test_read_pixel(300, 285), body_before = test_read_pixel(300, 284);
    EXPECT_TRUE(same(core_before, test_read_pixel(310, 285)));
    cross_line(-0.5f);
    EXPECT_TRUE(same(test_read_pixel(300, 285), core_before));
    EXPECT_FALSE(same(test_read_pixel(300, 284), body_before));
    expect_left_state(1.8f);
}
