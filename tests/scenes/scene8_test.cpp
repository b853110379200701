#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "math/grid_mesh.h"
#include "math/libc_rand.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/images.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/music_player.h"
#include "runtime/scene_data.h"
#include "scenes/scene8.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "frame_check.h"

namespace {

constexpr int frame_w = 320;
constexpr int frame_h = 180;

class Scene8 : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { scene8_init(); }
    static void TearDownTestSuite() { scene8_free(); }
};

TEST_F(Scene8, ButterflyCurveSpansItsKnownExtent) {
    float min_x = 1e9f, max_x = -1e9f, min_z = 1e9f, max_z = -1e9f;
    for (int i = 0; i < scene8_curve_size; ++i) {
        const Vector3& v = scene8_curve[i];
        min_x = std::min(min_x, v.x);
        max_x = std::max(max_x, v.x);
        min_z = std::min(min_z, v.z);
        max_z = std::max(max_z, v.z);
    }
    EXPECT_NEAR(min_x, -2.483f, 0.002f);
    EXPECT_NEAR(max_x, 3.925f, 0.002f);
    EXPECT_NEAR(min_z, -3.653f, 0.002f);
    EXPECT_NEAR(max_z, 3.653f, 0.002f);
    // The first point is at theta 0: r = e - 2.
    EXPECT_NEAR(scene8_curve[0].x, std::exp(1.0f) - 2.0f, 1e-6f);
    EXPECT_EQ(scene8_curve[0].z, 0.0f);
}

TEST_F(Scene8, ButterflyWingsMirrorAcrossTheBody) {
    // theta and 12 pi - theta give the same x and opposite z: point i mirrors point 1000 - i.
    for (int i = 0; i <= 1000; i += 7) {
        const Vector3& a = scene8_curve[i];
        const Vector3& b = scene8_curve[1000 - i];
        EXPECT_NEAR(a.x, b.x, 2e-3f) << "point " << i;
        EXPECT_NEAR(a.z, -b.z, 2e-3f) << "point " << i;
    }
}

TEST_F(Scene8, FloorIsAFiftyByFiftyGridOfSeventyUnits) {
    ASSERT_EQ(scene8_floor->vertex_count, 2500);
    ASSERT_EQ(scene8_floor->triangle_count, 5000);
    for (int k = 0; k < 50; ++k) {
        EXPECT_NEAR(scene8_floor->vertices[k].position.x, -35.0f + 1.4f * k, 1e-4f);
        EXPECT_NEAR(scene8_floor->vertices[50 * k].position.z, -35.0f + 1.4f * k, 1e-4f);
    }
    // The last vertex, where sparks can start unshifted.
    const Vector3& last = scene8_floor->vertices[2499].position;
    EXPECT_NEAR(last.x, 33.6f, 1e-4f);
    EXPECT_EQ(last.y, 0.0f);
    EXPECT_NEAR(last.z, 33.6f, 1e-4f);
}

// Each even triangle gives one line along x and one along z; nothing diagonal.
static void expect_square_grid_lines(const GridMesh& mesh, float cell) {
    std::vector<Vector3> points(2 * (size_t)mesh.triangle_count);
    int n = scene8_floor_lines(mesh, Vector3(0.0f, 0.0f, 17.0f), points.data());
    ASSERT_EQ(n, 2 * mesh.triangle_count);
    for (int i = 0; i < n; i += 4) {
        const Vector3 &a = points[i], &b = points[i + 1], &b2 = points[i + 2], &c = points[i + 3];
        EXPECT_EQ(b.x, b2.x);
        EXPECT_EQ(b.z, b2.z);
        EXPECT_EQ(a.z, b.z) << "first line runs along x, line " << i / 4;
        EXPECT_EQ(b.x, c.x) << "second line runs along z, line " << i / 4;
        // Neighbours one cell apart, or the wrap-around line across the whole sheet.
        float dx = std::fabs(a.x - b.x), dz = std::fabs(b.z - c.z);
        EXPECT_TRUE(std::fabs(dx - cell) < 1e-4f || dx > cell * 1.5f) << dx;
        EXPECT_TRUE(std::fabs(dz - cell) < 1e-4f || dz > cell * 1.5f) << dz;
    }
}

TEST_F(Scene8, FloorLinesOfATwoByTwoAndTheFiftyByFiftyGrid) {
    GridMesh small;
    grid_mesh_init(small);
    grid_mesh_build(small, 1.0f, 2, 2, Vector3());
    ASSERT_EQ(small.triangle_count, 8);
    std::vector<Vector3> points(16);
    ASSERT_EQ(scene8_floor_lines(small, Vector3(0.0f, 0.0f, 17.0f), points.data()), 16);
    // Even triangles (0, 1, 3), (1, 0, 2), (2, 3, 1), (3, 2, 0) of the 2 x 2 sheet.
    const Vector3 expected[16] = {
        {-0.5f, 0, 16.5f}, {0, 0, 16.5f},     {0, 0, 16.5f},     {0, 0, 17.0f},
        {0, 0, 16.5f},     {-0.5f, 0, 16.5f}, {-0.5f, 0, 16.5f}, {-0.5f, 0, 17.0f},
        {-0.5f, 0, 17.0f}, {0, 0, 17.0f},     {0, 0, 17.0f},     {0, 0, 16.5f},
        {0, 0, 17.0f},     {-0.5f, 0, 17.0f}, {-0.5f, 0, 17.0f}, {-0.5f, 0, 16.5f},
    };
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(points[i].x, expected[i].x) << "point " << i;
        EXPECT_EQ(points[i].y, expected[i].y) << "point " << i;
        EXPECT_EQ(points[i].z, expected[i].z) << "point " << i;
    }
    expect_square_grid_lines(small, 0.5f);
    grid_mesh_release(small);

    expect_square_grid_lines(*scene8_floor, 1.4f);
}

