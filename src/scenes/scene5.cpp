// Scene 5: a square field of two-coloured strokes sways under a circling camera, three
// nested squares lie beneath it and tiny line diagrams climb out of the ground in spirals.
// The music only widens and narrows the camera's orbit.
#include "scenes/scene5.h"

#include <cmath>

#include "elements/diagrams.h"
#include "math/matrix3.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/glow.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"
#include "scenes/scenes.h"

Vector3* scene5_grid = nullptr;
float* scene5_heights = nullptr;
FloatingDiagram* scene5_floaters = nullptr;
SyncTriggerTable scene5_triggers;

void scene5_init() {
    set_random_seed(160919);

    scene5_grid = new Vector3[scene5_stroke_count];
    for (int r = 0; r < scene5_grid_side; ++r)
        for (int c = 0; c < scene5_grid_side; ++c)
            scene5_grid[r * 60 + c] =
                scaled(Vector3((float)c / 60.0f - 0.5f, 0.0f, (float)r / 60.0f - 0.5f), 2.5f);
    scene5_heights = new float[scene5_stroke_count];

    // Thirteen draws per floater, in this order, all 700 of them: the last 175 start too
    // late to be seen but still take their share of the sequence.
    scene5_floaters = new FloatingDiagram[scene5_floater_count];
    for (int k = 0; k < scene5_floater_count; ++k) {
        FloatingDiagram& f = scene5_floaters[k];
        f.start = (float)k * 0.0014285714f + 0.25f;
        f.end = random_unit() * 0.1f + (f.start + 0.06f);
        float height = random_unit() * 5.0f + 30.0f;
        float angle = (float)(random_unit() * 2.0 * pi_value);
        float radius = random_unit();
        Vector3 foot = scaled(circle_point(radius, angle), 32.0f);
        f.ground = Vector3(foot.x, 0.0f, foot.y);
        f.sky = Vector3(foot.x, height, foot.y);
        float u1 = random_unit();
        float u2 = random_unit();
        float u3 = random_unit();
        f.axis = Vector3(1.0f - 2.0f * u3, 1.0f - 2.0f * u2, 1.0f - 2.0f * u1);
        f.spin_a = random_unit() * 360.0f;
        f.spin_b = random_unit() * 520.0f;
        f.swirl_from = (float)(random_unit() * 2.0 * pi_value);
        // The triple is taken in single precision before π widens the product to double.
        f.swirl_to = (float)(random_unit() * 3.0f * pi_value);
        f.radius_from = random_unit();
        f.radius_to = random_unit() * 5.0f;
    }

    scene5_triggers.init(46);
    push_trigger_list(scene5_triggers, scene5_trigger_list);
}

void scene5_update_heights(float a, float amp) {
    // Interfering waves along the rows (i, z) and columns (j, x). The two one-index terms are
    // worked out once per row and once per column; each is the very value the full double
    // loop would compute.
    float column_wave[scene5_grid_side];
    for (int j = 0; j < scene5_grid_side; ++j)
        column_wave[j] = sinf(5.0f * a + 16.0f * ((float)j / 60.0f));
    for (int i = 0; i < scene5_grid_side; ++i) {
        float d = (float)i / 60.0f;
        float row_wave = cosf(6.0f * a + 11.0f * d);
        for (int j = 0; j < scene5_grid_side; ++j) {
            float f = (float)j / 60.0f;
            scene5_heights[i * 60 + j] =
                amp * (cosf(4.0f * a + 7.0f * d * f) + row_wave + column_wave[j] +
                       sinf(2.0f * a + 5.0f * d + 11.0f * f));
        }
    }
}

void scene5_camera(float p, float pulse, Vector3& eye, Vector3& centre, Vector3& up) {
    Vector3 base_eye(0.0f, 0.2f * (p * p * p) + 1.0f, 2.3f * p - 1.0f);
    centre = Vector3(0, 0, 0);
    Vector3 swing =
        scaled(scaled(Vector3(sinf(4.0f * p), 0.0f, cosf(4.0f * p)), 0.5f * cosf(15.0f * p) + 3.2f),
               0.2f * pulse + 0.8f);
    // Negligible before p ≈ 0.8, then eye and target climb steeply together.
    float climb = (float)pow((double)(p - 0.1f), 56.0);
    Vector3 lift = scaled(scaled(Vector3(0, 3, 0), climb), 500.0f);
    eye = sum(sum(base_eye, lift), swing);
    centre = sum(centre, lift);
    up = Vector3(0.1f * p, 1.0f - 0.1f * p, 0.03f * p);
}

