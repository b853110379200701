#include "render/spline_path.h"

#include <cmath>

void SplinePath::init() {
    count = 0;
    points = new ObjectList;
    points->clear();
}

void SplinePath::add_point(const Vector3& p) {
    count += 1;
    points->push_newest(new Vector3(p));
}

Vector3 SplinePath::evaluate(float t) {
    // No owner evaluates an empty path; the origin is a harmless answer.
    if (!points || points->count == 0)
        return Vector3();
    const int last = count - 1;
    const float x = t * (float)last;
    const float base = floorf(x);
    // seek() treats anything <= 0 as the first point and stops at the last one by itself;
    // clamping here only keeps huge or NaN parameters out of the int conversion.
    const int i = !(base > 0.0f) ? 0 : (base >= (float)last ? last : (int)base);
    points->seek(i);
    const Vector3 q0 = *points->current();
    points->step_newer();
    const Vector3 q1 = *points->current();
    points->step_newer();
    const Vector3 q2 = *points->current();
    HermiteSegment segment;
    segment.set(q0, difference(q1, q0), difference(q2, q1), q1);
    // The fraction comes from the exact product, not from the rounded x.
    const float u = (float)((double)last * (double)t - (double)base);
    return segment.evaluate(u);
}

void SplinePath::release() {
    if (points) {
        points->remove_all();
        delete points;
        points = nullptr;
    }
    count = 0;
}