TEST_F(Scene8, ButterflyPlacesDriftForward) {
    for (int j = 0; j < 15; ++j) {
        Vector3 a = scene8_butterfly_place(j, 0.2f), b = scene8_butterfly_place(j, 0.6f);
        EXPECT_GT(b.z, a.z) << "place " << j;
        EXPECT_EQ(a.y, b.y) << "place " << j;
        EXPECT_GE(a.y, -3.0f);
        EXPECT_LE(a.y, 5.0f);
    }
    Vector3 p5 = scene8_butterfly_place(5, 1.0f);
    EXPECT_NEAR(p5.x, 2.9f, 1e-5f);
    EXPECT_NEAR(p5.z, 29.0f, 1e-5f);
    Vector3 p9 = scene8_butterfly_place(9, 0.37f), p13 = scene8_butterfly_place(13, 0.37f);
    EXPECT_EQ(p9.x, p13.x);
    EXPECT_EQ(p9.y, p13.y);
    EXPECT_EQ(p9.z, p13.z);
}

TEST_F(Scene8, CameraStaysNineUnitsBehindItsTarget) {
    for (float p : {0.0f, 0.25f, 0.5f, 1.0f}) {
        Vector3 eye = scene8_eye(p), centre = scene8_centre(p);
        EXPECT_NEAR(centre.z, 2.0f + 14.0f * p, 1e-5f);
        EXPECT_EQ(centre.x, 0.0f);
        // Without the viewpoint offset the eye circles 9 units behind at height 7 + p.
        float behind = centre.z - eye.z;
        EXPECT_GT(behind, 9.0f - 2.0f - 2.0f - 1e-4f);
        EXPECT_LT(behind, 9.0f + 2.0f + 2.0f + 1e-4f);
        EXPECT_GE(eye.y, 7.0f + p - 1e-5f);
        EXPECT_LE(eye.y, 7.0f + p + 4.0f + 1e-5f);
    }
}

TEST_F(Scene8, InitDrawsNoRandomNumbers) {
    scene8_free();
    uint64_t before = random_draw_count;
    LibcRand libc_before = libc_rand_state;
    scene8_init();
    EXPECT_EQ(random_draw_count, before);
    EXPECT_EQ(libc_rand_next(libc_before), libc_rand_next(libc_rand_state));
    EXPECT_EQ(scene8_spark_triggers->count, 60);
    EXPECT_EQ(scene8_camera_triggers->count, 41);
    EXPECT_EQ(scene8_spark_triggers->capacity, 200);
    EXPECT_EQ(scene8_camera_triggers->capacity, 200);
}

class Scene8Gl : public Scene8 {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(frame_w, frame_h));
        if (image_count == 0)
            load_images();
        // Far from any firing of earlier tests: no spark pulse is live.
        demo_clock.seconds = 5000.0f;
        music_force_position(-1, 0);
    }
    static void begin_frame() { frame_check_begin(frame_w, frame_h); }
    static int differing_pixels(const std::vector<Rgba>& a, const std::vector<Rgba>& b) {
        int n = 0;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b)
                ++n;
        return n;
    }
};

