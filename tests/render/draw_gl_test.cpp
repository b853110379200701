// The picture and glow helpers drawn in a real offscreen context, measured on the read-back frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "data/pictures.h"
#include "render/gl.h"
#include "render/glow.h"
#include "render/images.h"
#include "runtime/scene_data.h"
#include "support/gl_context.h"

namespace {

struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1; // inclusive, bottom-left origin
};

// Pixels whose red channel is below 128 on a white ground.
Box dark_box(int w, int h) {
    const std::vector<Rgba> frame = test_read_frame(w, h);
    Box b;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (frame[(size_t)y * w + x].r < 128) {
                b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
                b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
            }
    return b;
}

void fresh_frame(int w, int h, float grey) {
    ASSERT_TRUE(test_gl_open(w, h));
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_LINE_SMOOTH);
    glDepthMask(GL_TRUE);
    glLineWidth(1.0f);
    glBlendFunc(GL_ONE, GL_ZERO);
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (image_count == 0)
        load_images();
}

// Pixel coordinates for the whole viewport, for drawing in the caller's matrices.
void pixel_projection(int w, int h) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, 0, h, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The GL state the helpers promise about, captured for before/after comparisons.
struct GlState {
    GLint matrix_mode, modelview_depth, projection_depth, texture_binding, blend_src, blend_dst;
    GLboolean texture_2d, blend, depth_test, depth_mask;
    GLfloat modelview[16], projection[16], line_width, colour[4];
};

GlState capture() {
    GlState s;
    glGetIntegerv(GL_MATRIX_MODE, &s.matrix_mode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelview_depth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projection_depth);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture_binding);
    glGetIntegerv(GL_BLEND_SRC, &s.blend_src);
    glGetIntegerv(GL_BLEND_DST, &s.blend_dst);
    s.texture_2d = glIsEnabled(GL_TEXTURE_2D);
    s.blend = glIsEnabled(GL_BLEND);
    s.depth_test = glIsEnabled(GL_DEPTH_TEST);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depth_mask);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, s.projection);
    glGetFloatv(GL_LINE_WIDTH, &s.line_width);
    glGetFloatv(GL_CURRENT_COLOR, s.colour);
    return s;
}

void expect_same_matrices(const GlState& a, const GlState& b) {
    EXPECT_EQ(a.matrix_mode, b.matrix_mode);
    EXPECT_EQ(a.modelview_depth, b.modelview_depth);
    EXPECT_EQ(a.projection_depth, b.projection_depth);
    EXPECT_EQ(memcmp(a.modelview, b.modelview, sizeof a.modelview), 0);
    EXPECT_EQ(memcmp(a.projection, b.projection, sizeof a.projection), 0);
}

// Temporarily puts a test picture in slot 0: its upper half opaque, lower half clear, so both
// the quad's corners and which way up it is show on the frame.
struct SlotZeroSwap {
    ImageSlot saved = image_slots[0];
    SlotZeroSwap() {
        std::vector<unsigned char> pixels(116 * 36 * 4, 0);
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 116; ++x)
                pixels[4 * (y * 116 + x) + 3] = 255;
        const int slot = image_count;
        load_image(pixels.data(), 116, 36);
        image_slots[0] = image_slots[slot];
        image_count = slot;
    }
    ~SlotZeroSwap() {
        glDeleteTextures(1, &image_slots[0].texture);
        image_slots[0] = saved;
    }
};

void black_on_white() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

} // namespace

