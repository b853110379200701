// Scene 9: a web of jittered fibres between 55 hidden nodes flashing on the beat, a sticks swarm
// streaming along three paths in three colours, and a swaying carpet of hairs near the eye.
#include "scenes/scene9.h"

#include <cmath>

#include "elements/diagrams.h"
#include "math/matrix3.h"
#include "math/random.h"
#include "render/gl.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"
#include "scenes/scenes.h"

int scene9_node_count = 55;
FibreNode* scene9_nodes = nullptr;
SwarmStick* scene9_swarm = nullptr;
SplinePath* scene9_path_a = nullptr;
SplinePath* scene9_path_b = nullptr;
SplinePath* scene9_path_c = nullptr;
SyncTriggerTable* scene9_triggers = nullptr;

static constexpr int scene9_hair_count = scene9_carpet_side * scene9_carpet_side;
static float* scene9_field_a = nullptr;
static float* scene9_field_b = nullptr;
static Vector3* scene9_hair = nullptr; // pairs (base, tip); the bases never move
// Each stick's three stream centres of this frame, computed once for both swarm passes.
static Vector3* scene9_centres = nullptr;

static constexpr double scene9_two_pi = 2.0 * pi_value;

int scene9_link_target(float draw) {
    int target = (int)(draw * (float)scene9_node_count);
    return target < scene9_node_count ? target : scene9_node_count - 1;
}

static SplinePath* scene9_make_path(const Vector3* points, int count) {
    SplinePath* path = new SplinePath;
    path->init();
    for (int i = 0; i < count; ++i)
        path->add_point(points[i]);
    return path;
}

static void scene9_init_swarm() {
    scene9_swarm = new SwarmStick[scene9_stick_count];
    for (int i = 0; i < scene9_stick_count; ++i) {
        float r[15];
        for (int k = 1; k <= 14; ++k)
            r[k] = random_unit();
        SwarmStick& s = scene9_swarm[i];
        // The vector scale takes a float, so π is rounded before it multiplies.
        s.angles_from = scaled(scaled(Vector3(r[3], r[2], r[1]), 2.0f), (float)pi_value);
        s.angles_to =
            scaled(scaled(scaled(Vector3(r[6], r[5], r[4]), 2.0f), (float)pi_value), 6.0f);
        s.length = 0.1f + 0.1f * r[7];
        s.polar_phase = (float)(2.0f * r[8] * pi_value);
        s.azimuth_phase = (float)(2.0f * r[9] * pi_value);
        s.polar_rate = (float)(r[10] * scene9_two_pi * 4.0 + 5.0);
        s.azimuth_rate = (float)(r[11] * scene9_two_pi * 4.0 + 5.0);
        s.radius_phase = (float)(2.0f * r[12] * pi_value);
        s.radius_rate = (float)(r[13] * scene9_two_pi * 4.0 + 5.0);
        s.cycle_phase = r[14];
    }
}

static void scene9_init_nodes() {
    scene9_nodes = new FibreNode[scene9_node_count];
    const Matrix3 box = make_diagonal(16.0f, 9.0f, 7.0f);
    for (int i = 0; i < scene9_node_count; ++i) {
        float r1 = random_unit();
        float r2 = random_unit();
        float r3 = random_unit();
        scene9_nodes[i].position =
            sum(transformed(Vector3(r3 - 0.5f, r2 - 0.5f, r1 - 0.5f), box), Vector3(8, 2, 8));
    }
    // Fibres run from the target node (point 0) to their own node (point 19), each point
    // pushed 0.1 off the straight line in a random direction.
    for (int i = 0; i < scene9_node_count; ++i) {
        FibreNode& node = scene9_nodes[i];
        node.link_count = (int)(4.0f * random_unit()) + 2;
        node.link_lengths = new int[node.link_count];
        node.links = new Vector3*[node.link_count];
        for (int j = 0; j < node.link_count; ++j) {
            int target = scene9_link_target(random_unit());
            while (target == i)
                target = scene9_link_target(random_unit());
            const Vector3 from = scene9_nodes[target].position;
            node.link_lengths[j] = scene9_fibre_points;
            node.links[j] = new Vector3[scene9_fibre_points];
            for (int m = 0; m < scene9_fibre_points; ++m) {
                float h = m * 0.05263158f;
                Vector3 p = sum(scaled(from, 1.0f - h), scaled(node.position, h));
                add_in_place(p, random_direction(0.1f));
                node.links[j][m] = p;
            }
        }
    }
}

