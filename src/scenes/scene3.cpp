// Scene 3: twenty ribbons of tumbling sticks twisted around the x axis settle into braids,
// with a row of small diagrams along the bundle and a burst of diagrams on every beat.
#include "scenes/scene3.h"

#include <cmath>

#include "elements/diagrams.h"
#include "math/matrix3.h"
#include "math/random.h"
#include "render/gl.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"
#include "scenes/scenes.h"

AnimatedStick** scene3_sticks = nullptr;
Vector3* scene3_flash_positions = nullptr;
Vector3* scene3_flash_axes = nullptr;
SyncTriggerTable scene3_triggers;
float scene3_spin_angle = 0.0f; // not reset by init: the beats of the run add up

static int scene3_leads[scene3_ribbon_count];
// A stick's end points no longer move once its turn is over; they are worked out once here.
static Vector3* scene3_settled = nullptr; // [ribbon * sticks + stick][2]
// One ribbon's strip for the current frame, shared by its coloured and its white pass.
static Vector3* scene3_strip = nullptr;

void scene3_init() {
    // No seed of its own: the draws continue the sequence the earlier inits left.
    scene3_sticks = new AnimatedStick*[scene3_ribbon_count];
    scene3_flash_positions = new Vector3[scene3_flash_count];
    scene3_flash_axes = new Vector3[scene3_flash_count];
    scene3_triggers.init(24);
    push_trigger_list(scene3_triggers, scene3_trigger_list);

    for (int k = 0; k < scene3_ribbon_count; ++k) {
        float kf = k / 20.0f;
        AnimatedStick* ribbon = new AnimatedStick[scene3_stick_count];
        scene3_sticks[k] = ribbon;
        for (int i = 0; i < scene3_stick_count; ++i) {
            float u = i / 700.0f;
            // A wavy line along x, twisted 25 radians about the axis from end to end.
            Vector3 w((u - 0.5f) * 10.0f,
                      0.2f * (cosf(15.0f * u + 17.0f * kf) + sinf(19.0f * u) + kf),
                      0.3f * (cosf(17.0f * u + 7.0f * kf) + sinf(24.0f * u)));
            Vector3 centre = transformed(w, make_rotation(25.0f * u, 0.0f, 0.0f));
            AnimatedStick& stick = ribbon[i];
            stick.centre_from = centre;
            stick.centre_to = centre;
            float r1 = random_unit(), r2 = random_unit(), r3 = random_unit();
            stick.angles_from = Vector3(r3, r2, r1);
            float r4 = random_unit(), r5 = random_unit(), r6 = random_unit();
            stick.angles_to = scaled(Vector3(r6, r5, r4), 5.0f);
            stick.start = 0.0f;
            stick.end = random_unit();
            stick.half_length = random_unit() * 0.05f;
        }
    }

    Matrix3 spread = make_diagonal(200.0f, 30.0f, 30.0f);
    for (int j = 0; j < scene3_flash_count; ++j) {
        float r1 = random_unit(), r2 = random_unit(), r3 = random_unit();
        scene3_flash_positions[j] = transformed(Vector3(r3 - 0.5f, r2 - 0.5f, r1 - 0.5f), spread);
        float r4 = random_unit(), r5 = random_unit(), r6 = random_unit();
        scene3_flash_axes[j] = Vector3(r6, r5, r4);
    }

    // Extended precision: neither k / 20 nor 0.3 is exact, and the truncation shows it.
    for (int k = 0; k < scene3_ribbon_count; ++k) {
        float kf = k / 20.0f;
        scene3_leads[k] = (int)(((long double)kf - 0.3L) * 700.0L);
    }

    scene3_settled = new Vector3[2 * scene3_ribbon_count * scene3_stick_count];
    for (int k = 0; k < scene3_ribbon_count; ++k)
        for (int i = 0; i < scene3_stick_count; ++i) {
            Vector3* ends = &scene3_settled[2 * (k * scene3_stick_count + i)];
            stick_endpoints(scene3_sticks[k][i], 1.0f, ends[0], ends[1]);
        }
    scene3_strip = new Vector3[2 * scene3_stick_count];
}

int scene3_lead(int k) {
    return scene3_leads[k];
}

int scene3_visible_sticks(int k, float progress) {
    int head = (int)(700.0f * progress);
    int n = scene3_leads[k] + 2 * head;
    return n < 0 ? 0 : n > scene3_stick_count ? scene3_stick_count : n;
}

