#include "render/spline_path.h"

// Placeholder until paths land.
void SplinePath::init() {}
void SplinePath::add_point(const Vector3&) {}
Vector3 SplinePath::evaluate(float) {
    return Vector3();
}
void SplinePath::release() {}
