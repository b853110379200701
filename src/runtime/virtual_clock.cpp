#include "runtime/virtual_clock.h"

#include <initializer_list>

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
static int virtual_clock_frame_ms_at(uint32_t tick) {
    DemoClock probe;
    probe.ticks = virtual_clock_probe;
    virtual_clock_probe_now = virtual_clock_start_tick;
    probe.start();
    virtual_clock_probe_now = tick;
    probe.update();
    return seconds_to_frame_ms(probe.seconds);
}

uint32_t virtual_clock_tick_for(int frame_ms) {
    if (frame_ms < 0)
        return 0;
    uint32_t nominal = virtual_clock_start_tick + (uint32_t)frame_ms;
    // Float seconds are off from the tick by far less than a millisecond here, so the tick
    // that gives frame_ms lies next to the nominal one.
    for (int offset : {0, 1, -1, 2, -2}) {
        uint32_t tick = nominal + (uint32_t)offset;
        if (tick >= virtual_clock_start_tick && virtual_clock_frame_ms_at(tick) == frame_ms)
            return tick;
    }
    return 0;
}

bool virtual_clock_set_frame(int frame_ms) {
    uint32_t tick = virtual_clock_tick_for(frame_ms);
    if (tick == 0)
        return false;
    virtual_clock_now = tick;
    return true;
}