void scene9_init() {
    scene9_hair = new Vector3[2 * scene9_hair_count];
    scene9_field_a = new float[scene9_hair_count];
    scene9_field_b = new float[scene9_hair_count];
    scene9_centres = new Vector3[3 * scene9_stick_count];

    const Vector3 a[] = {{8, 0, 4}, {3, 1, 0}, {0, -1, -2}, {-4, -1, -7}};
    const Vector3 b[] = {{8, 0.3f, 5},    {6, 0.6f, 7},   {4, 1.1f, 1},
                         {2, 0.5f, 0.1f}, {-1, 0.1f, -2}, {-1, 2.83f, 0.3f}};
    const Vector3 c[] = {{5, 0.4f, 7}, {7, 0.2f, 4}, {5, -0.2f, 1}, {0, -0.6f, -7}};
    scene9_path_a = scene9_make_path(a, 4);
    scene9_path_b = scene9_make_path(b, 6);
    scene9_path_c = scene9_make_path(c, 4);

    set_random_seed(1091059u);
    scene9_init_swarm();

    scene9_triggers = new SyncTriggerTable;
    scene9_triggers->init(400);
    push_trigger_list(*scene9_triggers, scene9_trigger_list);

    scene9_init_nodes();

    // The carpet's bases depend on nothing but the grid: lay them once.
    const Matrix3 spread = make_diagonal(1.2f, 1.0f, 1.2f);
    for (int r = 0; r < scene9_carpet_side; ++r)
        for (int c = 0; c < scene9_carpet_side; ++c) {
            Vector3 cell((c - 35) / 70.0f, 0.0f, (r - 35) / 70.0f);
            Vector3 base = sum(Vector3(0.13f, -0.2f, -6.0f), transformed(cell, spread));
            int n = r * scene9_carpet_side + c;
            scene9_hair[2 * n] = base;
            scene9_hair[2 * n + 1] = base;
        }
}

// Each value is the mean of a row wave and a column wave, so it lies in [0, 1]. The waves are
// formed once per row and column; the sums keep the order of the full expression.
static void fill_field_a(float* field, float p) {
    float row[scene9_carpet_side], col[scene9_carpet_side];
    for (int i = 0; i < scene9_carpet_side; ++i) {
        row[i] = 0.25f * (cosf(11.0f * p + 0.4f * i) + sinf(17.0f * p + 0.2f * i));
        col[i] = 0.25f * (cosf(8.5f * p + 0.5f * i) + sinf(19.0f * p + 0.23f * i));
    }
    for (int i = 0; i < scene9_carpet_side; ++i)
        for (int j = 0; j < scene9_carpet_side; ++j)
            field[i * scene9_carpet_side + j] = (row[i] + 0.5f + col[j] + 0.5f) * 0.5f;
}

static void fill_field_b(float* field, float p) {
    float row[scene9_carpet_side], col[scene9_carpet_side];
    for (int i = 0; i < scene9_carpet_side; ++i) {
        row[i] = 0.25f * (cosf(19.0f * p + 0.2f * i) + sinf(11.0f * p + 0.3f * i));
        col[i] = 0.25f * (cosf(11.5f * p + 0.7f * i) + sinf(14.0f * p + 0.27f * i));
    }
    for (int i = 0; i < scene9_carpet_side; ++i)
        for (int j = 0; j < scene9_carpet_side; ++j)
            field[i * scene9_carpet_side + j] = (row[i] + 0.5f + col[j] + 0.5f) * 0.5f;
}

