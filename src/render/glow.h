// Glow line and panels: a translucent coloured body under a brighter additive edge or core.
// All three leave the blend function additive (GL_SRC_ALPHA, GL_ONE).
#pragma once

#include "math/vector3.h"

void draw_glow_line(const Vector3& a, const Vector3& b, const Vector3& colour, float width,
                    float alpha, float core_alpha);
void draw_panel(const Vector3& centre, const Vector3& angles, float half_width, float half_height,
                const Vector3& colour, float fill_alpha, float outline_alpha, float core_alpha);
void draw_glow_panel(const Vector3& centre, const Vector3& angles, float half_width,
                     float half_height, const Vector3& colour, float fill_alpha,
                     float outline_alpha);