TEST_F(Scene8Gl, LeavesBlendOnDepthOffAdditiveWhite) {
    begin_frame();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    scene8_draw(0.5f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
    // Butterfly 8 has not begun to grow: its strips are not sent, its white is still set.
    EXPECT_EQ(colour[3], 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(Scene8Gl, OnlyBackgroundWhereTheFadeIsZero) {
    begin_frame();
    std::vector<Rgba> empty = test_read_frame(frame_w, frame_h);
    for (float p : {0.0f, 1.0f}) {
        begin_frame();
        scene8_draw(p);
        EXPECT_EQ(differing_pixels(test_read_frame(frame_w, frame_h), empty), 0)
            << "progress " << p;
    }
}

TEST_F(Scene8Gl, MidSceneShowsTheNavyFloorAndButterflies) {
    begin_frame();
    scene8_draw(0.3f);
    std::vector<Rgba> frame = test_read_frame(frame_w, frame_h);
    int navy = 0, warm = 0;
    for (const Rgba& px : frame) {
        if (px.b > px.r + 25 && px.r < 175)
            ++navy;
        if (px.r > px.b + 30)
            ++warm;
    }
    EXPECT_GT(navy, 500);
    EXPECT_GT(warm, 20);
}

// The C library's sequence as the start-up leaves it for scene 8: scene 6's initialiser, the only
// other user, has taken its values.
static void restart_libc_sequence_through_scene6() {
    libc_rand_seed(libc_rand_state, 1);
    scene6_init();
    scene6_free();
}

TEST_F(Scene8Gl, TriggersCountFiringsAndDrawSparkSetsFromTheSharedSequence) {
    restart_libc_sequence_through_scene6();
    scene8_free();
    scene8_init(); // fresh tables: nothing fired yet
    srand(1);
    for (int i = 0; i < 20; ++i) // one per strand of scene 6
        rand();

    int sparks = scene8_spark_count, cameras = scene8_camera_count;
    Vector3 eye_before = scene8_eye(0.1f);

    // 50:0 is in both tables: both counters advance once and one spark set is drawn.
    demo_clock.seconds = 140.0f;
    music_force_position(50, 0);
    begin_frame();
    scene8_draw(0.0f);
    EXPECT_EQ(scene8_spark_count, sparks + 1);
    EXPECT_EQ(scene8_camera_count, cameras + 1);
    for (int i = 0; i < scene8_spark_set_size; ++i) {
        int vertex = rand() % 2500;
        int flags = rand() % 255;
        ASSERT_EQ(scene8_spark_vertex[i], vertex) << "entry " << i;
        ASSERT_EQ(scene8_spark_flags[i], flags) << "entry " << i;
    }
    Vector3 eye_after = scene8_eye(0.1f);
    EXPECT_NE(eye_before.x, eye_after.x);

    // The same position in the next frame fires nothing again.
    demo_clock.seconds = 140.016f;
    begin_frame();
    scene8_draw(0.001f);
    EXPECT_EQ(scene8_spark_count, sparks + 1);
    EXPECT_EQ(scene8_camera_count, cameras + 1);

    // 52:2 is a spark trigger only; the next set continues the sequence.
    demo_clock.seconds = 140.1f;
    music_force_position(52, 2);
    begin_frame();
    scene8_draw(0.005f);
    EXPECT_EQ(scene8_spark_count, sparks + 2);
    EXPECT_EQ(scene8_camera_count, cameras + 1);
    EXPECT_EQ(scene8_spark_vertex[0], rand() % 2500);
    EXPECT_EQ(scene8_spark_flags[0], rand() % 255);

    // 56:0 is a camera trigger only: the spark set stays.
    int first_vertex = scene8_spark_vertex[0];
    demo_clock.seconds = 141.0f;
    music_force_position(56, 0);
    begin_frame();
    scene8_draw(0.05f);
    EXPECT_EQ(scene8_spark_count, sparks + 2);
    EXPECT_EQ(scene8_camera_count, cameras + 2);
    EXPECT_EQ(scene8_spark_vertex[0], first_vertex);
    music_force_position(-1, 0);
}

TEST_F(Scene8Gl, SparksFlashOnTheBeatAndShrinkBack) {
    scene8_free();
    scene8_init();
    begin_frame();
    demo_clock.seconds = 150.0f;
    scene8_draw(0.45f);
    std::vector<Rgba> quiet = test_read_frame(frame_w, frame_h);

    // A firing: full pulse in its frame, sparks drawn over the floor.
    music_force_position(53, 0);
    begin_frame();
    scene8_draw(0.45f);
    std::vector<Rgba> flash = test_read_frame(frame_w, frame_h);
    music_force_position(-1, 0);
    EXPECT_GT(differing_pixels(flash, quiet), 300);

    // 400 ms later the pulse is over; only the butterflies' moves remain.
    demo_clock.seconds = 150.4f;
    begin_frame();
    scene8_draw(0.45f);
    std::vector<Rgba> after = test_read_frame(frame_w, frame_h);
    EXPECT_LT(differing_pixels(after, quiet), differing_pixels(flash, quiet));
}

TEST_F(Scene8Gl, AfterTheFadeOutOnlyLiveSparksShow) {
    scene8_free();
    scene8_init();
    demo_clock.seconds = 160.0f;
    begin_frame();
    scene8_draw(0.95f);
    EXPECT_EQ(frame_check_changed(test_read_frame(frame_w, frame_h), 0), 0);
    // The picture is not drawn, yet its texture is left bound as drawing it would leave it.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, image_slots[image_index("greetings")].texture);

    music_force_position(55, 0);
    begin_frame();
    scene8_draw(0.95f);
    music_force_position(-1, 0);
    EXPECT_GT(frame_check_changed(test_read_frame(frame_w, frame_h), 0), 100);
}

TEST_F(Scene8Gl, StartUpLeavesTheCLibrarySequenceWhereScene6EndedIt) {
    scene8_free(); // the demo's own build makes the scene's data
    libc_rand_seed(libc_rand_state, 1);
    demo_build_data();
    LibcRand expected;
    libc_rand_seed(expected, 1);
    for (int i = 0; i < 20; ++i)
        libc_rand_next(expected);
    EXPECT_EQ(libc_rand(), libc_rand_next(expected)) << "value 21 is the first spark draw";
    demo_free_data();
    scene8_init();
}

} // namespace
