// The scene timeline and the time envelopes that the main loop, the scenes and the triggers share.
#pragma once

struct SceneWindow {
    int start; // ms of demo time, inclusive
    int end;   // ms of demo time, inclusive
};

constexpr int scene_count = 10;
extern const SceneWindow scene_windows[scene_count];

constexpr int demo_last_frame_ms = 199999; // the loop ends after the first frame past this

bool window_active(int ms, const SceneWindow& window);
float window_progress(int ms, const SceneWindow& window);
float ramp_int(int t, int start, int end);
float ramp(float t, float start, float end);
float pulse_envelope(float t, float start, float end, float gain);

// Demo time in whole ms from the clock's seconds: the float product, truncated toward zero.
int seconds_to_frame_ms(float seconds);