float scene5_floater_life(int j, float p) {
    return ramp(p, scene5_floaters[j].start, scene5_floaters[j].end);
}

bool scene5_floater_shown(float life) {
    return life >= 0.001f && life <= 0.999f;
}

int scene5_floater_diagram(int j) {
    switch (j % 3) {
    case 1:
        return 1;
    case 2:
        return 4;
    default:
        return 3;
    }
}

void scene5_draw(float progress) {
    float p = progress;
    float fade = pulse_envelope(p, 0, 1, 6);
    glLoadIdentity();

    float pulse = scene5_triggers.update();
    Vector3 eye, centre, up;
    scene5_camera(p, pulse, eye, centre, up);
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // Flat until a quarter of the way in, then swaying at full amplitude almost to the end.
    float amp = 0.2f * sinf((float)(pulse_envelope(p, 0.245f, 1, 6) * pi_value * 0.5));
    scene5_update_heights(2.0f * p, amp);

    // Strokes: orange feet, navy tips raised by 0.15 p and turned about the vertical axis.
    float stroke_alpha = fade * 0.7f * ramp(p, 0.047f, 0.11f);
    Vector3 raise(0.0f, 0.15f * p, 0.0f);
    glLineWidth(2);
    glBegin(GL_LINES);
    for (int k = 0; k < scene5_stroke_count; ++k) {
        Vector3 tip =
            transformed(sum(scene5_grid[k], raise), make_rotation(0, scene5_heights[k], 0));
        glColor4f(orange_colour.x, orange_colour.y, orange_colour.z, stroke_alpha);
        glVertex3fv(&scene5_grid[k].x);
        glColor4f(navy_colour.x, navy_colour.y, navy_colour.z, stroke_alpha);
        glVertex3fv(&tip.x);
    }
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // Three nested squares rise into place in the first 0.7 s and part slightly.
    float s = ramp(p, 0, 0.03f);
    float lowering = sinf((float)((1.0f - s) * 0.5 * pi_value));
    float h = (float)(0.5 * pow((double)lowering, 16.0) + 0.1);
    Vector3 base(0.0f, -h, 0.0f);
    Vector3 flat(1.570796f, 0, 0); // a quarter turn about x lays the panels in the x–z plane
    glLineWidth(3);
    draw_glow_panel(base, flat, 1.25f, 1.25f, orange_colour, fade * 0.05f, fade * 0.45f);
    draw_glow_panel(sum(base, scaled(Vector3(0, -0.1f, 0), s)), flat, 1.075f, 1.075f, orange_colour,
                    fade * 0.05f, fade * 0.45f);
    draw_glow_panel(sum(base, scaled(Vector3(0, -0.15f, 0), s)), flat, 0.9f, 0.9f, orange_colour,
                    fade * 0.02f, fade * 0.45f);

    // Floaters: each climbs in a widening spiral, revealing and tumbling as it lives.
    for (int j = 0; j < scene5_floater_count; ++j) {
        const FloatingDiagram& f = scene5_floaters[j];
        float life = scene5_floater_life(j, p);
        if (!scene5_floater_shown(life))
            continue;
        float rise = 2.0f * pulse_envelope(life, 0, 2, 0.5f);
        Vector3 pos = lerp(f.ground, f.sky, rise);
        float swirl = (1.0f - life) * f.swirl_from + life * f.swirl_to;
        float r = (1.0f - life) * f.radius_from + life * f.radius_to;
        pos = sum(pos, scaled(Vector3(cosf(swirl), 0.0f, sinf(swirl)), r));
        float bright = pulse_envelope(life * life, 0, 1, 0.7f);

        glPushMatrix();
        glScalef(0.03f, 0.03f, 0.03f);
        glTranslatef(pos.x, pos.y, pos.z);
        glRotatef(life * f.spin_a + (1.0f - life) * f.spin_b, f.axis.x, f.axis.y, f.axis.z);
        float alpha = fade * bright;
        switch (scene5_floater_diagram(j)) {
        case 1:
            draw_diagram_1(alpha, life);
            break;
        case 4:
            draw_diagram_4(alpha, life);
            break;
        default:
            draw_diagram_3(alpha, life);
            break;
        }
        glPopMatrix();
    }
}

void scene5_free() {
    delete[] scene5_grid;
    delete[] scene5_heights;
    delete[] scene5_floaters;
    scene5_grid = nullptr;
    scene5_heights = nullptr;
    scene5_floaters = nullptr;
    scene5_triggers.release();
}
