#include <gtest/gtest.h>

#include <cmath>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/gl.h"
#include "runtime/scene_data.h"
#include "scenes/scene7.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "frame_check.h"

namespace {

constexpr int frame_w = 320;
constexpr int frame_h = 180;

class Scene7 : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { scene7_init(); }
    static void TearDownTestSuite() { scene7_free(); }
};

class Scene7Gl : public Scene7 {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(frame_w, frame_h));
        if (!diagram_2_lines)
            diagram_lines_init();
    }
    static void begin_frame() { frame_check_begin(frame_w, frame_h); }
};

TEST_F(Scene7, FunnelAndThreadsGrowInOverTheFirstSecond) {
    EXPECT_EQ(scene7_band_samples(0.0f), 0);
    EXPECT_EQ(scene7_thread_points(0.0f), 12);
    EXPECT_EQ(scene7_band_samples(0.0123f), 61);
    EXPECT_EQ(scene7_thread_points(0.0123f), 27);
    EXPECT_EQ(scene7_band_samples(0.02f), 100);
    EXPECT_EQ(scene7_thread_points(0.03f), 50);
    EXPECT_EQ(scene7_band_samples(1.0f), 100);
    EXPECT_EQ(scene7_thread_points(1.0f), 50);
}

TEST_F(Scene7, FunnelClosesFromAWideTopIntoAThinTube) {
    EXPECT_EQ(scene7_band_weight[0], 0.0f); // the top edge is invisible
    EXPECT_GT(scene7_band_weight[99], 0.99f);
    for (int j = 0; j < scene7_band_count; ++j) {
        const Vector3& top = scene7_band_left[j][0];
        EXPECT_EQ(top.y, 0.0f);
        EXPECT_NEAR(std::hypot(top.x, top.z), 13.0f, 1e-4f);
        EXPECT_LT(std::hypot(scene7_band_left[j][30].x, scene7_band_left[j][30].z), 0.2f);
        EXPECT_NEAR(scene7_band_left[j][99].y, -19.8f, 1e-4f);
        // The band's right side is the next band's left side.
        const Vector3& right = scene7_band_right[j][40];
        const Vector3& next = scene7_band_left[(j + 1) % scene7_band_count][40];
        EXPECT_NEAR(right.x, next.x, 1e-5f);
        EXPECT_NEAR(right.z, next.z, 1e-5f);
        // The edge line runs just above the strip's first side.
        EXPECT_NEAR(scene7_band_edge[j][50].y - scene7_band_left[j][50].y, 0.05f, 1e-5f);
    }
    // Each sample down is turned back by 0.1 radians.
    for (int i : {0, 1, 2, 10, 25}) {
        float angle = std::atan2(scene7_band_left[0][i].x, scene7_band_left[0][i].z);
        float expected = std::remainder(0.1f * (1 - i), 2.0f * 3.141592f);
        EXPECT_NEAR(angle, expected, 1e-4f) << "sample " << i;
    }
}

TEST_F(Scene7, GazeStaysNearTheOriginUntilTheLastSecond) {
    for (float p : {0.0f, 0.3f, 0.6f, 0.7f}) {
        Vector3 t = scene7_target(p);
        EXPECT_LT(std::fabs(t.x) + std::fabs(t.y - 0.3f * std::sin(p * 3.141592f * 0.5f)), 0.01f)
            << "progress " << p;
        EXPECT_LE(std::fabs(t.y), 0.3f) << "progress " << p;
    }
    Vector3 late = scene7_target(0.95f);
    EXPECT_NEAR(late.x, 6.9f, 0.05f);
    EXPECT_NEAR(late.y, -13.49f + 0.299f, 0.05f);
    Vector3 end = scene7_target(1.0f);
    EXPECT_FLOAT_EQ(end.x, 150.0f);
    EXPECT_NEAR(end.y, -104.7f, 1e-4f);
    EXPECT_EQ(end.z, 0.0f);
}

