// A virtual tick source for the demo clock, so offline runs (capture, benchmarks, tests) draw
// chosen frame times exactly instead of whatever SDL's ticks happen to give.
#pragma once

#include <cstdint>

// The tick the clock is started at. Not 0, since a start of 0 s means "not yet taken", and
// small, so float seconds keep sub-millisecond resolution over the whole timeline.
constexpr uint32_t virtual_clock_start_tick = 1000;

// Points demo_clock at the virtual ticks, positioned at the start tick. Call before start-up.
void virtual_clock_install();
// Restores SDL's ticks.
void virtual_clock_uninstall();

// The tick at which a clock started at virtual_clock_start_tick yields exactly frame_ms after
// its float arithmetic. Returns 0 when no tick does (not the case for 0 ... 200000 ms).
uint32_t virtual_clock_tick_for(int frame_ms);

// Makes the next clock update give frame_ms. False when no tick gives it.
bool virtual_clock_set_frame(int frame_ms);

extern uint32_t virtual_clock_now; // the tick the clock reads
