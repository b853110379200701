// Scene 4: ten thousand motes stream inward along a turning five-armed spiral, two cones of
// orange sparks flicker out of its centre and a helix of panels spins in four mirrored copies.
// Every music trigger cuts the camera to the next of seven viewpoints.
#include "scenes/scene4.h"

#include <cmath>

#include "math/random.h"
#include "render/gl.h"
#include "render/glow.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"
#include "scenes/scenes.h"

Scene4Mote* scene4_motes = nullptr;
SplinePath scene4_path;
SyncTriggerTable scene4_triggers;
int scene4_camera_index = 0;

const Vector3 scene4_viewpoints[scene4_viewpoint_count] = {
    {0, 2, -7}, {1, 3, -5}, {-2, 2.3f, -8}, {-3, -4, 5}, {3, -2.3f, 7}, {2, 1.3f, 5}, {1, -4.3f, 5},
};

// 0.5 plus multiples of 2π/5.
static const float scene4_arm_base[5] = {0.5f, 1.7566369f, 3.0132737f, 4.2699103f, 5.5265474f};

// This frame's mote positions and colours; kept between frames so drawing never allocates.
static Vector3* scene4_mote_positions = nullptr;
static float* scene4_mote_colours = nullptr;

// The jets' spark positions depend only on their index: worked out once.
static Vector3* scene4_jet_down = nullptr;
static Vector3* scene4_jet_up = nullptr;
static float* scene4_jet_falloff = nullptr; // 1 − u, fainter towards the tip
static float* scene4_jet_colours = nullptr; // this frame's RGBA per spark, reused by both jets

void scene4_init() {
    scene4_motes = new Scene4Mote[scene4_mote_count];
    scene4_mote_positions = new Vector3[scene4_mote_count];
    scene4_mote_colours = new float[4 * scene4_mote_count];
    scene4_path.init();
    scene4_triggers.init(15);
    push_trigger_list(scene4_triggers, scene4_trigger_list);

    // A conical spiral: five turns round the y axis, radius growing as the cube of e.
    for (int i = 0; i < scene4_path_points; ++i) {
        float e = (float)i / 200.0f;
        float f = 4.3f * (e * e * e);
        float theta = (float)(2.0f * e * pi_value * 5.0 + 3.5);
        scene4_path.add_point(Vector3(sinf(theta) * f, 1.5f * e, cosf(theta) * f));
    }

    set_random_seed(1691);
    for (int j = 0; j < scene4_mote_count; ++j) {
        Scene4Mote& m = scene4_motes[j];
        random_unit(); // drawn and discarded
        m.arm_angle = scene4_arm_base[j % 5] + 0.55f * random_unit();
        m.inner_radius = 0.15f * random_unit() + 0.05f;
        m.outer_radius = random_unit() + 4.0f;
        m.phase = random_unit();
    }

    scene4_jet_down = new Vector3[scene4_jet_points];
    scene4_jet_up = new Vector3[scene4_jet_points];
    scene4_jet_falloff = new float[scene4_jet_points];
    scene4_jet_colours = new float[4 * scene4_jet_points];
    for (int k = 0; k < scene4_jet_points; ++k) {
        float u = (float)k / 2500.0f;
        // The huge multiplier scatters the angles: each jet becomes a cone of sparks.
        float phi = (float)(u * 141592653.0);
        float r = 0.4f * u;
        scene4_jet_down[k] = Vector3(r * sinf(phi), -2.0f * u, r * cosf(phi));
        scene4_jet_up[k] = Vector3(r * sinf(phi), 2.0f * u, r * cosf(phi));
        scene4_jet_falloff[k] = 1.0f - u;
    }
}

void scene4_camera(int camera_index, float p, Vector3& eye, Vector3& centre) {
    centre = Vector3(0, p, 0);
    eye = scene4_viewpoints[camera_index % scene4_viewpoint_count];
    // Negligible until the last tenth, then the camera backs away fast.
    float pull = (float)pow((double)(p - 0.1f), 46.0);
    Vector3 offset = scaled(scaled(Vector3(-0.9f, 2, -1), pull), 300.0f);
    add_in_place(eye, offset);
    add_in_place(centre, offset);
}

Vector3 scene4_mote_position(int i, float spin, float& t_out) {
    const Scene4Mote& m = scene4_motes[i];
    float t = (float)i / 10000.0f * 0.5f + spin + m.phase;
    if (t > 1.0f)
        t = t - truncf(t);
    float r = (1.0f - t) * m.outer_radius + t * m.inner_radius;
    float a = m.arm_angle - r; // the angle falls with the radius: the arm curls
    t_out = t;
    return Vector3(sinf(a) * r, 0.0f, cosf(a) * r);
}

// Orange sparks, each at the jet's alpha times its fall-off towards the tip.
static void scene4_fill_jet_colours(float alpha) {
    for (int k = 0; k < scene4_jet_points; ++k) {
        float* c = scene4_jet_colours + 4 * k;
        c[0] = orange_colour.x;
        c[1] = orange_colour.y;
        c[2] = orange_colour.z;
        c[3] = alpha * scene4_jet_falloff[k];
    }
}

