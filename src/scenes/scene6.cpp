// Scene 6: twenty random-walk ribbons grow one after another out of a common centre, turning
// with the scene and snapping to a new orientation on every music trigger, between two
// mirrored rows of rungs that flash with the beat, alternately thin purple and wide red.
#include "scenes/scene6.h"

#include <cmath>

#include "math/libc_rand.h"
#include "math/matrix3.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/glow.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"
#include "scenes/scenes.h"

WalkStrand* scene6_strands = nullptr;
SyncTriggerTable scene6_triggers;
bool scene6_rung_thin = true;
float scene6_spin_angle = 0.0f;
Vector3 scene6_spin_axis;

void scene6_init() {
    scene6_strands = new WalkStrand[scene6_strand_count];
    set_random_seed(10650);
    scene6_triggers.init(44);
    push_trigger_list(scene6_triggers, scene6_trigger_list);

    for (int k = 0; k < scene6_strand_count; ++k) {
        WalkStrand& strand = scene6_strands[k];
        strand.grow_start = (float)k / 20.0f;
        strand.grow_end = strand.grow_start + 0.2f;
        strand.origin = random_direction(1.0f);
        strand.point_count = 300 + (int)(101.0f * random_unit());
        strand.points = new Vector3[strand.point_count];
        // The C library's sequence picks the colours (this is its first caller).
        if (libc_rand() % 2 == 0) {
            strand.fill_colour = navy_colour;
            strand.line_colour = orange_colour;
        } else {
            strand.fill_colour = Vector3(0, 0, 0);
            strand.line_colour = red_colour;
        }

        // A walk whose turning rates drift by a factor in [0.75, 1.25] per step, so the path
        // curls ever tighter or looser.
        Vector3 q;
        float a = random_unit();
        float b = random_unit();
        float da = 0.1f * random_unit() + 0.01f;
        float db = 0.1f * random_unit() + 0.01f;
        for (int i = 0; i < strand.point_count; ++i) {
            float w = random_unit();
            add_in_place(q, direction_from_angles(0.1f * w, (float)(2.0 * (pi_value * a)),
                                                  (float)(pi_value * b)));
            strand.points[i] = q;
            a = a + db;
            b = b + da;
            db = db * (0.75f + 0.5f * random_unit());
            da = da * (0.75f + 0.5f * random_unit());
        }
    }
}

bool scene6_strand_growth(const WalkStrand& strand, float progress, int& shown, float& bright) {
    float g = ramp(progress, strand.grow_start, strand.grow_end);
    if (g <= 0.0001f || g >= 0.9999f)
        return false;
    shown = (int)((float)strand.point_count * g);
    bright = sinf((float)(pi_value * g));
    return true;
}

void draw_strand(const WalkStrand& strand, float alpha, float progress) {
    int n;
    float s;
    if (!scene6_strand_growth(strand, progress, n, s))
        return;
    glPushMatrix();
    glTranslatef(strand.origin.x, strand.origin.y, strand.origin.z);

    // The fan pivots on the first point: the area swept from the start to the growing end.
    glColor4f(strand.fill_colour.x, strand.fill_colour.y, strand.fill_colour.z, 0.25f * alpha * s);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < n; ++i)
        glVertex3fv(&strand.points[i].x);
    glEnd();

    glColor4f(strand.line_colour.x, strand.line_colour.y, strand.line_colour.z, 0.5f * alpha * s);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < n; ++i)
        glVertex3fv(&strand.points[i].x);
    glEnd();

    glPopMatrix();
}

