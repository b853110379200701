// The program-wide pseudo-random sequence and the point helpers built beside it.
// One 32-bit seed is the whole state; the order of draws across start-up is part of the picture.
#pragma once

#include <cstdint>

#include "math/vector3.h"

// The program's π. A double, like the literal it stands for: `x * pi_value` with a float x is
// formed in double and rounded once when stored back to float.
constexpr double pi_value = 3.141592;

extern uint32_t random_seed;
// Number of generator steps taken since program start (for tests and diagnostics only).
extern uint64_t random_draw_count;

// One step of the recurrence (no modular correction: the difference wraps modulo 2^32).
inline uint32_t random_step(uint32_t s) {
    return ((s & 1u) ? 1588635695u : 0u) - (s >> 1) * 1117695901u;
}

void set_random_seed(uint32_t seed);
float random_unit();
Vector3 random_direction(float radius);
Vector3 direction_from_angles(float radius, float polar, float azimuth);
Vector3 circle_point(float radius, float angle, Vector3& out);
Vector3 circle_point(float radius, float angle);
Vector3 lerp(const Vector3& a, const Vector3& b, float t);