void scene4_draw(float progress) {
    float p = progress;
    float env = pulse_envelope(p, 0, 1, 6);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();

    Vector3 eye, centre;
    scene4_camera(scene4_camera_index, p, eye, centre);
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.2f, 0.8f, 0.0f);
    glRotatef(70.0f * p, 0, 1, 0);

    float flare = ramp(p, 0.15f, 0.2f);
    float pulse = scene4_triggers.update();
    if (scene4_triggers.fired_this_frame())
        scene4_camera_index += 1; // the cut shows from the next frame on

    glPointSize(4);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    // Motes: placed and coloured for this frame.
    int n = (int)(ramp(p, 0.02f, 0.07f) * 10000.0f);
    float spin = 0.6f * p;
    for (int i = 0; i < n; ++i) {
        float t;
        scene4_mote_positions[i] = scene4_mote_position(i, spin, t);
        const Vector3& colour = (i % 7 == 0) ? orange_colour : navy_colour;
        float* c = scene4_mote_colours + 4 * i;
        c[0] = colour.x;
        c[1] = colour.y;
        c[2] = colour.z;
        c[3] = pulse_envelope(t, 0, 1, 5) * env * 0.3f;
    }

    // Mote bodies.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glPointSize(4);
    glDepthMask(GL_FALSE);
    // Sent as arrays: the same vertices and colours as one call per vertex, far cheaper.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, scene4_mote_positions);
    glColorPointer(4, GL_FLOAT, 0, scene4_mote_colours);
    glDrawArrays(GL_POINTS, 0, n);
    glDisableClientState(GL_COLOR_ARRAY);

    // Mote cores, lit by the trigger pulse.
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glPointSize(1);
    glColor4f(1, 1, 1, pulse * env);
    glDrawArrays(GL_POINTS, 0, n);
    glDisableClientState(GL_VERTEX_ARRAY);

    // One draw every frame, whether or not the jets show: it shifts the shared sequence.
    float g = random_unit();
    float c = cosf(74.0f * p) * cosf(137.0f * p) * cosf(215.0f * p);
    float bright = 2.0f * flare * (0.9f + 0.2f * g) * (0.15f + 0.15f * c);
    if (bright <= 0.001f)
        return;

    // Jets: the downward cone twice as strong as the upward one.
    glPointSize(4);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, scene4_jet_colours);
    scene4_fill_jet_colours(2.0f * bright * env);
    glVertexPointer(3, GL_FLOAT, 0, scene4_jet_down);
    glDrawArrays(GL_POINTS, 0, scene4_jet_points);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_TRUE);
    scene4_fill_jet_colours(bright * env);
    glVertexPointer(3, GL_FLOAT, 0, scene4_jet_up);
    glDrawArrays(GL_POINTS, 0, scene4_jet_points);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDepthMask(GL_TRUE);
    glDisable(GL_DEPTH_TEST);

    // Panel helix: drifts along the path as p advances, tilting more with s.
    float wobble_x = cosf(5.5f * p);
    float wobble_y = cosf(7.5f * p);
    float wobble_z = cosf(8.0f * p);
    float k = 0.8f + 0.4f * cosf(64.0f * p);
    float drift = 0.6f * p;
    for (float s = 0.0f; s < 1.0f; s += 0.0025f) {
        float t = s - drift;
        if (t > 1.0f)
            t = t - truncf(t);
        if (t < 0.0f)
            t = t + 1.0f;
        Vector3 pos = scene4_path.evaluate(t);
        float h = 0.1f * t;
        float v = 1.0f - t * t;
        float fill = 0.25f * env * v * flare;
        float edge = 0.9f * env * v * flare;
        Vector3 angles =
            scaled(Vector3(17.0f * t * wobble_x, -14.0f * t * wobble_y, 12.4f * t * wobble_z), s);
        // Without a pulse the red and purple copies are wholly transparent and, with the depth
        // test off, leave no trace: they are skipped.
        draw_glow_panel(pos, angles, h, h, orange_colour, fill, edge);
        if (pulse > 0.0f)
            draw_glow_panel(Vector3(-pos.x, pos.y, -pos.z), angles, h, h, red_colour,
                            1.2f * pulse * fill, 1.2f * pulse * edge);
        draw_glow_panel(Vector3(-pos.x, -pos.y, -pos.z), angles, h, h, navy_colour, k * fill,
                        k * edge);
        if (pulse > 0.0f)
            draw_glow_panel(Vector3(pos.x, -pos.y, pos.z), angles, h, h, purple_colour,
                            1.2f * pulse * k * fill, 1.2f * pulse * k * edge);
    }
}

void scene4_free() {
    delete[] scene4_motes;
    delete[] scene4_mote_positions;
    delete[] scene4_mote_colours;
    delete[] scene4_jet_down;
    delete[] scene4_jet_up;
    delete[] scene4_jet_falloff;
    delete[] scene4_jet_colours;
    scene4_motes = nullptr;
    scene4_mote_positions = nullptr;
    scene4_mote_colours = nullptr;
    scene4_jet_down = scene4_jet_up = nullptr;
    scene4_jet_falloff = nullptr;
    scene4_jet_colours = nullptr;
    scene4_triggers.release();
    scene4_path.release();
}
