#include "render/glow.h"

#include <cstring>

#include "math/matrix3.h"
#include "render/gl.h"

void draw_glow_line(const Vector3& a, const Vector3& b, const Vector3& colour, float width,
                    float alpha, float core_alpha) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glLineWidth(width);
    glColor4f(colour.x, colour.y, colour.z, alpha);
    glBegin(GL_LINES);
    glVertex3fv(&a.x);
    glVertex3fv(&b.x);
    glEnd();

    glColor4f(1.0f, 1.0f, 1.0f, core_alpha);
    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBegin(GL_LINES);
    glVertex3fv(&a.x);
    glVertex3fv(&b.x);
    glEnd();
}

// Bottom-left, bottom-right, top-right, top-left of the rectangle turned by `angles`.
static void panel_corners(const Vector3& centre, const Vector3& angles, float half_width,
                          float half_height, Vector3 corners[4]) {
    // Callers draw several copies of a panel at one set of angles: the matrix of the last
    // angles is kept (compared bit for bit, so the result is exactly a fresh one).
    static Vector3 last_angles;
    static Matrix3 r = make_rotation(0.0f, 0.0f, 0.0f);
    if (memcmp(&angles, &last_angles, sizeof angles) != 0) {
        r = make_rotation(angles.x, angles.y, angles.z);
        last_angles = angles;
    }
    corners[0] = sum(centre, transformed(Vector3(-half_width, -half_height, 0.0f), r));
    corners[1] = sum(centre, transformed(Vector3(half_width, -half_height, 0.0f), r));
    corners[2] = sum(centre, transformed(Vector3(half_width, half_height, 0.0f), r));
    corners[3] = sum(centre, transformed(Vector3(-half_width, half_height, 0.0f), r));
}

void draw_panel(const Vector3& centre, const Vector3& angles, float half_width, float half_height,
                const Vector3& colour, float fill_alpha, float outline_alpha, float core_alpha) {
    Vector3 c[4];
    panel_corners(centre, angles, half_width, half_height, c);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(colour.x, colour.y, colour.z, fill_alpha);
    glBegin(GL_QUADS);
    for (const Vector3& v : c)
        glVertex3fv(&v.x);
    glEnd();

    // The thick outline must not hide the core drawn over it.
    glLineWidth(4.0f);
    glDepthMask(GL_FALSE);
    glColor4f(colour.x, colour.y, colour.z, outline_alpha);
    glBegin(GL_LINE_LOOP);
    for (const Vector3& v : c)
        glVertex3fv(&v.x);
    glEnd();
    glDepthMask(GL_TRUE);

    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, core_alpha);
    glBegin(GL_LINE_LOOP);
    for (const Vector3& v : c)
        glVertex3fv(&v.x);
    glEnd();
}

void draw_glow_panel(const Vector3& centre, const Vector3& angles, float half_width,
                     float half_height, const Vector3& colour, float fill_alpha,
                     float outline_alpha) {
    Vector3 c[4];
    panel_corners(centre, angles, half_width, half_height, c);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(colour.x, colour.y, colour.z, fill_alpha);
    glBegin(GL_QUADS);
    for (const Vector3& v : c)
        glVertex3fv(&v.x);
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(colour.x, colour.y, colour.z, outline_alpha);
    glBegin(GL_LINE_LOOP);
    for (const Vector3& v : c)
        glVertex3fv(&v.x);
    glEnd();
}
