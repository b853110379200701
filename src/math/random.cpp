#include "math/random.h"

#include <cmath>

uint32_t random_seed = 93186752u;
uint64_t random_draw_count = 0;

void set_random_seed(uint32_t seed) {
    random_seed = seed;
}

float random_unit() {
    random_seed = random_step(random_seed);
    ++random_draw_count;
    return (float)((double)random_seed / 4294967291.0);
}

Vector3 random_direction(float radius) {
    float theta = (float)(random_unit() * 2.0 * pi_value);
    float phi = (float)(random_unit() * pi_value);
    return {radius * cosf(theta) * sinf(phi), radius * sinf(theta) * sinf(phi), radius * cosf(phi)};
}

Vector3 direction_from_angles(float radius, float polar, float azimuth) {
    return {radius * cosf(azimuth) * sinf(polar), radius * sinf(azimuth) * sinf(polar),
            radius * cosf(polar)};
}

Vector3 circle_point(float radius, float angle, Vector3& out) {
    out = Vector3(radius * cosf(angle), radius * sinf(angle), 0.0f);
    return out;
}

Vector3 circle_point(float radius, float angle) {
    Vector3 out;
    return circle_point(radius, angle, out);
}

Vector3 lerp(const Vector3& a, const Vector3& b, float t) {
    return sum(scaled(a, 1.0f - t), scaled(b, t));
}