TEST(Images, LoadedIntoFiveSlotsLeavingTexturingOff) {
    fresh_frame(1280, 720, 1.0f);
    ASSERT_EQ(image_count, 5);
    const int sizes[5][2] = {{116, 36}, {61, 22}, {300, 36}, {261, 36}, {417, 1080}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(image_slots[i].width, sizes[i][0]);
        EXPECT_EQ(image_slots[i].height, sizes[i][1]);
        EXPECT_TRUE(glIsTexture(image_slots[i].texture)) << i;
        for (int k = 0; k < i; ++k)
            EXPECT_NE(image_slots[i].texture, image_slots[k].texture);
    }
    const GlState s = capture();
    EXPECT_EQ(s.texture_binding, 0);
    EXPECT_FALSE(s.texture_2d);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(Images, CaptionCornerLandsOnTheVirtualScreenAtAnySize) {
    // (320, 0) of 640 x 480, the picture keeping its 116 x 36 virtual pixels.
    const struct { int w, h; } sizes[] = {{1280, 720}, {800, 600}};
    for (const auto& size : sizes) {
        fresh_frame(size.w, size.h, 1.0f);
        SlotZeroSwap swap;
        black_on_white();
        draw_caption(1.3f, -1.0f, "quorvent");
        const float sx = size.w / 640.0f, sy = size.h / 480.0f;
        const Box b = dark_box(size.w, size.h);
        // Only the upper half is opaque: the first stored row is drawn at the top.
        EXPECT_NEAR(b.x0, 320 * sx, 1.0) << size.w;
        EXPECT_NEAR(b.x1 + 1, (320 + 116) * sx, 1.0) << size.w;
        EXPECT_NEAR(b.y0, 18 * sy, 1.0) << size.w;
        EXPECT_NEAR(b.y1 + 1, 36 * sy, 1.0) << size.w;
    }
}

TEST(Images, CaptionOffsetsMoveLeftAndUp) {
    fresh_frame(1280, 720, 1.0f);
    SlotZeroSwap swap;
    black_on_white();
    draw_caption(1.55f, -0.5f, "quorvent"); // 80 virtual pixels left of centre, 120 up
    const Box b = dark_box(1280, 720);
    EXPECT_NEAR(b.x0, 240 * 2, 1.0);
    EXPECT_NEAR(b.y0, (120 + 18) * 1.5, 1.0);
}

TEST(Images, RealLogotypeInkLandsWhereItsPixelsSay) {
    // The logotype's own ink box, mapped through the caption placement at 1280 x 720.
    int ink_x0 = 116, ink_last_row = -1;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 116; ++x)
            if (picture_logotype[4 * (y * 116 + x) + 3] >= 160) {
                ink_x0 = std::min(ink_x0, x);
                ink_last_row = std::max(ink_last_row, y);
            }
    fresh_frame(1280, 720, 1.0f);
    black_on_white();
    draw_caption(1.3f, -1.0f, "quorvent");
    const Box b = dark_box(1280, 720);
    EXPECT_NEAR(b.x0, 640 + 2 * ink_x0, 3.0);
    EXPECT_NEAR(b.y0, (35 - ink_last_row) * 1.5, 3.0);
    EXPECT_LT(b.x1, 640 + 232);
    EXPECT_LT(b.y1, 54);
}

