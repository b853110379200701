// Scene 10, the closing scene: the camera glides over a field of towers with background-coloured
// faces (a hidden-line look), fifteen spoke ribbons on the ground and a swarm of rising tiles.
#include "scenes/scene10.h"

#include <cmath>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/glow.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "scenes/scenes.h"

SplinePath* scene10_eye_path = nullptr;
SplinePath* scene10_target_path = nullptr;
TowerBox* scene10_towers = nullptr;
SpokeRibbon** scene10_spokes = nullptr;
StreamTile* scene10_tiles = nullptr;

static Vector3 scene10_ring_colour(int k) {
    switch (k % 3) {
    case 0:
        return orange_colour;
    case 1:
        return navy_colour;
    default:
        return purple_colour;
    }
}

Vector3 scene10_tile_colour(int j) {
    switch (j % 4) {
    case 0:
        return navy_colour;
    case 1:
        return purple_colour;
    case 2:
        return orange_colour;
    default:
        return red_colour;
    }
}

bool scene10_tile_is_diagram(int j) {
    return j % 17 == 0;
}

// Ground-plane unit direction at angle a, measured from +z towards +x.
static Vector3 scene10_ground_direction(float a) {
    return Vector3(sinf(a), 0.0f, cosf(a));
}

void build_spoke_ribbon(SpokeRibbon& ribbon, const Vector3& outer, const Vector3& inner) {
    ribbon.rung_count = 200;
    ribbon.rung_a = new Vector3[ribbon.rung_count];
    ribbon.rung_b = new Vector3[ribbon.rung_count];
    ribbon.weight_a = new float[ribbon.rung_count];
    ribbon.weight_b = new float[ribbon.rung_count];
    for (int i = 0; i < ribbon.rung_count; ++i) {
        float u = i / 200.0f;
        Vector3 c = lerp(outer, inner, u);
        float t = (0.3f * random_unit() + 0.7f) * (17.0f * u);
        float s1 = random_unit();
        float e1 = random_unit() - 0.5f;
        float e0 = random_unit() - 0.5f;
        Vector3 jitter_a = scaled(scaled(Vector3(e0, 0.0f, e1), 0.1f), s1);
        float s2 = random_unit();
        float f1 = random_unit() - 0.5f;
        float f0 = random_unit() - 0.5f;
        Vector3 jitter_b = scaled(scaled(Vector3(f0, 0.0f, f1), 0.1f), s2);
        Vector3 w = scaled(scaled(scene10_ground_direction(t), 0.6f), 0.5f);
        ribbon.rung_a[i] = sum(sum(jitter_a, c), w);
        ribbon.rung_b[i] = difference(sum(jitter_b, c), w);
        ribbon.weight_a[i] = ribbon.weight_b[i] = (float)((double)u * (double)u);
    }
}

SpokeTrace spoke_trace(float sweep, int rung_count) {
    float g = sweep * rung_count;
    int n = (int)g;
    return {n, 1.2f * (g - n)};
}

static void scene10_init_towers() {
    scene10_towers = new TowerBox[scene10_tower_count];
    for (int i = 0; i < scene10_tower_count; ++i) {
        TowerBox& t = scene10_towers[i];
        // Traces start every 0.4/150 of progress and each lasts 4.4/150.
        t.grow_start = 0.4f * (i / 150.0f) + 0.27f;
        t.grow_end = t.grow_start + 0.029333334f;
        float a = (float)(2.0 * pi_value * random_unit());
        float r = 2.5f * random_unit() + 0.03f;
        t.base = scaled(scene10_ground_direction(a), r);
        t.height = 2.8f * random_unit() + 0.5f;
        t.half_size = 0.1f * random_unit() + 0.1f;
        if (t.half_size > 0.18f)
            t.height = 1.5f * t.height;
        t.colour = scene10_ring_colour(i);
    }
}

static void scene10_init_spokes() {
    scene10_spokes = new SpokeRibbon*[scene10_spoke_count];
    for (int k = 0; k < scene10_spoke_count; ++k) {
        float b = (float)((k / 15.0f) * 2.0 * pi_value);
        Vector3 d = scene10_ground_direction(b);
        SpokeRibbon* ribbon = new SpokeRibbon;
        ribbon->colour = scene10_ring_colour(k);
        ribbon->sweep_start = 0.0f;
        ribbon->sweep_end = 0.35f;
        build_spoke_ribbon(*ribbon, scaled(d, 14.5f), scaled(d, 0.2f));
        scene10_spokes[k] = ribbon;
    }
}

