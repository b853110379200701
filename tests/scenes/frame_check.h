// Frame set-up and read-back checks for the scene tests: the main loop's per-frame GL resets
// and a few ways of asking what a drawn frame holds.
#pragma once

#include <cstdlib>
#include <vector>

#include "render/gl.h"
#include "runtime/scene_data.h"
#include "support/gl_context.h"

constexpr int frame_check_width = 320;
constexpr int frame_check_height = 180;

// What the main loop resets before the scenes draw, plus the bands' blend state (on from 35 s).
inline void frame_check_begin(int width = frame_check_width, int height = frame_check_height) {
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glClearColor(background_colour.x, background_colour.y, background_colour.z, 1.0f);
    glLineWidth(1.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, (double)(width / (float)height), 0.01, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

inline Rgba frame_check_background() {
    return Rgba{190, 196, 204, 255};
}

inline bool frame_check_near(const Rgba& a, const Rgba& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// Pixels that differ from the cleared background by more than the tolerance.
inline int frame_check_changed(const std::vector<Rgba>& frame, int tolerance = 2) {
    Rgba bg = frame_check_background();
    int n = 0;
    for (const Rgba& p : frame)
        if (!frame_check_near(p, bg, tolerance))
            ++n;
    return n;
}

// Pixels that lean towards a colour: moved from the background in the colour's direction.
// Orange raises red over blue; navy lowers red and green more than blue.
inline int frame_check_orange(const std::vector<Rgba>& frame) {
    int n = 0;
    for (const Rgba& p : frame)
        if (p.r > p.b + 12 && p.r >= p.g)
            ++n;
    return n;
}

inline int frame_check_navy(const std::vector<Rgba>& frame) {
    int n = 0;
    for (const Rgba& p : frame)
        if (p.b > p.r + 30 && p.r < 170)
            ++n;
    return n;
}

inline int frame_check_red(const std::vector<Rgba>& frame) {
    int n = 0;
    for (const Rgba& p : frame)
        if (p.r > p.g + 25 && p.r > p.b + 25 && std::abs(p.g - p.b) < 30)
            ++n;
    return n;
}

inline int frame_check_purple(const std::vector<Rgba>& frame) {
    int n = 0;
    for (const Rgba& p : frame)
        if (p.r > p.g + 20 && p.b > p.g + 20)
            ++n;
    return n;
}

inline bool frame_check_blend_is(GLenum src, GLenum dst) {
    GLint s = 0, d = 0;
    glGetIntegerv(GL_BLEND_SRC, &s);
    glGetIntegerv(GL_BLEND_DST, &d);
    return (GLenum)s == src && (GLenum)d == dst;
}

inline float frame_check_float(GLenum name) {
    GLfloat v = 0;
    glGetFloatv(name, &v);
    return v;
}

inline bool frame_check_enabled(GLenum cap) {
    return glIsEnabled(cap) == GL_TRUE;
}

inline bool frame_check_depth_mask() {
    GLboolean m = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &m);
    return m == GL_TRUE;
}

struct FrameHues {
    int background = 0, red = 0, navy = 0, orange = 0, dark = 0;
};

// Sorts pixels by hue: the palette colours over the grey-blue ground are easy to tell apart.
inline FrameHues frame_check_hues(const std::vector<Rgba>& pixels) {
    FrameHues c;
    for (const Rgba& p : pixels) {
        int r = p.r, g = p.g, b = p.b;
        if (std::abs(r - 190) <= 2 && std::abs(g - 196) <= 2 && std::abs(b - 204) <= 2)
            ++c.background;
        else if (b - r > 40 && b > g)
            ++c.navy;
        else if (r - b > 40 && g - b > 15)
            ++c.orange;
        else if (r - g > 40 && std::abs(g - b) <= 12)
            ++c.red;
        else if (r < 100 && g < 100 && b < 100)
            ++c.dark;
    }
    return c;
}
