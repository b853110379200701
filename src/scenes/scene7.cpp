// Scene 7: the camera flies a curve around a funnel of sixteen twisted bands while nine dashed
// threads rise inside it, each tipped with a small tumbling diagram. Progress is its only input.
#include "scenes/scene7.h"

#include <cmath>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/spline_path.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "scenes/scenes.h"

static SplinePath* scene7_path = nullptr;

static const Vector3 scene7_path_points[8] = {
    {-11.0f, 2.1f, -20.0f}, {-7.0f, 2.3f, -12.0f}, {-3.0f, 2.4f, -7.0f}, {1.0f, 2.2f, -5.0f},
    {5.0f, 2.1f, 7.0f},     {7.0f, 2.0f, 14.0f},   {3.0f, 3.0f, 20.0f},  {-5.0f, 4.0f, 24.0f},
};

static const float thread_height[scene7_thread_count] = {1.2f, 1.5f, 1.1f, 1.7f, 1.2f,
                                                         1.1f, 1.6f, 1.3f, 1.2f};
static const float thread_bob_rate[scene7_thread_count] = {17.0f, 14.0f, 11.0f, 21.0f, 13.0f,
                                                           18.5f, 9.0f,  12.0f, 16.0f};
static const float thread_spin_rate[scene7_thread_count] = {5.0f, 6.0f, 3.0f, 8.0f, 4.0f,
                                                            3.0f, 6.0f, 7.0f, 5.0f};
static const Vector3 thread_tip_axis[scene7_thread_count] = {
    {0.3f, 0.1f, -0.7f},    {-0.1f, 0.7f, 0.3f},   {0.8f, -0.2f, 0.6f},
    {-0.3f, 0.5f, 0.17f},   {0.2f, 0.8f, -0.3f},   {0.5f, -0.85f, 0.4f},
    {0.72f, 0.118f, -0.9f}, {0.95f, -0.85f, 0.4f}, {-0.7f, 0.8f, -0.5f},
};

// The funnel never changes shape, only how much of it is drawn and how opaque: its strip
// vertices, edge points and weights are worked out once.
Vector3 scene7_band_left[scene7_band_count][scene7_band_samples_max];
Vector3 scene7_band_right[scene7_band_count][scene7_band_samples_max];
Vector3 scene7_band_edge[scene7_band_count][scene7_band_samples_max];
float scene7_band_weight[scene7_band_samples_max];

// u^8 of each thread point, rounded to float once.
static float scene7_thread_bend_weight[scene7_thread_points_max];

// Per-frame scratch: the points of the thread being drawn.
static Vector3 scene7_thread_scratch[scene7_thread_points_max];

// What a thread looks like this frame: the foot, the head's resting place and how far the
// head is bent away from it.
struct ThreadShape {
    Vector3 foot;
    Vector3 head;
    Vector3 bend;
};

static ThreadShape thread_shape(int k, float progress) {
    float phi = (float)((k / 9.0f) * 2.0f * pi_value);
    float alpha = progress * thread_spin_rate[k] + phi;
    float bob = (-0.5f - 0.5f * cosf(progress * thread_bob_rate[k])) * 1.2f * thread_height[k];
    ThreadShape shape;
    shape.foot = Vector3(0.04f * sinf(phi), -5.0f, 0.04f * cosf(phi));
    shape.head = Vector3(1.6f * sinf(phi), 4.0f, 1.6f * cosf(phi));
    shape.bend = scaled(Vector3(sinf(alpha), bob, cosf(alpha)), 1.1f);
    return shape;
}

static Vector3 thread_point(const ThreadShape& shape, int i) {
    float u = i / 50.0f;
    Vector3 head = sum(shape.head, scaled(shape.bend, scene7_thread_bend_weight[i]));
    return lerp(shape.foot, head, u);
}

int scene7_band_samples(float progress) {
    return (int)(100.0f * ramp(progress, 0.0f, 0.02f));
}

int scene7_thread_points(float progress) {
    return (int)(50.0f * ramp(progress, -0.01f, 0.03f));
}

Vector3 scene7_eye(float progress) {
    return scene7_path->evaluate(0.97f * progress);
}

Vector3 scene7_target(float progress) {
    // Only the powers are taken in double; the small sway is the single-precision sine.
    float sway = sinf((float)(progress * pi_value * 0.5));
    return Vector3((float)(150.0 * pow(progress, 60.0)),
                   (float)(-105.0 * pow(progress, 40.0) + 0.3 * sway), 0.0f);
}

Vector3 scene7_thread_point(int k, int i, float progress) {
    return thread_point(thread_shape(k, progress), i);
}

