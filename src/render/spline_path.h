// SplinePath: a smooth curve through control points (Hermite segments with forward-difference
// tangents), evaluated with t in 0..1 to move cameras and objects.
#pragma once

#include "math/object_list.h"

struct SplinePath {
    int count = 0;
    ObjectList* points = nullptr; // owned; items are owned heap copies of the control points

    void init();
    void add_point(const Vector3& p);
    Vector3 evaluate(float t);
    void release();
};
