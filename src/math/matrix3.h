// Matrix3: row-major 3x3 rotation / scale matrix applied to points on the processor.
#pragma once

#include "math/vector3.h"

struct Matrix3 {
    float m[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};

    // Each overwrites this matrix and returns a copy of the result.
    Matrix3 zero();
    Matrix3 diagonal(float sx, float sy, float sz);
    // The transpose of Rz(c)·Ry(b)·Rx(a): m·v = Rx(-a)·Ry(-b)·Rz(-c)·v.
    Matrix3 rotation(float a, float b, float c);
};

// Convenience constructors for call sites that want a fresh value.
inline Matrix3 make_rotation(float a, float b, float c) {
    Matrix3 r;
    r.rotation(a, b, c);
    return r;
}
inline Matrix3 make_diagonal(float sx, float sy, float sz) {
    Matrix3 r;
    r.diagonal(sx, sy, sz);
    return r;
}