void scene7_init() {
    scene7_path = new SplinePath();
    scene7_path->init();
    for (const Vector3& p : scene7_path_points)
        scene7_path->add_point(p);

    for (int i = 0; i < scene7_band_samples_max; ++i) {
        float s = 1.0f - i / 100.0f;
        float y = -20.0f * (1.0f - s);
        float s15 = powf(s, 15.0f);
        float radius = 0.1f * (1.0f - s15) + 13.0f * s15;
        float twist = 0.1f * (float)(1 - i);
        scene7_band_weight[i] = 1.0f - powf(s, 6.0f);
        for (int j = 0; j < scene7_band_count; ++j) {
            float a0 = j * 0.0625f;
            float a1 = (j + 1) * 0.0625f;
            float theta0 = (float)(twist + 2.0 * pi_value * a0);
            float theta1 = (float)(twist + 2.0 * pi_value * a1);
            Vector3 p(radius * sinf(theta0), y, radius * cosf(theta0));
            Vector3 q(radius * sinf(theta1), y, radius * cosf(theta1));
            scene7_band_left[j][i] = p;
            scene7_band_right[j][i] = q;
            scene7_band_edge[j][i] = sum(p, Vector3(0.0f, 0.05f, 0.0f));
        }
    }
    for (int i = 0; i < scene7_thread_points_max; ++i)
        scene7_thread_bend_weight[i] = (float)pow((double)(i / 50.0f), 8.0);
}

void scene7_draw(float progress) {
    float fade = pulse_envelope(progress, 0.0f, 1.0f, 6.0f);

    // Camera on its path; near the end the gaze swings away downward and sideways.
    glLoadIdentity();
    Vector3 eye = scene7_eye(progress);
    Vector3 target = scene7_target(progress);
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, -0.2f * progress, 1.0f, 0.0f);
    glRotatef(140.0f * progress, 0.0f, 1.0f, 0.0f);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    // The funnel: translucent bands, each with a bright orange edge.
    int n = scene7_band_samples(progress);
    for (int j = 0; j < scene7_band_count; ++j) {
        const Vector3& fill = (j & 1) ? navy_colour : orange_colour;
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < n; ++i) {
            glColor4f(fill.x, fill.y, fill.z, scene7_band_weight[i] * fade);
            glVertex3fv(&scene7_band_left[j][i].x);
            glVertex3fv(&scene7_band_right[j][i].x);
        }
        glEnd();

        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glLineWidth(3.0f);
        glBegin(GL_LINE_STRIP);
        for (int i = 0; i < n; ++i) {
            glColor4f(orange_colour.x, orange_colour.y, orange_colour.z,
                      2.0f * fade * scene7_band_weight[i]);
            glVertex3fv(&scene7_band_edge[j][i].x);
        }
        glEnd();
    }

    // The threads: dashed navy curves from a common foot up to a ring, heads whipping about.
    int m = scene7_thread_points(progress);
    for (int k = 0; k < scene7_thread_count; ++k) {
        ThreadShape shape = thread_shape(k, progress);
        Vector3* points = scene7_thread_scratch;
        for (int i = 0; i < scene7_thread_points_max; ++i)
            points[i] = Vector3();

        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glLineWidth(3.0f);
        glColor4f(navy_colour.x, navy_colour.y, navy_colour.z, fade);
        glEnable(GL_DEPTH_TEST);
        glBegin(GL_LINES);
        for (int i = 0; i < m; ++i) {
            points[i] = thread_point(shape, i);
            glVertex3fv(&points[i].x);
        }
        glEnd();

        // From mid-scene the top of each thread lights up white, one thread after another.
        float h = ramp(progress, 0.45f + 0.01f * k, 0.6f + 0.01f * k);
        if (h > 0.0f) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glDisable(GL_DEPTH_TEST);
            glLineWidth(1.0f);
            glBegin(GL_LINES);
            for (int i = scene7_thread_points_max - 1; i >= 34; --i) {
                glColor4f(1.0f, 1.0f, 1.0f, fade * h);
                glVertex3fv(&points[i].x);
            }
            glEnd();
            glEnable(GL_DEPTH_TEST);
        }

        // The tip: a small tumbling copy of diagram 2 on the thread's last point.
        const Vector3& tip = points[scene7_thread_points_max - 1];
        const Vector3& axis = thread_tip_axis[k];
        glPushMatrix();
        glTranslatef(tip.x, tip.y, tip.z);
        glScalef(0.15f, 0.15f, 0.15f);
        glRotatef(60.0f * progress + 30.0f, axis.x, axis.y, axis.z);
        draw_diagram_2(0.4f * fade * ramp(progress, 0.15f, 0.24f), 1.0f);
        glPopMatrix();
    }
}

void scene7_free() {
    if (!scene7_path)
        return;
    scene7_path->release();
    delete scene7_path;
    scene7_path = nullptr;
}
