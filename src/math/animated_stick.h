// AnimatedStick: a segment of fixed length whose centre and orientation move between two
// keyframes over a span of the caller's time.
#pragma once

#include "math/vector3.h"

struct AnimatedStick {
    Vector3 angles_from;
    Vector3 angles_to;
    Vector3 centre_from;
    Vector3 centre_to;
    float start = 0.0f;
    float end = 0.0f;
    float half_length = 0.0f;
};

void stick_endpoints(const AnimatedStick& stick, float t, Vector3& out_a, Vector3& out_b);
