// Vector3: the one geometric value type (points, directions, angle triples, RGB colours).
#pragma once

struct Matrix3;

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

// Kept contiguous so arrays of Vector3 can go straight to glVertex3fv / vertex arrays.
static_assert(sizeof(Vector3) == 3 * sizeof(float), "Vector3 must be three packed floats");

inline Vector3 sum(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3 difference(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3 scaled(const Vector3& v, float s) {
    return {s * v.x, s * v.y, s * v.z};
}
Vector3 transformed(const Vector3& v, const Matrix3& m);

inline Vector3 add_in_place(Vector3& a, const Vector3& b) {
    a = sum(a, b);
    return a;
}
inline Vector3 scale_in_place(Vector3& v, float s) {
    v = scaled(v, s);
    return v;
}
