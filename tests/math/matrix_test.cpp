#include <gtest/gtest.h>

#include <cmath>

#include "math/matrix3.h"
#include "math/vector3.h"

namespace {

// Reference built independently, in double: the transpose of Rz(c)·Ry(b)·Rx(a).
void reference_rotation(double a, double b, double c, double out[9]) {
    double rx[9] = {1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)};
    double ry[9] = {std::cos(b), 0, std::sin(b), 0, 1, 0, -std::sin(b), 0, std::cos(b)};
    double rz[9] = {std::cos(c), -std::sin(c), 0, std::sin(c), std::cos(c), 0, 0, 0, 1};
    double zy[9], zyx[9];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            zy[3 * i + j] = 0;
            for (int k = 0; k < 3; ++k)
                zy[3 * i + j] += rz[3 * i + k] * ry[3 * k + j];
        }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            zyx[3 * i + j] = 0;
            for (int k = 0; k < 3; ++k)
                zyx[3 * i + j] += zy[3 * i + k] * rx[3 * k + j];
        }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out[3 * i + j] = zyx[3 * j + i];
}

} // namespace

TEST(Vector3, DefaultIsZeroAndOperationsAreComponentwise) {
    Vector3 v;
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    Vector3 a(1.5f, -2.0f, 3.25f), b(0.5f, 4.0f, -1.0f);
    Vector3 s = sum(a, b), d = difference(a, b), k = scaled(a, 2.0f);
    EXPECT_EQ(s.x, 2.0f);
    EXPECT_EQ(s.y, 2.0f);
    EXPECT_EQ(s.z, 2.25f);
    EXPECT_EQ(d.x, 1.0f);
    EXPECT_EQ(d.y, -6.0f);
    EXPECT_EQ(d.z, 4.25f);
    EXPECT_EQ(k.z, 6.5f);
    Vector3 zero = scaled(a, 0.0f), same = scaled(a, 1.0f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(same.y, a.y);
    // The in-place forms may alias their operand and return the new value.
    Vector3 r = add_in_place(a, a);
    EXPECT_EQ(a.x, 3.0f);
    EXPECT_EQ(a.y, -4.0f);
    EXPECT_EQ(r.z, 6.5f);
    Vector3 q = scale_in_place(a, 0.5f);
    EXPECT_EQ(a.x, 1.5f);
    EXPECT_EQ(q.y, -2.0f);
}

TEST(Matrix3, ZeroAndDiagonalOverwriteAndReturnACopy) {
    Matrix3 m;
    m.rotation(0.3f, 0.2f, 0.1f);
    Matrix3 z = m.zero();
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(m.m[i], 0.0f);
        EXPECT_EQ(z.m[i], 0.0f);
    }
    Vector3 v(1.0f, -2.0f, 3.0f);
    Vector3 t = transformed(v, m);
    EXPECT_EQ(t.x, 0.0f);
    EXPECT_EQ(t.y, 0.0f);
    EXPECT_EQ(t.z, 0.0f);

    Matrix3 d = m.diagonal(2.0f, 3.0f, 4.0f);
    const float expected[9] = {2, 0, 0, 0, 3, 0, 0, 0, 4};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(m.m[i], expected[i]);
        EXPECT_EQ(d.m[i], expected[i]);
    }
    Vector3 identity = transformed(v, make_diagonal(1, 1, 1));
    EXPECT_EQ(identity.x, v.x);
    EXPECT_EQ(identity.y, v.y);
    EXPECT_EQ(identity.z, v.z);
    Vector3 uniform = transformed(Vector3(0.1f, 0.2f, 0.3f), make_diagonal(0.7f, 0.7f, 0.7f));
    Vector3 s = scaled(Vector3(0.1f, 0.2f, 0.3f), 0.7f);
    EXPECT_EQ(uniform.x, s.x);
    EXPECT_EQ(uniform.y, s.y);
    EXPECT_EQ(uniform.z, s.z);
}

TEST(Matrix3, TransformedDotsEachRowWithTheVector) {
    Matrix3 m;
    for (int i = 0; i < 9; ++i)
        m.m[i] = (float)(i + 1);
    Vector3 t = transformed(Vector3(1.0f, 10.0f, 100.0f), m);
    EXPECT_EQ(t.x, 321.0f);
    EXPECT_EQ(t.y, 654.0f);
    EXPECT_EQ(t.z, 987.0f);
}

TEST(Matrix3, RotationIdentityAndSingleAxisCases) {
    Matrix3 id = make_rotation(0, 0, 0);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(id.m[i], (i % 4 == 0) ? 1.0f : 0.0f) << i;
    for (float angle : {0.3f, 1.0f, 2.5f, -1.7f}) {
        Vector3 ex = transformed(Vector3(1, 0, 0), make_rotation(0, 0, angle));
        EXPECT_EQ(ex.x, cosf(angle));
        EXPECT_EQ(ex.y, -sinf(angle));
        EXPECT_EQ(ex.z, 0.0f);
        Vector3 ey = transformed(Vector3(0, 1, 0), make_rotation(angle, 0, 0));
        EXPECT_EQ(ey.x, 0.0f);
        EXPECT_EQ(ey.y, cosf(angle));
        EXPECT_EQ(ey.z, -sinf(angle));
    }
}

TEST(Matrix3, RotationIsTheTransposedZYXProduct) {
    const float angles[][3] = {{0.3f, 0.2f, 0.1f}, {1.1f, -0.7f, 2.9f}, {-2.0f, 1.4f, -0.4f}};
    for (const auto& abc : angles) {
        double ref[9];
        reference_rotation(abc[0], abc[1], abc[2], ref);
        Matrix3 m;
        Matrix3 copy = m.rotation(abc[0], abc[1], abc[2]);
        for (int i = 0; i < 9; ++i) {
            EXPECT_NEAR(m.m[i], ref[i], 2e-7) << "entry " << i;
            EXPECT_EQ(copy.m[i], m.m[i]);
        }
    }
}
