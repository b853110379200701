// StreamTile: one member of a looping stream of tumbling tiles (the opening and closing scenes).
#pragma once

#include "math/vector3.h"

struct StreamTile {
    Vector3 entry;     // position at cycle phase 0
    Vector3 spin_from; // rotation angles (radians) at phase 0
    Vector3 spin_to;   // rotation angles at phase 1
    Vector3 colour;
    Vector3 exit;        // position at phase 1
    float offset = 0.0f; // phase offset in [0, 1]
    float rate = 0.0f;   // cycles per scene window
};