static void scene10_init_tiles() {
    scene10_tiles = new StreamTile[scene10_tile_count];
    for (int j = 0; j < scene10_tile_count; ++j) {
        StreamTile& tile = scene10_tiles[j];
        float a = (float)(2.0 * pi_value * random_unit());
        float r = random_unit();
        Vector3 d = scene10_ground_direction(a);
        tile.entry = scaled(d, r);
        tile.exit = sum(scaled(d, 6.5f * r), Vector3(0.0f, 15.0f, 0.0f));
        tile.offset = random_unit();
        tile.rate = random_unit() + 3.0f;
        // Each angle is formed with the double π and rounded once, as for the opening tiles.
        float r1 = random_unit(), r2 = random_unit(), r3 = random_unit();
        tile.spin_from = Vector3((float)(r3 * 2.0f * pi_value), (float)(r2 * 2.0f * pi_value),
                                 (float)(r1 * 2.0f * pi_value));
        r1 = random_unit();
        r2 = random_unit();
        r3 = random_unit();
        tile.spin_to = Vector3((float)(r3 * 4.0f * pi_value), (float)(r2 * 4.0f * pi_value),
                               (float)(r1 * 4.0f * pi_value));
    }
}

void scene10_init() {
    const Vector3 eye[8] = {{0, 2, -5}, {0, 3, -8}, {-2, 7, -11}, {-2, 7, -1},
                            {-2, 4, 8}, {4, 2, 9},  {8, 6, 12},   {9, 7, 13}};
    const Vector3 target[8] = {{0, 4, 0},      {1, 0, 0},     {-3, 0, 0}, {-1.2f, 0, 0},
                               {-0.3f, 1, -1}, {0.7f, 2, -4}, {0, 4, 0},  {0, 6, 0}};
    scene10_eye_path = new SplinePath;
    scene10_eye_path->init();
    for (const Vector3& p : eye)
        scene10_eye_path->add_point(p);
    set_random_seed(16091u);
    scene10_target_path = new SplinePath;
    scene10_target_path->init();
    for (const Vector3& p : target)
        scene10_target_path->add_point(p);

    scene10_init_towers();
    scene10_init_spokes();
    scene10_init_tiles();
}

// A ladder of rungs on the ground, faint at the rim, with a white trace running inward.
static void draw_spoke_ribbon(const SpokeRibbon& ribbon, float progress, float alpha) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glLineWidth(4.0f);
    const float g = ramp(progress, ribbon.sweep_start, ribbon.sweep_end);
    const Vector3& c = ribbon.colour;
    glBegin(GL_LINES);
    for (int i = 0; i < ribbon.rung_count; ++i) {
        glColor4f(c.x, c.y, c.z, alpha * ribbon.weight_a[i] * 0.7f);
        glVertex3fv(&ribbon.rung_a[i].x);
        glColor4f(c.x, c.y, c.z, alpha * ribbon.weight_b[i] * 0.7f);
        glVertex3fv(&ribbon.rung_b[i].x);
    }
    glEnd();

    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const SpokeTrace trace = spoke_trace(g, ribbon.rung_count);
    glBegin(GL_LINES);
    for (int i = 0; i < trace.count; ++i) {
        float k = i == trace.count - 1 ? trace.last_k : 1.2f;
        glColor4f(1.0f, 1.0f, 1.0f, k * alpha * g * ribbon.weight_a[i]);
        glVertex3fv(&ribbon.rung_a[i].x);
        glVertex3fv(&ribbon.rung_b[i].x);
    }
    glEnd();
    glDepthMask(GL_TRUE);
}

static void scene10_tower_corners(const TowerBox& tower, Vector3 top[4], Vector3 foot[4]) {
    const float h = tower.half_size, H = tower.height;
    top[0] = Vector3(-h, H, -h);
    top[1] = Vector3(h, H, -h);
    top[2] = Vector3(h, H, h);
    top[3] = Vector3(-h, H, h);
    foot[0] = Vector3(-h, 0.0f, -h);
    foot[1] = Vector3(h, 0.0f, -h);
    foot[2] = Vector3(h, 0.0f, h);
    foot[3] = Vector3(-h, 0.0f, h);
}

static void scene10_send_box_edges(const Vector3 top[4], const Vector3 foot[4]) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; ++i)
        glVertex3fv(&top[i].x);
    glEnd();
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; ++i)
        glVertex3fv(&foot[i].x);
    glEnd();
    glBegin(GL_LINES);
    for (int i = 0; i < 4; ++i) {
        glVertex3fv(&top[i].x);
        glVertex3fv(&foot[i].x);
    }
    glEnd();
}

