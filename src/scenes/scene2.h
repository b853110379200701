// Scene 2's module state (the stroke cloud under the ring tunnel), visible to its tests.
#pragma once

#include "math/vector3.h"

constexpr int scene2_fine_count = 10000;
constexpr int scene2_bold_count = 1000;

extern Vector3* scene2_fine_from;
extern Vector3* scene2_fine_to;
extern Vector3* scene2_bold_from;
extern Vector3* scene2_bold_to;
