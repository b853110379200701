#include "elements/diagrams.h"

// Placeholder until the diagrams land.
DiagramLines* diagram_1_lines = nullptr;
DiagramLines* diagram_2_lines = nullptr;
DiagramLines* diagram_3_lines = nullptr;
DiagramLines* diagram_4_lines = nullptr;

void diagram_lines_init() {}
void diagram_lines_free() {}
void draw_diagram_1(float, float) {}
void draw_diagram_2(float, float) {}
void draw_diagram_3(float, float) {}
void draw_diagram_4(float, float) {}
void draw_diagram_lines(const DiagramLines&, const Vector3&, float, float) {}
void draw_marker_outline(const Vector3&, float) {}
void draw_marker_blue(const Vector3&, float) {}
void draw_marker_red(const Vector3&, float) {}
void draw_marker_purple(const Vector3&, float) {}
void draw_marker_green(const Vector3&, float) {}
void draw_marker_grey(const Vector3&, float) {}
