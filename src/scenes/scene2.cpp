// Scene 2: the camera glides over fifteen dashed rings standing across the x axis, above a
// long cloud of tiny axis-aligned strokes that turns slowly about that axis.
#include "scenes/scene2.h"

#include <cmath>

#include "math/matrix3.h"
#include "math/random.h"
#include "render/gl.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "scenes/scenes.h"

Vector3* scene2_fine_from = nullptr;
Vector3* scene2_fine_to = nullptr;
Vector3* scene2_bold_from = nullptr;
Vector3* scene2_bold_to = nullptr;
// The same strokes laid out as GL_LINES vertex pairs (from, to), fine ones split by parity, so a
// frame sends each batch as one array.
static Vector3* scene2_fine_even_lines = nullptr;
static Vector3* scene2_fine_odd_lines = nullptr;
static Vector3* scene2_bold_lines = nullptr;

// Strokes run along x, y or z by index; `lengths` holds the scale of r4 for each axis.
static void scene2_build_strokes(Vector3* from, Vector3* to, int count, const float lengths[3]) {
    Matrix3 stretch = make_diagonal(10.0f, 1.0f, 1.0f);
    for (int i = 0; i < count; ++i) {
        float r1 = random_unit() - 0.5f;
        float r2 = random_unit() - 0.5f;
        float r3 = random_unit() - 0.5f;
        Vector3 start = transformed(Vector3(r3, r2, r1), stretch);
        float r4 = random_unit() - 0.5f;
        Vector3 offset;
        if (i % 3 == 0)
            offset = Vector3(lengths[0] * r4, 0.0f, 0.0f);
        else if (i % 3 == 1)
            offset = Vector3(0.0f, lengths[1] * r4, 0.0f);
        else
            offset = Vector3(0.0f, 0.0f, lengths[2] * r4);
        from[i] = start;
        to[i] = sum(start, offset);
    }
}

void scene2_init() {
    scene2_fine_from = new Vector3[scene2_fine_count];
    scene2_fine_to = new Vector3[scene2_fine_count];
    scene2_bold_from = new Vector3[scene2_bold_count];
    scene2_bold_to = new Vector3[scene2_bold_count];
    set_random_seed(16); // the same cloud on every run, whatever the other inits draw
    const float fine_lengths[3] = {0.3f, 0.2f, 0.2f};
    const float bold_lengths[3] = {0.5f, 0.1f, 0.1f};
    scene2_build_strokes(scene2_fine_from, scene2_fine_to, scene2_fine_count, fine_lengths);
    scene2_build_strokes(scene2_bold_from, scene2_bold_to, scene2_bold_count, bold_lengths);

    scene2_fine_even_lines = new Vector3[scene2_fine_count];
    scene2_fine_odd_lines = new Vector3[scene2_fine_count];
    for (int i = 0; i < scene2_fine_count; ++i) {
        Vector3* lines = i % 2 == 0 ? scene2_fine_even_lines : scene2_fine_odd_lines;
        Vector3* pair = lines + i / 2 * 2;
        pair[0] = scene2_fine_from[i];
        pair[1] = scene2_fine_to[i];
    }
    scene2_bold_lines = new Vector3[2 * scene2_bold_count];
    for (int i = 0; i < scene2_bold_count; ++i) {
        scene2_bold_lines[2 * i] = scene2_bold_from[i];
        scene2_bold_lines[2 * i + 1] = scene2_bold_to[i];
    }
}