// The powers are double, the sway is the single-precision sine of a float angle; the double
// sine differs in the last bit at these frames and would shift the gaze.
TEST_F(Scene7, GazeSwayUsesTheSinglePrecisionSine) {
    for (int frame : {1, 223, 445, 704, 815, 926}) {
        float p = (float)frame / 17000.0f;
        float sway = sinf((float)(p * 3.141592 * 0.5));
        float expected = (float)(-105.0 * std::pow((double)p, 40.0) + 0.3 * sway);
        EXPECT_EQ(scene7_target(p).y, expected) << "frame " << frame;
    }
}

TEST_F(Scene7, EyeFollowsThePathButNeverReachesItsEnd) {
    Vector3 start = scene7_eye(0.0f);
    EXPECT_EQ(start.x, -11.0f);
    EXPECT_EQ(start.y, 2.1f);
    EXPECT_EQ(start.z, -20.0f);
    // Path parameter 0.97 lies on the last segment, between points 6 (3, 3, 20) and 7 (-5, 4, 24).
    Vector3 end = scene7_eye(1.0f);
    EXPECT_LT(end.x, 3.0f);
    EXPECT_GT(end.x, -5.0f);
    EXPECT_GT(end.y, 3.0f);
    EXPECT_LT(end.y, 4.0f);
    EXPECT_GT(end.z, 20.0f);
    EXPECT_LT(end.z, 24.0f);
}

TEST_F(Scene7, ThreadsRiseFromACommonFootToARing) {
    for (int k = 0; k < scene7_thread_count; ++k) {
        Vector3 foot = scene7_thread_point(k, 0, 0.4f);
        EXPECT_NEAR(foot.y, -5.0f, 1e-6f);
        EXPECT_NEAR(std::hypot(foot.x, foot.z), 0.04f, 1e-6f);
        // The head rests on a ring of radius 1.6 at height 4 and is bent by at most 1.1 in x-z.
        Vector3 head = scene7_thread_point(k, 49, 0.4f);
        EXPECT_LT(head.y, 4.0f);
        float ring = std::hypot(head.x, head.z);
        EXPECT_GT(ring, 0.3f);
        EXPECT_LT(ring, 2.7f);
    }
    // The upper end whips about with progress; the lower half hardly moves.
    Vector3 a = scene7_thread_point(3, 49, 0.2f), b = scene7_thread_point(3, 49, 0.25f);
    EXPECT_GT(std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z), 0.1f);
    Vector3 c = scene7_thread_point(3, 20, 0.2f), d = scene7_thread_point(3, 20, 0.25f);
    EXPECT_LT(std::fabs(c.x - d.x) + std::fabs(c.y - d.y) + std::fabs(c.z - d.z), 0.01f);
}

TEST_F(Scene7, InitDrawsNoRandomNumbers) {
    scene7_free();
    uint64_t before = random_draw_count;
    scene7_init();
    EXPECT_EQ(random_draw_count, before);
}

TEST_F(Scene7Gl, LeavesTheDiagramStateAndNoError) {
    begin_frame();
    glEnable(GL_TEXTURE_2D);
    scene7_draw(0.5f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLboolean depth_mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
    EXPECT_TRUE(depth_mask);
    GLint matrix_mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrix_mode);
    EXPECT_EQ(matrix_mode, GL_MODELVIEW);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(Scene7Gl, OnlyBackgroundWhereTheFadeIsZero) {
    const Rgba bg = {190, 196, 204, 255};
    for (float p : {0.0f, 1.0f}) {
        begin_frame();
        scene7_draw(p);
        std::vector<Rgba> frame = test_read_frame(frame_w, frame_h);
        int differing = 0;
        for (const Rgba& px : frame)
            if (px.r != bg.r || px.g != bg.g || px.b != bg.b)
                ++differing;
        EXPECT_EQ(differing, 0) << "progress " << p;
    }
}

TEST_F(Scene7Gl, MidSceneShowsOrangeAndNavyBands) {
    begin_frame();
    scene7_draw(0.3f);
    std::vector<Rgba> frame = test_read_frame(frame_w, frame_h);
    int orange = 0, navy = 0;
    for (const Rgba& px : frame) {
        if (px.r > px.g + 40 && px.r > px.b + 60)
            ++orange;
        if (px.b > px.r + 40 && px.r < 160)
            ++navy;
    }
    EXPECT_GT(orange, 200);
    EXPECT_GT(navy, 200);
}

} // namespace