// Fills scene3_strip with the zig-zag a0, b0, a1, b1, … of ribbon k's first `visible` sticks.
static void scene3_fill_strip(int k, int visible, float progress) {
    const AnimatedStick* ribbon = scene3_sticks[k];
    const Vector3* settled = &scene3_settled[2 * k * scene3_stick_count];
    for (int i = 0; i < visible; ++i) {
        const AnimatedStick& stick = ribbon[i];
        // Past its end (and after its start) a stick rests exactly at its second keyframe.
        if (progress >= stick.end && progress > stick.start) {
            scene3_strip[2 * i] = settled[2 * i];
            scene3_strip[2 * i + 1] = settled[2 * i + 1];
        } else {
            stick_endpoints(stick, progress, scene3_strip[2 * i], scene3_strip[2 * i + 1]);
        }
    }
}

void scene3_draw(float progress) {
    float fade = pulse_envelope(progress, 0.0f, 1.0f, 6.0f);

    // Camera: a dolly along the bundle, swaying, that slides sharply away at the very end.
    glLoadIdentity();
    float base = progress - 0.1f;
    float s = (float)pow((double)base, 46.0);
    Vector3 pull = scaled(scaled(Vector3(0.7f, 0.0f, 1.0f), s), 300.0f);
    Vector3 eye =
        sum(Vector3(6.3f * progress - 3.5f, 0.0f, 0.2f * sinf(11.0f * progress) - 3.0f), pull);
    Vector3 centre =
        sum(Vector3(6.1f * progress - 3.5f + 0.3f * sinf(8.0f * progress), 0.0f, 0.0f), pull);
    float c = 0.1f * cosf(11.0f * progress);
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, c, 1.0f - c, 0.0f);

    float beat = scene3_triggers.update();
    if (scene3_triggers.fired_this_frame())
        scene3_spin_angle -= 34.0f; // once per frame, however many triggers fired together

    glRotatef(160.0f * progress, 1.0f, 0.0f, 0.0f);
    glRotatef(scene3_spin_angle, 1.0f, 0.0f, 0.0f);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // The ribbons, each a coloured zig-zag under a shimmering white core. Both passes send
    // the same strip, so each stick is evaluated once per frame.
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vector3), scene3_strip);
    for (int k = 0; k < scene3_ribbon_count; ++k) {
        float kf = k / 20.0f;
        int visible = scene3_visible_sticks(k, progress);
        scene3_fill_strip(k, visible, progress);
        const Vector3& colour = k % 2 == 1 ? orange_colour : navy_colour;

        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(colour.x, colour.y, colour.z, 0.7f * fade);
        glLineWidth(4.0f);
        glDrawArrays(GL_LINE_STRIP, 0, 2 * visible);

        float shimmer = cosf((float)(2.0 * pi_value * kf / 20.0 + 51.0f * progress));
        glLineWidth(1.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4f(1.0f, 1.0f, 1.0f, (0.2f * shimmer + 0.9f) * 0.5f * fade);
        glDrawArrays(GL_LINE_STRIP, 0, 2 * visible);
    }
    glDisableClientState(GL_VERTEX_ARRAY);

    // The row of ten diagrams along the axis, each turned 36 degrees further.
    for (int i = -5; i <= 4; ++i) {
        glPushMatrix();
        glScalef(0.1f, 0.1f, 0.1f);
        glTranslatef(10.0f * i, 0.0f, 0.0f);
        glRotatef(360.0f * (i + 5) / 10.0f, 1.0f, 0.0f, 0.0f);
        if (i % 2 != 0) {
            glTranslatef(0.0f, 3.0f, 0.0f);
            draw_diagram_3(0.7f * fade, 1.0f);
        } else {
            glTranslatef(0.0f, -3.0f, 0.0f);
            draw_diagram_1(0.7f * fade, 1.0f);
        }
        glPopMatrix();
    }

    // The beat's burst of diagrams inside the bundle.
    if (beat > 0.0f) {
        float a = beat * fade;
        for (int j = 0; j < scene3_flash_count; ++j) {
            const Vector3& p = scene3_flash_positions[j];
            const Vector3& axis = scene3_flash_axes[j];
            glPushMatrix();
            glScalef(0.05f, 0.05f, 0.05f);
            glTranslatef(p.x, p.y, p.z);
            glRotatef(90.0f, axis.x, axis.y, axis.z);
            if (j % 3 == 1)
                draw_diagram_1(a, 1.0f);
            else if (j % 3 == 2)
                draw_diagram_4(a, 1.0f);
            else
                draw_diagram_3(a, 1.0f);
            glPopMatrix();
        }
    }
}

void scene3_free() {
    if (scene3_sticks) {
        for (int k = 0; k < scene3_ribbon_count; ++k)
            delete[] scene3_sticks[k];
        delete[] scene3_sticks;
    }
    delete[] scene3_flash_positions;
    delete[] scene3_flash_axes;
    delete[] scene3_settled;
    delete[] scene3_strip;
    scene3_sticks = nullptr;
    scene3_flash_positions = scene3_flash_axes = nullptr;
    scene3_settled = scene3_strip = nullptr;
    scene3_triggers.release();
}
