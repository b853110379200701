#include "runtime/timeline.h"

#include <climits>
#include <cmath>

#include "math/random.h"

const SceneWindow scene_windows[scene_count] = {
    {0, 23500},       {20000, 40000},   {39500, 59800},   {59000, 79000},   {79000, 102000},
    {101000, 124000}, {124000, 141000}, {140000, 162000}, {159000, 180000}, {178800, 200000},
};

bool window_active(int ms, const SceneWindow& window) {
    return window.start <= ms && ms <= window.end;
}

float window_progress(int ms, const SceneWindow& window) {
    return ramp_int(ms, window.start, window.end);
}

float ramp_int(int t, int start, int end) {
    if (t <= start)
        return 0.0f;
    if (t >= end)
        return 1.0f;
    return (float)(t - start) / (float)(end - start);
}

float ramp(float t, float start, float end) {
    if (t <= start)
        return 0.0f;
    if (t >= end)
        return 1.0f;
    return (t - start) / (end - start);
}

float pulse_envelope(float t, float start, float end, float gain) {
    if (t <= start || t >= end)
        return 0.0f;
    float x = (t - start) / (end - start);
    float s = sinf((float)(x * pi_value)) * gain;
    if (s < 0.0f)
        return 0.0f;
    if (s > 1.0f)
        return 1.0f;
    return s;
}

int seconds_to_frame_ms(float seconds) {
    float ms = seconds * 1000.0f;
    // A clock that ran for weeks (a suspended machine) must not overflow the conversion.
    if (ms >= 2147483647.0f)
        return INT_MAX;
    if (ms <= -2147483648.0f)
        return INT_MIN;
    return (int)ms;
}
