#include "math/animated_stick.h"

#include "math/matrix3.h"
#include "math/random.h"
#include "runtime/timeline.h"

void stick_endpoints(const AnimatedStick& stick, float t, Vector3& out_a, Vector3& out_b) {
    const float f = ramp(t, stick.start, stick.end);
    const Vector3 angles = lerp(stick.angles_from, stick.angles_to, f);
    const Vector3 centre = lerp(stick.centre_from, stick.centre_to, f);
    const Matrix3 m = make_rotation(angles.x, angles.y, angles.z);
    out_a = sum(centre, transformed(Vector3(stick.half_length, 0.0f, 0.0f), m));
    out_b = sum(centre, transformed(Vector3(-stick.half_length, 0.0f, 0.0f), m));
}
