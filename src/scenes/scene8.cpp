// Scene 8: the camera flies over a navy wire floor beside the greetings picture while nine
// butterflies draw themselves and flap; spark triggers flash lines out of random grid vertices
// and move the butterflies, camera triggers change the viewpoint and their colours.
#include "scenes/scene8.h"

#include <cmath>

#include "math/libc_rand.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/images.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"
#include "scenes/scenes.h"

Vector3* scene8_curve = nullptr;
GridMesh* scene8_floor = nullptr;
int* scene8_spark_vertex = nullptr;
unsigned char* scene8_spark_flags = nullptr;
SyncTriggerTable* scene8_spark_triggers = nullptr;
SyncTriggerTable* scene8_camera_triggers = nullptr;
int scene8_spark_count = 0;
int scene8_camera_count = 0;

// The floor's line vertices, shifted forward, worked out once from the mesh.
static Vector3* scene8_floor_points = nullptr;
static int scene8_floor_point_count = 0;

static const Vector3 camera_offset[5] = {
    {-1.0f, 0.0f, -2.0f}, {1.5f, 1.0f, -1.0f}, {1.7f, 3.0f, -0.2f},
    {-2.3f, 4.0f, -0.6f}, {0.9f, 2.1f, -1.5f},
};

// Butterfly places move linearly with progress: base + rate × p per component.
static const Vector3 butterfly_place_base[15] = {
    {0.0f, 0.0f, -3.0f},  {3.0f, 2.0f, 0.0f},  {-3.0f, 1.5f, 2.0f}, {0.6f, 2.0f, 15.0f},
    {-4.0f, 0.5f, 6.0f},  {4.2f, 1.0f, 19.0f}, {0.2f, 1.0f, 8.0f},  {-6.0f, 4.0f, -3.0f},
    {6.0f, 4.0f, -3.0f},  {4.2f, -2.1f, 7.0f}, {3.0f, 5.0f, 0.0f},  {-8.0f, 1.3f, 3.0f},
    {-3.0f, -1.5f, 3.0f}, {4.2f, -2.1f, 7.0f}, {6.0f, -3.0f, 1.0f},
};
static const Vector3 butterfly_place_rate[15] = {
    {0.0f, 0.0f, 18.0f}, {1.0f, 0.0f, 13.0f},  {0.0f, 0.0f, 15.0f},  {0.1f, 0.0f, 15.0f},
    {0.7f, 0.0f, 23.0f}, {-1.3f, 0.0f, 10.0f}, {0.1f, 0.0f, 11.0f},  {0.0f, 0.0f, 12.0f},
    {0.0f, 0.0f, 12.0f}, {-1.3f, 0.0f, 12.0f}, {-1.0f, 0.0f, 11.0f}, {0.7f, 0.0f, 23.0f},
    {0.0f, 0.0f, 18.0f}, {-1.3f, 0.0f, 12.0f}, {0.0f, 0.0f, 12.0f},
};

// Tilts in degrees: amplitude × sin(rate × p); the tilt about y always turns at rate 7.
static const float tilt_x_amplitude[9] = {7, 8, 5, 11, 8, 7, 11, 15, 17};
static const float tilt_x_rate[9] = {7, 14, 9, 5, 11, 6, 16, 6, 11};
static const float tilt_y_amplitude[9] = {3, 4, 5, 2, 3, 7, 7, 4, 16};
static const float wing_phase_offset[9] = {0.3f, 0.7f, 3.6f, 4.8f, 1.6f, 5.6f, 2.8f, 3.6f, 4.6f};

int scene8_floor_lines(const GridMesh& mesh, const Vector3& shift, Vector3* out) {
    int n = 0;
    for (int t = 0; t < mesh.triangle_count; t += 2) {
        const GridTriangle& tri = mesh.triangles[t];
        Vector3 a = sum(mesh.vertices[tri.a].position, shift);
        Vector3 b = sum(mesh.vertices[tri.b].position, shift);
        Vector3 c = sum(mesh.vertices[tri.c].position, shift);
        out[n++] = a;
        out[n++] = b;
        out[n++] = b;
        out[n++] = c;
    }
    return n;
}

Vector3 scene8_butterfly_place(int j, float p) {
    const Vector3& base = butterfly_place_base[j];
    const Vector3& rate = butterfly_place_rate[j];
    return Vector3(rate.x * p + base.x, rate.y * p + base.y, rate.z * p + base.z);
}

Vector3 scene8_eye(float p) {
    Vector3 ahead = scaled(Vector3(0.0f, 0.0f, 14.0f), p);
    Vector3 circle = scaled(Vector3(sinf(4.4f * p), 0.0f, cosf(4.4f * p)), 2.0f);
    return sum(sum(sum(Vector3(0.0f, 7.0f + p, -7.0f), ahead), circle),
               camera_offset[scene8_camera_count % 5]);
}

