#include <gtest/gtest.h>

#include "math/animated_stick.h"
#include "math/matrix3.h"

static void expect_vec(const Vector3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

static AnimatedStick make_stick() {
    AnimatedStick s;
    s.angles_from = Vector3(0.3f, -1.2f, 2.0f);
    s.angles_to = Vector3(1.0f, 0.5f, -0.7f);
    s.centre_from = Vector3(1.0f, 2.0f, 3.0f);
    s.centre_to = Vector3(-4.0f, 0.0f, 6.0f);
    s.start = 0.2f;
    s.end = 0.6f;
    s.half_length = 0.75f;
    return s;
}

TEST(AnimatedStick, RestsAtItsKeyframesOutsideTheSpan) {
    const AnimatedStick s = make_stick();
    const Matrix3 from = make_rotation(0.3f, -1.2f, 2.0f);
    const Matrix3 to = make_rotation(1.0f, 0.5f, -0.7f);
    const Vector3 from_a = sum(s.centre_from, transformed(Vector3(0.75f, 0, 0), from));
    const Vector3 from_b = sum(s.centre_from, transformed(Vector3(-0.75f, 0, 0), from));
    const Vector3 to_a = sum(s.centre_to, transformed(Vector3(0.75f, 0, 0), to));

    Vector3 a, b;
    for (float t : {-3.0f, 0.0f, 0.2f}) {
        stick_endpoints(s, t, a, b);
        expect_vec(a, from_a.x, from_a.y, from_a.z, 0.0f);
        expect_vec(b, from_b.x, from_b.y, from_b.z, 0.0f);
    }
    for (float t : {0.6f, 0.9f, 40.0f}) {
        stick_endpoints(s, t, a, b);
        expect_vec(a, to_a.x, to_a.y, to_a.z, 0.0f);
    }
}

TEST(AnimatedStick, InsideTheSpanInterpolatesCentreAndKeepsItsLength) {
    AnimatedStick s = make_stick();
    Vector3 a, b;
    stick_endpoints(s, 0.4f, a, b); // half way
    const Vector3 centre = scaled(sum(a, b), 0.5f);
    expect_vec(centre, -1.5f, 1.0f, 4.5f, 1e-5f);
    const Vector3 d = difference(a, b);
    EXPECT_NEAR(d.x * d.x + d.y * d.y + d.z * d.z, 1.5f * 1.5f, 1e-5f);

    s.angles_from = s.angles_to = Vector3();
    stick_endpoints(s, 0.3f, a, b);
    expect_vec(a, -0.25f + 0.75f, 1.5f, 3.75f, 1e-6f);
    expect_vec(b, -0.25f - 0.75f, 1.5f, 3.75f, 1e-6f);

    s = make_stick();
    s.half_length = 0.0f;
    stick_endpoints(s, 0.5f, a, b);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}
