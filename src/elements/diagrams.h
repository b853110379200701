// The four line diagrams (hexagonal rings and zig-zag chains) with their square markers,
// built once at start-up and drawn, revealed and faded by several scenes.
// Each draw leaves: depth test on, depth writes on, line width 1, blend (GL_SRC_ALPHA, GL_ONE).
#pragma once

#include "math/vector3.h"

struct DiagramLines {
    int count = 0;
    Vector3* points = nullptr; // owned copy of a figure; pairs (0,1), (2,3), … are segments
};

extern DiagramLines* diagram_1_lines;
extern DiagramLines* diagram_2_lines;
extern DiagramLines* diagram_3_lines;
extern DiagramLines* diagram_4_lines;

void diagram_lines_init();
void diagram_lines_free();

void draw_diagram_1(float alpha, float progress);
void draw_diagram_2(float alpha, float progress);
void draw_diagram_3(float alpha, float progress);
void draw_diagram_4(float alpha, float progress);

// How much of a polyline of `count` points a reveal value shows: the first `points` points are
// sent, the last of them with its alpha raised by `tail` (in [1, 2) while revealing, 1 when
// complete).
struct DiagramReveal {
    int points;
    float tail;
};
DiagramReveal diagram_reveal(int count, float reveal);

void draw_diagram_lines(const DiagramLines& lines, const Vector3& colour, float reveal,
                        float alpha);
void draw_marker_outline(const Vector3& centre, float alpha);
void draw_marker_blue(const Vector3& centre, float alpha);
void draw_marker_red(const Vector3& centre, float alpha);
void draw_marker_purple(const Vector3& centre, float alpha);
void draw_marker_green(const Vector3& centre, float alpha);
void draw_marker_grey(const Vector3& centre, float alpha);