TEST(Images, CaptionLeavesMatricesAndBlendingAsFound) {
    fresh_frame(1280, 720, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, 2.0f, 3.0f);
    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    const GlState before = capture();
    draw_caption(0.5f, 0.2f, "OSKE");
    const GlState after = capture();
    expect_same_matrices(before, after);
    EXPECT_FALSE(after.texture_2d);
    EXPECT_FALSE(after.blend); // the caller's business
    EXPECT_EQ(after.blend_src, before.blend_src);
    EXPECT_EQ(after.blend_dst, before.blend_dst);
    EXPECT_EQ(memcmp(after.colour, before.colour, sizeof after.colour), 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(Images, ImageIsAPixelSizedQuadInTheCurrentMatricesAndLeavesBlendOn) {
    fresh_frame(1280, 720, 1.0f);
    pixel_projection(1280, 720);
    SlotZeroSwap swap;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTranslatef(100.0f, 200.0f, 0.0f);
    glScalef(2.0f, 2.0f, 1.0f);
    const GlState before = capture();
    draw_image("quorvent");
    const GlState after = capture();
    const Box b = dark_box(1280, 720);
    EXPECT_NEAR(b.x0, 100, 1.0);
    EXPECT_NEAR(b.x1 + 1, 100 + 232, 1.0);
    EXPECT_NEAR(b.y0, 200 + 36, 1.0); // upper half only: first row at the top
    EXPECT_NEAR(b.y1 + 1, 200 + 72, 1.0);
    expect_same_matrices(before, after);
    EXPECT_TRUE(after.blend);
    EXPECT_FALSE(after.texture_2d);
    EXPECT_EQ(after.blend_src, GL_SRC_ALPHA);
    EXPECT_EQ(after.blend_dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST(Images, UnknownKeyDrawsTheGreetings) {
    fresh_frame(1280, 720, 1.0f);
    pixel_projection(1280, 720);
    black_on_white();
    glScalef(1.0f, 0.6f, 1.0f);
    draw_image("greetings");
    const Box b = dark_box(1280, 720);
    EXPECT_GT(b.y1 - b.y0, 600); // the tall list, nothing else is that high
    EXPECT_LT(b.x1, 417);
}

TEST(Glow, LineBodyAndAdditiveCore) {
    const Vector3 a(100, 360.5f, 0), b(1180, 360.5f, 0); // along the middle of a pixel row
    for (float core : {0.0f, 1.0f}) {
        fresh_frame(1280, 720, 0.0f);
        pixel_projection(1280, 720);
        draw_glow_line(a, b, navy_colour, 5.0f, 1.0f, core);
        const GlState s = capture();
        EXPECT_TRUE(s.blend);
        EXPECT_EQ(s.blend_src, GL_SRC_ALPHA);
        EXPECT_EQ(s.blend_dst, GL_ONE);
        EXPECT_EQ(s.line_width, 1.0f);
        const Rgba centre = test_read_pixel(640, 360);
        const Rgba edge = test_read_pixel(640, 358); // inside the 5-pixel body, off the core
        if (core == 0.0f) {
            EXPECT_NEAR(centre.b, 126, 2); // navy only
            EXPECT_NEAR(centre.r, 31, 2);
        } else {
            EXPECT_EQ(centre.r, 255); // white added over the body
        }
        EXPECT_NEAR(edge.b, 126, 2);
        EXPECT_EQ(test_read_pixel(640, 350).b, 0); // outside the body
    }
}

TEST(Glow, PanelCornersAndState) {
    fresh_frame(1280, 720, 0.0f);
    pixel_projection(1280, 720);
    glEnable(GL_BLEND);
    glLineWidth(3.0f);
    draw_panel(Vector3(200, 150, 0), Vector3(), 50, 30, red_colour, 1.0f, 0.0f, 0.0f);
    GlState s = capture();
    EXPECT_EQ(s.blend_src, GL_SRC_ALPHA);
    EXPECT_EQ(s.blend_dst, GL_ONE);
    EXPECT_EQ(s.line_width, 1.0f);
    EXPECT_TRUE(s.depth_mask);
    // Axis-aligned 100 x 60 rectangle around the centre.
    EXPECT_NEAR(test_read_pixel(200, 150).r, 230, 2);
    EXPECT_NEAR(test_read_pixel(152, 122).r, 230, 2);
    EXPECT_NEAR(test_read_pixel(247, 177).r, 230, 2);
    EXPECT_EQ(test_read_pixel(200, 190).r, 0);
    EXPECT_EQ(test_read_pixel(260, 150).r, 0);

    // A quarter turn about z stands it on its short side.
    draw_glow_panel(Vector3(600, 300, 0), Vector3(0, 0, (float)(0.5 * 3.141592)), 50, 30,
                    red_colour, 1.0f, 0.0f);
    EXPECT_NEAR(test_read_pixel(600, 345).r, 230, 2);
    EXPECT_EQ(test_read_pixel(640, 300).r, 0);
    // Back at no rotation the next panel lies flat again, and so does a repeat of the turn.
    draw_glow_panel(Vector3(1000, 300, 0), Vector3(), 50, 30, red_colour, 1.0f, 0.0f);
    EXPECT_NEAR(test_read_pixel(1047, 300).r, 230, 2);
    EXPECT_EQ(test_read_pixel(1000, 345).r, 0);
    draw_glow_panel(Vector3(600, 550, 0), Vector3(0, 0, (float)(0.5 * 3.141592)), 50, 30,
                    red_colour, 1.0f, 0.0f);
    EXPECT_NEAR(test_read_pixel(600, 595).r, 230, 2);
    EXPECT_EQ(test_read_pixel(640, 550).r, 0);

    // The panels leave blending to the caller and the glow panel leaves the line width too.
    fresh_frame(1280, 720, 0.0f);
    glLineWidth(3.0f);
    draw_glow_panel(Vector3(), Vector3(0.3f, 0.2f, 0.1f), 0.5f, 0.5f, navy_colour, 0.5f, 1.0f);
    s = capture();
    EXPECT_FALSE(s.blend);
    EXPECT_EQ(s.line_width, 3.0f);
    EXPECT_EQ(s.blend_src, GL_SRC_ALPHA);
    EXPECT_EQ(s.blend_dst, GL_ONE);
    draw_panel(Vector3(), Vector3(), 0.5f, 0.5f, navy_colour, 0.5f, 1.0f, 1.0f);
    EXPECT_FALSE(capture().blend);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