void scene2_draw(float progress) {
    float p = progress;
    float fade = pulse_envelope(p, 0.0f, 1.0f, 17.0f) * ramp(p, 0.0f, 0.1f);
    float flare = ramp(p, 0.265f, 0.3f); // the cloud lights up at 25.3 s and stays lit

    // Straight down on the axis from a swinging height, with a slight rocking roll.
    glLoadIdentity();
    float travel = 3.0f - 6.0f * p;
    float height = 2.5f + 0.5f * sinf(7.0f * p);
    float roll = 0.1f * cosf(11.0f * p);
    gluLookAt(travel, 0.0, height, travel, 0.0, 0.0, roll, 1.0f - roll, 0.0);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(2.0f);

    // Rings: 64 points as GL_LINES make 32 dashes that turn as p advances.
    Vector3 ring[64];
    for (int k = 0; k < 15; ++k) {
        float s = k / 15.0f;
        float x = (s - 0.5f) * 10.0f;
        float radius = 0.55f + 0.05f * sinf(7.0f * s + 25.0f * p);
        float a0 = -10.0f * p;
        for (int j = 0; j < 64; ++j) {
            float theta = (float)(a0 + 2.0 * pi_value * j / 63.0);
            ring[j] = Vector3(x, radius * sinf(theta), radius * cosf(theta));
        }
        const Vector3& colour = k % 2 == 0 ? purple_colour : red_colour;
        glColor4f(colour.x, colour.y, colour.z, 0.7f * fade);
        glLineWidth(4.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_LINES);
        for (int j = 0; j < 64; ++j)
            glVertex3fv(&ring[j].x);
        glEnd();

        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glLineWidth(1.0f);
        glColor4f(1.0f, 1.0f, 1.0f, fade);
        glBegin(GL_LINES);
        for (int j = 0; j < 64; ++j)
            glVertex3fv(&ring[j].x);
        glEnd();
    }

    // The cloud turns underneath; the rings stay put.
    glRotatef(130.0f * p, 1.0f, 0.0f, 0.0f);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(1.0f + 3.0f * flare);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // Fine strokes, coloured: navy on even indices, orange on odd ones.
    const int even_vertices = 2 * ((scene2_fine_count + 1) / 2);
    const int odd_vertices = 2 * (scene2_fine_count / 2);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColor4f(navy_colour.x, navy_colour.y, navy_colour.z, fade);
    glVertexPointer(3, GL_FLOAT, sizeof(Vector3), scene2_fine_even_lines);
    glDrawArrays(GL_LINES, 0, even_vertices);
    glColor4f(orange_colour.x, orange_colour.y, orange_colour.z, fade);
    glVertexPointer(3, GL_FLOAT, sizeof(Vector3), scene2_fine_odd_lines);
    glDrawArrays(GL_LINES, 0, odd_vertices);

    // Fine strokes, white core: invisible until the flare. With no depth test, an additive
    // pass of alpha 0 leaves every pixel as it was, so it is not sent at all.
    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, fade * flare);
    if (fade * flare > 0.0f) {
        glVertexPointer(3, GL_FLOAT, sizeof(Vector3), scene2_fine_even_lines);
        glDrawArrays(GL_LINES, 0, even_vertices);
        glVertexPointer(3, GL_FLOAT, sizeof(Vector3), scene2_fine_odd_lines);
        glDrawArrays(GL_LINES, 0, odd_vertices);
    }
    glDisableClientState(GL_VERTEX_ARRAY);

    // Bold strokes: purple and red alternating, then their white core.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    glBegin(GL_LINES);
    for (int i = 0; i < scene2_bold_count; ++i) {
        const Vector3& colour = i % 2 == 0 ? purple_colour : red_colour;
        glColor4f(colour.x, colour.y, colour.z, 0.7f * fade);
        glVertex3fv(&scene2_bold_lines[2 * i].x);
        glVertex3fv(&scene2_bold_lines[2 * i + 1].x);
    }
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, fade);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vector3), scene2_bold_lines);
    glDrawArrays(GL_LINES, 0, 2 * scene2_bold_count);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void scene2_free() {
    delete[] scene2_fine_from;
    delete[] scene2_fine_to;
    delete[] scene2_bold_from;
    delete[] scene2_bold_to;
    delete[] scene2_fine_even_lines;
    delete[] scene2_fine_odd_lines;
    delete[] scene2_bold_lines;
    scene2_fine_from = scene2_fine_to = nullptr;
    scene2_fine_even_lines = scene2_fine_odd_lines = scene2_bold_lines = nullptr;
    scene2_bold_from = scene2_bold_to = nullptr;
}