// Faint dark strokes strongest near their ends, then white shimmer while a beat is live.
static void scene9_draw_fibres(float p, float fade, float beat) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    glDisable(GL_DEPTH_TEST);
    // Blending is on already: the background bands leave it enabled throughout this window.

    // The shade of point k is the same on every fibre.
    float shade[scene9_fibre_points];
    for (int k = 0; k < scene9_fibre_points; ++k)
        shade[k] = (1.0f - pulse_envelope(k / 20.0f, 0.0f, 1.0f, 1.0f)) * fade;
    const float fibre_fade = pulse_envelope(p, 0.05f, 0.95f, 15.0f);

    for (int i = 0; i < scene9_node_count; ++i) {
        const FibreNode& node = scene9_nodes[i];
        for (int j = 0; j < node.link_count; ++j) {
            glBegin(GL_LINE_STRIP);
            for (int k = 0; k < node.link_lengths[j]; ++k) {
                glColor4f(0.0f, 0.0f, 0.0f, shade[k] * 0.2f * fibre_fade);
                glVertex3fv(&node.links[j][k].x);
            }
            glEnd();
        }
    }

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    float glow[scene9_fibre_points];
    for (int k = 0; k < scene9_fibre_points; ++k)
        glow[k] = (0.5f * sinf(26.0f * k / 20.0f + 147.0f * p) + 0.5f) * 0.7f * shade[k] * beat *
                  fibre_fade;
    for (int i = 0; i < scene9_node_count; ++i) {
        const FibreNode& node = scene9_nodes[i];
        for (int j = 0; j < node.link_count; ++j) {
            glBegin(GL_LINE_STRIP);
            for (int k = 0; k < node.link_lengths[j]; ++k) {
                glColor4f(1.0f, 1.0f, 1.0f, glow[k]);
                glVertex3fv(&node.links[j][k].x);
            }
            glEnd();
        }
    }
}

static void scene9_draw_carpet(float p, float fade) {
    fill_field_a(scene9_field_a, p);
    fill_field_b(scene9_field_b, p);
    for (int n = 0; n < scene9_hair_count; ++n) {
        float theta = (float)(scene9_field_b[n] * 2.0f * pi_value);
        const Vector3& base = scene9_hair[2 * n];
        scene9_hair[2 * n + 1] =
            sum(base, Vector3(0.03f * sinf(theta), 0.05f * scene9_field_a[n], 0.03f * cosf(theta)));
    }

    const float darken = ramp(p, 0.2f, 0.22f);
    const float glint = ramp(p, 0.615f, 0.64f);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    glBegin(GL_LINES);
    for (int n = 0; n < scene9_hair_count; ++n) {
        glColor4f(0.0f, 0.0f, 0.0f, (0.5f * darken + 0.5f) * (0.5f * fade) * scene9_field_a[n]);
        glVertex3fv(&scene9_hair[2 * n].x);
        glVertex3fv(&scene9_hair[2 * n + 1].x);
    }
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, glint * 0.25f * fade);
    glBegin(GL_LINES);
    for (int n = 0; n < 2 * scene9_hair_count; ++n)
        glVertex3fv(&scene9_hair[n].x);
    glEnd();
}

// Per-stick wobble, tumble and the three stream centres for this frame.
static void scene9_update_swarm(float p, float swarm_in) {
    const Vector3 o1 = scaled(
        Vector3(sinf(17.0f * p + 3.0f), cosf(11.0f * p + 2.0f), cosf(15.0f * p + 1.0f)), 0.25f);
    const Vector3 o2 = scaled(
        Vector3(sinf(15.0f * p + 0.4f), sinf(19.0f * p + 2.0f), cosf(16.0f * p + 3.0f)), 0.25f);
    const Vector3 o3 = scaled(
        Vector3(sinf(11.0f * p + 2.0f), cosf(7.0f * p + 5.0f), sinf(15.0f * p + 1.0f)), 0.25f);
    for (int i = 0; i < scene9_stick_count; ++i) {
        SwarmStick& s = scene9_swarm[i];
        float v = 4.0f * p + s.cycle_phase;
        s.cycle = v - truncf(v);
        s.alpha = pulse_envelope(s.cycle, 0.0f, 1.0f, 3.0f) * swarm_in;
        s.offset = direction_from_angles(0.4f * sinf(s.radius_rate * p + s.radius_phase),
                                         s.polar_rate * p + s.polar_phase,
                                         s.azimuth_rate * p + s.azimuth_phase);
        Vector3 g = lerp(s.angles_from, s.angles_to, s.cycle);
        Matrix3 m = make_rotation(g.x, g.y, g.z);
        s.tip_a = transformed(Vector3(0.0f, 0.5f * s.length, 0.0f), m);
        s.tip_b = transformed(Vector3(0.0f, -0.5f * s.length, 0.0f), m);

        Vector3* c = &scene9_centres[3 * i];
        c[0] = sum(scene9_path_a->evaluate(s.cycle), s.offset);
        add_in_place(c[0], o1);
        c[1] = sum(scene9_path_b->evaluate(s.cycle), s.offset);
        add_in_place(c[1], o2);
        c[2] = sum(scene9_path_c->evaluate(s.cycle), s.offset);
        add_in_place(c[2], o3);
    }
}