Vector3 scene8_centre(float p) {
    return sum(Vector3(0.0f, 0.0f, 2.0f), scaled(Vector3(0.0f, 0.0f, 14.0f), p));
}

void scene8_init() {
    // The butterfly curve over its full period, in the x-z plane.
    scene8_curve = new Vector3[scene8_curve_size];
    for (int i = 0; i < scene8_curve_size; ++i) {
        float theta = (float)((long double)(24 * i) * (long double)pi_value / 2000.0L);
        float r = expf(cosf(theta)) - 2.0f * cosf(4.0f * theta) - powf(sinf(theta / 12.0f), 5.0f);
        scene8_curve[i] = Vector3(r * cosf(theta), 0.0f, r * sinf(theta));
    }

    scene8_floor = new GridMesh();
    grid_mesh_init(*scene8_floor);
    grid_mesh_build(*scene8_floor, 70.0f, 50, 50, Vector3(0.0f, 0.0f, 0.0f));
    scene8_floor_points = new Vector3[2 * (size_t)scene8_floor->triangle_count];
    scene8_floor_point_count =
        scene8_floor_lines(*scene8_floor, Vector3(0.0f, 0.0f, 17.0f), scene8_floor_points);

    // Only read while a spark pulse is live, which needs a firing that fills them first;
    // zeroed all the same.
    scene8_spark_vertex = new int[scene8_spark_set_size]();
    scene8_spark_flags = new unsigned char[scene8_spark_set_size]();

    scene8_spark_triggers = new SyncTriggerTable();
    scene8_spark_triggers->init(200);
    push_trigger_list(*scene8_spark_triggers, scene8_spark_trigger_list);

    scene8_camera_triggers = new SyncTriggerTable();
    scene8_camera_triggers->init(200);
    push_trigger_list(*scene8_camera_triggers, scene8_camera_trigger_list);
}

// One butterfly: the outline with its wings lifted by the beat, drawn as far as it has grown.
static void draw_butterfly(float frequency, float grow, float phase, float alpha,
                           const Vector3& colour) {
    float beat = frequency * phase;
    float wave = 0.5f * sinf(beat) + 0.5f;
    float lift = 0.4f * wave;
    for (int i = 0; i < scene8_curve_size; ++i)
        scene8_curve[i].y = lift * fabsf(scene8_curve[i].z);

    int n = (int)(scene8_curve_size * grow);
    float g = grow * alpha;

    // Fully transparent strips leave every pixel as it was (depth testing is off, so no depth
    // is written either): they are not sent, but their state changes are made.
    bool visible = g != 0.0f && n > 0;
    glVertexPointer(3, GL_FLOAT, 0, scene8_curve);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    glColor4f(colour.x, colour.y, colour.z, 0.7f * g);
    if (visible)
        glDrawArrays(GL_LINE_STRIP, 0, n);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.4f * g);
    if (visible)
        glDrawArrays(GL_LINE_STRIP, 0, n);
}

// The end of a spark line from V along the direction its flag bit names.
static Vector3 spark_end(const Vector3& v, int bit, float length) {
    switch (bit) {
    case 2:
        return Vector3(v.x + length, v.y, v.z);
    case 4:
        return Vector3(v.x, v.y, v.z + length);
    case 8:
        return Vector3(v.x - length, v.y, v.z);
    default:
        return Vector3(v.x, v.y, v.z - length);
    }
}

static const int spark_bits[4] = {2, 4, 8, 16};

