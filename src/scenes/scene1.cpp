// Scene 1, the opening: a looping band of tumbling tiles drifts across the picture while four
// line diagrams draw themselves beside the logo, title and credit captions.
#include "scenes/scene1.h"

#include <cmath>

#include "elements/diagrams.h"
#include "math/random.h"
#include "render/gl.h"
#include "render/glow.h"
#include "render/images.h"
#include "runtime/scene_data.h"
#include "runtime/timeline.h"
#include "scenes/scenes.h"

int scene1_tile_count = 500;
StreamTile* scene1_tiles = nullptr;

void scene1_init() {
    scene1_tiles = new StreamTile[scene1_tile_count];
    set_random_seed(111519);
    // These never reach the picture; they only fix where the tile values sit in the sequence.
    for (int i = 0; i < 240; ++i)
        random_unit();
    const Vector3* colours[3] = {&red_colour, &navy_colour, &orange_colour};
    for (int i = 0; i < scene1_tile_count; ++i) {
        float r[10];
        for (int k = 1; k <= 9; ++k)
            r[k] = random_unit();
        StreamTile& tile = scene1_tiles[i];
        Vector3 lane(0.0f, r[2] - 0.5f, r[1] - 0.5f);
        tile.exit = sum(lane, Vector3(-1.0f, 0.0f, 0.0f));
        tile.entry = sum(lane, Vector3(2.0f, 0.0f, 0.0f));
        tile.spin_from = Vector3((float)(r[5] * 2.0f * pi_value), (float)(r[4] * 2.0f * pi_value),
                                 (float)(r[3] * 2.0f * pi_value));
        tile.spin_to = Vector3((float)(r[8] * 2.0f * pi_value), (float)(r[7] * 2.0f * pi_value),
                               (float)(r[6] * 2.0f * pi_value));
        tile.rate = 1.0f;
        tile.offset = r[9];
        tile.colour = *colours[i % 3];
    }
}

float scene1_fade(float progress) {
    // Forty successive factors of the ramp keep the scene hidden until ~2.1 s, then let it
    // come up within a fifth of a second.
    float fade = pulse_envelope(progress, 0.0f, 1.0f, 6.0f);
    float rise = ramp(progress, 0.05f, 0.1f);
    for (int i = 0; i < 40; ++i)
        fade *= rise;
    return fade;
}

// One title slot: a diagram drawing itself at a place near the middle, and its caption.
struct Scene1Title {
    void (*draw_diagram)(float alpha, float progress);
    float start, end; // slot in progress
    Vector3 position;
    const char* key;
    float caption_x, caption_y;
};

static const Scene1Title scene1_titles[4] = {
    {draw_diagram_2, 0.1f, 0.2f, {1.25f, 0.0f, 0.0f}, "quorvent", 1.0f, 0.0f},
    {draw_diagram_4, 0.3f, 0.5f, {1.25f, 0.25f, 0.0f}, "OSKE", 1.15f, 0.2f},
    {draw_diagram_3, 0.5f, 0.7f, {1.4f, -0.3f, 0.0f}, "fluoxetine: brindlet", 1.6f, -0.3f},
    {draw_diagram_1, 0.7f, 0.9f, {1.2f, 0.3f, 0.0f}, "fluvoxamine: kebb", 1.5f, 0.25f},
};

void scene1_draw(float progress) {
    float fade = scene1_fade(progress);

    glLoadIdentity();
    float eye_x = 1.5f - progress; // the view pans with the drift (world -x is screen right)
    gluLookAt(eye_x, 0.0, -2.0, eye_x, 0.0, 0.0, 0.0, 1.0, 0.0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    // Titles: the diagrams run every frame; outside its slot each is simply transparent.
    for (int k = 0; k < 4; ++k) {
        const Scene1Title& title = scene1_titles[k];
        float level = sinf((float)(pi_value * ramp(progress, title.start, title.end))) * fade;
        glPushMatrix();
        glTranslatef(title.position.x, title.position.y, title.position.z);
        glScalef(0.05f, 0.05f, 0.05f);
        title.draw_diagram(fade, level);
        glPopMatrix();
        if (level > 0.0f) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glDisable(GL_DEPTH_TEST); // the diagram left it on
            // The logo darkens as it fades; the other captions only lose opacity.
            if (k == 0)
                glColor4f(level, level, level, level);
            else
                glColor4f(1.0f, 1.0f, 1.0f, level);
            draw_caption(title.caption_x, title.caption_y, title.key);
        }
    }

    glDisable(GL_DEPTH_TEST);
    float band_alpha = 0.9f * pulse_envelope(progress, 0.0f, 1.0f, 1.0f);
    if (band_alpha <= 0.0f)
        return;

    // The band. Member 0 is a diagram, which turns depth testing back on for everyone after it.
    float diagram_reveal = 1.0f - ramp(progress, 0.6f, 0.8f);
    for (int i = 0; i < scene1_tile_count; ++i) {
        const StreamTile& tile = scene1_tiles[i];
        float u = progress * tile.rate + tile.offset;
        u = u - truncf(u);
        float a = pulse_envelope(u, 0.0f, 1.0f, 3.0f) * band_alpha * fade * ramp(u, 0.0f, 1.0f);
        Vector3 c = lerp(tile.entry, tile.exit, u);
        Vector3 g = lerp(tile.spin_from, tile.spin_to, u);
        if (i % 23 != 0) {
            draw_panel(c, g, 0.03f, 0.03f, tile.colour, 0.5f * a, 0.8f * a, a);
        } else {
            glPushMatrix();
            glTranslatef(c.x, c.y, c.z);
            glScalef(0.03f, 0.03f, 0.03f);
            // Radians times 90, used as degrees: the small diagrams tumble fast.
            glRotatef(90.0f * g.x, 1.0f, 0.0f, 0.0f);
            glRotatef(90.0f * g.y, 0.0f, 1.0f, 0.0f);
            glRotatef(90.0f * g.z, 0.0f, 0.0f, 1.0f);
            draw_diagram_2(fade * a, diagram_reveal);
            glPopMatrix();
        }
    }
}

void scene1_free() {
    delete[] scene1_tiles;
    scene1_tiles = nullptr;
}
