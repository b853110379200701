#include "math/matrix3.h"

#include <cmath>

Vector3 transformed(const Vector3& v, const Matrix3& m) {
    const float* e = m.m;
    return {e[0] * v.x + e[1] * v.y + e[2] * v.z, e[3] * v.x + e[4] * v.y + e[5] * v.z,
            e[6] * v.x + e[7] * v.y + e[8] * v.z};
}

Matrix3 Matrix3::zero() {
    for (float& e : m)
        e = 0.0f;
    return *this;
}

Matrix3 Matrix3::diagonal(float sx, float sy, float sz) {
    zero();
    m[0] = sx;
    m[4] = sy;
    m[8] = sz;
    return *this;
}

Matrix3 Matrix3::rotation(float a, float b, float c) {
    float sa, ca, sb, cb, sc, cc;
    sincosf(a, &sa, &ca);
    sincosf(b, &sb, &cb);
    sincosf(c, &sc, &cc);
    m[0] = cc * cb;
    m[1] = sc * cb;
    m[2] = -sb;
    m[3] = cc * sb * sa - sc * ca;
    m[4] = sc * sb * sa + cc * ca;
    m[5] = cb * sa;
    m[6] = cc * sb * ca + sc * sa;
    m[7] = sc * sb * ca - cc * sa;
    m[8] = cb * ca;
    return *this;
}