// Thick coloured edges, then a white copy whose top rises from the foot as the trace runs.
static void draw_tower_edges(const TowerBox& tower, float progress, float alpha) {
    const float g = ramp(progress, tower.grow_start, tower.grow_end);
    Vector3 top[4], foot[4];
    scene10_tower_corners(tower, top, foot);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(tower.base.x, tower.base.y, tower.base.z);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glColor4f(tower.colour.x, tower.colour.y, tower.colour.z, alpha);
    glLineWidth(4.0f);
    scene10_send_box_edges(top, foot);

    glDisable(GL_DEPTH_TEST);
    for (Vector3& corner : top)
        scale_in_place(corner, g);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, alpha * g);
    glLineWidth(1.0f);
    scene10_send_box_edges(top, foot);
    glPopMatrix();
}

// Full-size faces in the background colour: drawn after every tower's edges, they hide the
// edges of the towers behind them.
static void draw_tower_faces(const TowerBox& tower, float alpha) {
    Vector3 t[4], b[4];
    scene10_tower_corners(tower, t, b);
    const Vector3* faces[6][4] = {
        {&t[0], &t[1], &t[2], &t[3]}, {&b[0], &b[1], &b[2], &b[3]}, {&t[0], &t[1], &b[1], &b[0]},
        {&t[1], &t[2], &b[2], &b[1]}, {&t[3], &t[0], &b[0], &b[3]}, {&t[3], &t[2], &b[2], &b[3]},
    };
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(tower.base.x, tower.base.y, tower.base.z);
    glColor4f(background_colour.x, background_colour.y, background_colour.z, alpha);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glBegin(GL_QUADS);
    for (const auto& face : faces)
        for (const Vector3* corner : face)
            glVertex3fv(&corner->x);
    glEnd();
    glPopMatrix();
}

// Tiles (and every 17th a small diagram) rising from the foot of the towers to a wide ring.
static void scene10_draw_swarm(float progress, float fade) {
    const float m = ramp(progress, 0.36f, 0.41f);
    if (m <= 0.0f)
        return;
    for (int j = 0; j < scene10_tile_count; ++j) {
        const StreamTile& tile = scene10_tiles[j];
        float v = progress * tile.rate + tile.offset;
        float u = v - truncf(v);
        float a = pulse_envelope(u, 0.0f, 1.0f, 3.0f) * m * fade * ramp(u, 0.0f, 1.0f);
        Vector3 c = lerp(tile.entry, tile.exit, u);
        Vector3 g = lerp(tile.spin_from, tile.spin_to, u);
        if (!scene10_tile_is_diagram(j)) {
            draw_panel(c, g, 0.1f, 0.1f, scene10_tile_colour(j), 0.5f * a, 0.8f * a, a);
        } else {
            glPushMatrix();
            glTranslatef(c.x, c.y, c.z);
            glScalef(0.1f, 0.1f, 0.1f);
            glRotatef(60.0f * g.x, 1.0f, 0.0f, 0.0f);
            glRotatef(60.0f * g.y, 0.0f, 1.0f, 0.0f);
            glRotatef(60.0f * g.z, 0.0f, 0.0f, 1.0f);
            draw_diagram_2(a, 1.0f);
            glPopMatrix();
        }
    }
}

void scene10_draw(float progress) {
    const float fade = pulse_envelope(progress, 0.0f, 1.0f, 3.0f);

    glLoadIdentity();
    const Vector3 eye = scene10_eye_path->evaluate(progress);
    const Vector3 target = scene10_target_path->evaluate(progress);
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    for (int k = 0; k < scene10_spoke_count; ++k)
        draw_spoke_ribbon(*scene10_spokes[k], progress, fade);
    for (int i = 0; i < scene10_tower_count; ++i)
        draw_tower_edges(scene10_towers[i], progress, fade);
    for (int i = 0; i < scene10_tower_count; ++i)
        draw_tower_faces(scene10_towers[i], fade);

    glEnable(GL_DEPTH_TEST);
    scene10_draw_swarm(progress, fade);
}

void scene10_free() {
    SplinePath** paths[2] = {&scene10_eye_path, &scene10_target_path};
    for (SplinePath** path : paths) {
        if (*path) {
            (*path)->release();
            delete *path;
            *path = nullptr;
        }
    }
    delete[] scene10_towers;
    scene10_towers = nullptr;
    if (scene10_spokes) {
        for (int k = 0; k < scene10_spoke_count; ++k) {
            SpokeRibbon* ribbon = scene10_spokes[k];
            delete[] ribbon->rung_a;
            delete[] ribbon->rung_b;
            delete[] ribbon->weight_a;
            delete[] ribbon->weight_b;
            delete ribbon;
        }
        delete[] scene10_spokes;
        scene10_spokes = nullptr;
    }
    delete[] scene10_tiles;
    scene10_tiles = nullptr;
}