void scene6_draw(float progress) {
    float fade = pulse_envelope(progress, 0, 1, 16);

    // No look-at: the content moves in from 10 to 7 units and drifts from left to right.
    glLoadIdentity();
    float approach = sinf((float)(ramp(progress, 0, 0.1f) * 0.5 * pi_value));
    glTranslatef(2.0f * progress - 1.0f, 0.0f, -7.0f - 3.0f * (1.0f - approach));

    glPushMatrix();
    glRotatef(10.0f * progress, 0, 1, 0);

    float pulse = 0.5f * scene6_triggers.update();
    if (scene6_triggers.fired_this_frame()) {
        scene6_rung_thin = !scene6_rung_thin;
        scene6_spin_angle += 25.0f;
        scene6_spin_axis =
            Vector3(sinf(187.0f * progress), sinf(114.0f * progress), sinf(81.0f * progress));
    }

    // Rungs: two mirrored rows of 25 flat rectangles, lit only by the trigger pulse. Unlit,
    // they are wholly transparent and, with the depth test off, leave no trace: then only the
    // state their glow lines would leave is set.
    Matrix3 mirror = make_diagonal(1, -1, 1);
    bool rungs_unlit = fade * pulse == 0.0f && !glIsEnabled(GL_DEPTH_TEST);
    if (rungs_unlit) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glLineWidth(1);
        glColor4f(1, 1, 1, 0);
    }
    for (int i = 0; i < scene6_rung_count && !rungs_unlit; ++i) {
        Vector3 p0 = lerp(Vector3(-7, 1, 1.5f), Vector3(7, 1, 1.5f), (float)i / 25.0f);
        Vector3 p1 = sum(p0, Vector3(0.25f, 0, 0));
        Vector3 p2 = sum(p0, Vector3(0, 0, -4));
        Vector3 p3 = sum(p1, Vector3(0, 0, -4));
        if (scene6_rung_thin) {
            float alpha = 0.6f * fade * pulse;
            float core = fade * pulse;
            draw_glow_line(p0, p1, purple_colour, 5.0f, alpha, core);
            draw_glow_line(p2, p3, purple_colour, 5.0f, alpha, core);
            draw_glow_line(p0, p2, purple_colour, 5.0f, alpha, core);
            draw_glow_line(p1, p3, purple_colour, 5.0f, alpha, core);
            Vector3 m0 = transformed(p0, mirror), m1 = transformed(p1, mirror);
            Vector3 m2 = transformed(p2, mirror), m3 = transformed(p3, mirror);
            draw_glow_line(m0, m1, purple_colour, 5.0f, alpha, core);
            draw_glow_line(m2, m3, purple_colour, 5.0f, alpha, core);
            draw_glow_line(m0, m2, purple_colour, 5.0f, alpha, core);
            draw_glow_line(m1, m3, purple_colour, 5.0f, alpha, core);
        } else {
            Vector3 q0 = sum(p0, Vector3(-0.09f, 0, 0.5f));
            Vector3 q1 = sum(p1, Vector3(0.09f, 0, 0.5f));
            Vector3 q2 = sum(p2, Vector3(-0.09f, 0, -0.5f));
            Vector3 q3 = sum(p3, Vector3(0.09f, 0, -0.5f));
            float alpha = 0.5f * fade * pulse;
            float core = fade * pulse;
            draw_glow_line(q0, q1, red_colour, 5.0f, alpha, core);
            draw_glow_line(q0, q2, red_colour, 5.0f, alpha, core);
            draw_glow_line(q2, q3, red_colour, 5.0f, alpha, core);
            draw_glow_line(q1, q3, red_colour, 5.0f, alpha, core);
            Vector3 m0 = transformed(q0, mirror), m1 = transformed(q1, mirror);
            Vector3 m2 = transformed(q2, mirror), m3 = transformed(q3, mirror);
            draw_glow_line(m0, m1, red_colour, 5.0f, alpha, core);
            draw_glow_line(m0, m2, red_colour, 5.0f, alpha, core);
            draw_glow_line(m2, m3, red_colour, 5.0f, alpha, core);
            draw_glow_line(m1, m3, red_colour, 5.0f, alpha, core);
        }
    }
    glPopMatrix();

    // The strand cluster: one turn over the scene, plus the snaps the triggers added.
    glPushMatrix();
    glRotatef(360.0f * progress, 0, 1, 0.2f);
    glRotatef(scene6_spin_angle, scene6_spin_axis.x, scene6_spin_axis.y, scene6_spin_axis.z);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glLineWidth(3);
    for (int k = 0; k < scene6_strand_count; ++k)
        draw_strand(scene6_strands[k], fade, progress);
    glPopMatrix();
}

void scene6_free() {
    for (int k = 0; k < scene6_strand_count; ++k)
        delete[] scene6_strands[k].points;
    delete[] scene6_strands;
    scene6_strands = nullptr;
    scene6_triggers.release();
}
