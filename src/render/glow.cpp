#include "render/glow.h"

// Placeholder until the helpers land.
void draw_glow_line(const Vector3&, const Vector3&, const Vector3&, float, float, float) {}
void draw_panel(const Vector3&, const Vector3&, float, float, const Vector3&, float, float, float) {
}
void draw_glow_panel(const Vector3&, const Vector3&, float, float, const Vector3&, float, float) {}
