#include "render/ortho.h"

#include "render/gl.h"

void begin_ortho(float width, float height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, (double)width, 0.0, (double)height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void end_ortho() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// One band: black with `alpha` along the edge at y = edge, transparent along y = inner.
static void shade_band(float edge, float inner, float alpha) {
    glDepthMask(GL_FALSE);
    begin_ortho(1.0f, 1.0f);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    glVertex2f(0.0f, edge);
    glVertex2f(1.0f, edge);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    glVertex2f(1.0f, inner);
    glVertex2f(0.0f, inner);
    glEnd();
    end_ortho();
    glLoadIdentity();
    glDepthMask(GL_TRUE);
}

void shade_bottom(float height, float alpha) {
    if (alpha > 0.0f)
        shade_band(0.0f, height, alpha);
}

void shade_top(float height, float alpha) {
    if (alpha > 0.0f)
        shade_band(1.0f, 1.0f - height, alpha);
}