void scene8_draw(float progress) {
    float p = progress;
    float fade = pulse_envelope(progress, 0.0f, 1.0f, 6.0f);
    float fade_out = 1.0f - ramp(progress, 0.8f, 0.9f);
    float beat = scene8_spark_triggers->update();

    // A spark firing draws a new set of vertices and directions from the C library's sequence.
    if (scene8_spark_triggers->fired_this_frame()) {
        scene8_spark_count += 1;
        for (int i = 0; i < scene8_spark_set_size; ++i) {
            scene8_spark_vertex[i] = libc_rand() % 2500;
            scene8_spark_flags[i] = (unsigned char)(libc_rand() % 255);
        }
    }
    scene8_camera_triggers->update();
    if (scene8_camera_triggers->fired_this_frame())
        scene8_camera_count += 1;

    // Camera: flying forward over the floor, circling, from the current viewpoint offset.
    glLoadIdentity();
    Vector3 eye = scene8_eye(p);
    Vector3 centre = scene8_centre(p);
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.1f * p, 1.0f, 0.0f);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // The wire floor.
    // Five thousand lines go faster as one array than vertex by vertex.
    float floor_alpha = 0.2f * fade * fade_out;
    glColor4f(navy_colour.x, navy_colour.y, navy_colour.z, floor_alpha);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (floor_alpha != 0.0f) {
        glVertexPointer(3, GL_FLOAT, 0, scene8_floor_points);
        glDrawArrays(GL_LINES, 0, scene8_floor_point_count);
    }
    glDisableClientState(GL_VERTEX_ARRAY);

    // The greetings picture lying flat beside the flight line, tinted navy.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    float picture_alpha = fade * fminf(p, 1.0f) * fade_out;
    glColor4f(navy_colour.x, navy_colour.y, navy_colour.z, picture_alpha);
    glPushMatrix();
    glRotatef(180.0f, 0.0f, 0.0f, -1.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glScalef(0.03f, 0.03f, 0.03f);
    if (picture_alpha != 0.0f) {
        draw_image("greetings");
    } else {
        // A transparent quad changes no pixel; skip its fill (the window's last 2 s, under
        // scene 9) but leave the picture's texture bound as drawing it would.
        glBindTexture(GL_TEXTURE_2D, image_slots[image_index("greetings")].texture);
    }
    glPopMatrix();

    // Sparks out of the grid vertices, shrinking with the pulse.
    if (beat > 0.0f) {
        float length = 0.9f * beat;
        float a = fade * 0.7f * beat;
        const GridVertex* vertices = scene8_floor->vertices;

        glLineWidth(4.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_LINES);
        for (int i = 0; i < scene8_spark_draw_count; ++i) {
            int vertex = scene8_spark_vertex[i];
            const Vector3& v = vertices[vertex].position;
            const Vector3& colour = (vertex & 1) ? orange_colour : navy_colour;
            for (int bit : spark_bits) {
                if (!(scene8_spark_flags[i] & bit))
                    continue;
                Vector3 end = spark_end(v, bit, length);
                glColor4f(colour.x, colour.y, colour.z, a);
                glVertex3fv(&v.x);
                glColor4f(colour.x, colour.y, colour.z, 0.0f);
                glVertex3fv(&end.x);
            }
        }
        glEnd();

        glLineWidth(1.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glBegin(GL_LINES);
        for (int i = 0; i < scene8_spark_draw_count; ++i) {
            const Vector3& v = vertices[scene8_spark_vertex[i]].position;
            for (int bit : spark_bits) {
                if (!(scene8_spark_flags[i] & bit))
                    continue;
                Vector3 end = spark_end(v, bit, length);
                glColor4f(1.0f, 1.0f, 1.0f, fade);
                glVertex3fv(&v.x);
                glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
                glVertex3fv(&end.x);
            }
        }
        glEnd();
    }

    // The butterflies, one after another, at places and in colours the music moves on.
    glEnableClientState(GL_VERTEX_ARRAY);
    for (int i = 0; i < 9; ++i) {
        Vector3 place = scene8_butterfly_place((scene8_spark_count + i) % 15, p);
        glPushMatrix();
        glTranslatef(place.x, place.y, place.z);
        glRotatef(90.0f, 0.0f, -1.0f, 0.0f);
        glRotatef(tilt_x_amplitude[i] * sinf(tilt_x_rate[i] * p), 1.0f, 0.0f, 0.0f);
        glRotatef(tilt_y_amplitude[i] * sinf(7.0f * p), 0.0f, 1.0f, 0.0f);
        glScalef(0.4f, 0.4f, 0.4f);

        int pick = (scene8_camera_count + i) % 3;
        const Vector3& colour = pick == 0 ? red_colour : pick == 1 ? orange_colour : navy_colour;
        float start = i * 0.1f;
        float grow = ramp(p, start + 0.1f, start + 0.35f);
        draw_butterfly(300.0f, grow, p + wing_phase_offset[i], fade * fade_out, colour);
        glPopMatrix();
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

void scene8_free() {
    delete[] scene8_curve;
    scene8_curve = nullptr;
    delete[] scene8_spark_vertex;
    scene8_spark_vertex = nullptr;
    delete[] scene8_spark_flags;
    scene8_spark_flags = nullptr;
    delete[] scene8_floor_points;
    scene8_floor_points = nullptr;
    scene8_floor_point_count = 0;
    if (scene8_floor) {
        grid_mesh_release(*scene8_floor);
        delete scene8_floor;
        scene8_floor = nullptr;
    }
    if (scene8_spark_triggers) {
        scene8_spark_triggers->release();
        delete scene8_spark_triggers;
        scene8_spark_triggers = nullptr;
    }
    if (scene8_camera_triggers) {
        scene8_camera_triggers->release();
        delete scene8_camera_triggers;
        scene8_camera_triggers = nullptr;
    }
}
