#include "runtime/virtual_clock.h"

#include <cmath>

#include "runtime/clock.h"
#include "runtime/timeline.h"

uint32_t virtual_clock_now = virtual_clock_start_tick;

static uint32_t virtual_clock_read() {
    return virtual_clock_now;
}

void virtual_clock_install() {
    virtual_clock_now = virtual_clock_start_tick;
    demo_clock.ticks = virtual_clock_read;
}

void virtual_clock_uninstall() {
    demo_clock.ticks = nullptr;
}

static uint32_t virtual_clock_probe_now = 0;

static uint32_t virtual_clock_probe() {
    return virtual_clock_probe_now;
}

// Runs the real clock code on a private clock, so the result follows its float rounding.
static int virtual_clock_frame_ms_at(uint32_t tick, float start_seconds) {
    DemoClock probe;
    probe.ticks = virtual_clock_probe;
    probe.start_seconds = start_seconds;
    virtual_clock_probe_now = tick;
    probe.update();
    return seconds_to_frame_ms(probe.seconds);
}

float virtual_clock_start_for(int frame_ms) {
    uint32_t tick = virtual_clock_start_tick + (uint32_t)frame_ms;
    float now = (float)tick / 1000.0f;
    float start = (float)((double)now - frame_ms / 1000.0);
    // Nudge by single float steps: the latest start (smallest seconds) that still gives
    // frame_ms, so the clock reads as close to the whole millisecond as floats allow.
    while (virtual_clock_frame_ms_at(tick, start) < frame_ms)
        start = std::nextafter(start, 0.0f);
    while (virtual_clock_frame_ms_at(tick, start) > frame_ms)
        start = std::nextafter(start, 2.0f * start);
    for (;;) {
        float later = std::nextafter(start, 2.0f * start);
        // Past now the clock would reset itself rather than run backwards.
        if (later > now || virtual_clock_frame_ms_at(tick, later) != frame_ms)
            return start;
        start = later;
    }
}

uint32_t virtual_clock_tick_for(int frame_ms) {
    return frame_ms < 0 ? 0 : virtual_clock_start_tick + (uint32_t)frame_ms;
}

bool virtual_clock_set_frame(int frame_ms) {
    if (frame_ms < 0)
        return false;
    demo_clock.start_seconds = virtual_clock_start_for(frame_ms);
    virtual_clock_now = virtual_clock_tick_for(frame_ms);
    return true;
}