static void scene9_send_stick(const Vector3& centre, const SwarmStick& s) {
    Vector3 a = sum(centre, s.tip_a);
    Vector3 b = sum(centre, s.tip_b);
    glVertex3fv(&a.x);
    glVertex3fv(&b.x);
}

// An orange, a purple and a navy copy of every stick, then white cores; every 32nd stick of
// each stream carries a small diagram once the glint has begun.
static void scene9_draw_swarm(float fade, float glint) {
    const Vector3 colours[3] = {orange_colour, purple_colour, navy_colour};
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    glBegin(GL_LINES);
    for (int i = 0; i < scene9_stick_count; ++i) {
        const SwarmStick& s = scene9_swarm[i];
        float a = 0.9f * fade * s.alpha;
        for (int stream = 0; stream < 3; ++stream) {
            glColor4f(colours[stream].x, colours[stream].y, colours[stream].z, a);
            scene9_send_stick(scene9_centres[3 * i + stream], s);
        }
    }
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    for (int k = 0; k < scene9_stick_count; ++k) {
        const SwarmStick& s = scene9_swarm[k];
        const Vector3* c = &scene9_centres[3 * k];
        if (k % 32 == 0) {
            glEnd();
            if (glint > 0.0f) {
                for (int stream = 0; stream < 3; ++stream) {
                    glPushMatrix();
                    glTranslatef(c[stream].x, c[stream].y, c[stream].z);
                    glScalef(0.04f, 0.04f, 0.04f);
                    draw_diagram_2(fade * glint * s.alpha, 1.0f);
                    glPopMatrix();
                }
            }
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glDisable(GL_DEPTH_TEST);
            glBegin(GL_LINES);
        }
        glColor4f(1.0f, 1.0f, 1.0f, 0.6f * fade * s.alpha);
        for (int stream = 0; stream < 3; ++stream)
            scene9_send_stick(c[stream], s);
    }
    glEnd();
}

void scene9_draw(float progress) {
    const float p = progress;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float fade = pulse_envelope(p, 0.0f, 1.0f, 6.0f);
    const float swarm_in = ramp(p, 0.115f, 0.215f);
    const float glint = ramp(p, 0.615f, 0.64f);
    const float beat = scene9_triggers->update();

    // The camera hardly moves until the last few percent, then pulls back and up.
    glLoadIdentity();
    const float s = (float)pow((double)p, 50.0);
    const Vector3 pull = scaled(Vector3(0.0f, -30.0f, 40.0f), s);
    const Vector3 eye = difference(Vector3(-0.2f * p, 0.0f, -7.0f), pull);
    const Vector3 centre = difference(Vector3(1.5f, 0.0f, 0.0f), pull);
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, -0.3, 1.0, 0.0);

    scene9_draw_fibres(p, fade, beat);

    // The carpet and the swarm turn slowly about the world z axis.
    glRotatef(10.0f * p, 0.0f, 0.0f, 1.0f);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    scene9_draw_carpet(p, fade);

    scene9_update_swarm(p, swarm_in);
    scene9_draw_swarm(fade, glint);
}

void scene9_free() {
    delete[] scene9_field_a;
    delete[] scene9_hair;
    delete[] scene9_field_b;
    delete[] scene9_centres;
    delete[] scene9_swarm;
    scene9_field_a = scene9_field_b = nullptr;
    scene9_hair = scene9_centres = nullptr;
    scene9_swarm = nullptr;
    SplinePath** paths[3] = {&scene9_path_a, &scene9_path_b, &scene9_path_c};
    for (SplinePath** path : paths) {
        if (*path) {
            (*path)->release();
            delete *path;
            *path = nullptr;
        }
    }
    if (scene9_triggers) {
        scene9_triggers->release();
        delete scene9_triggers;
        scene9_triggers = nullptr;
    }
    if (scene9_nodes) {
        for (int i = 0; i < scene9_node_count; ++i) {
            FibreNode& node = scene9_nodes[i];
            for (int j = 0; j < node.link_count; ++j)
                delete[] node.links[j];
            delete[] node.link_lengths;
            delete[] node.links;
        }
        delete[] scene9_nodes;
        scene9_nodes = nullptr;
    }
}
