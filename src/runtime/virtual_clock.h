// A virtual tick source for the demo clock, so offline runs (capture, benchmarks, tests) draw
// chosen frame times exactly instead of whatever SDL's ticks happen to give.
#pragma once

#include <cstdint>

// The tick the clock is started at: not 0, since a start of 0 s means "not yet taken".
constexpr uint32_t virtual_clock_start_tick = 1000;

extern uint32_t virtual_clock_now; // the tick the clock reads

// Points demo_clock at the virtual ticks, positioned at the start tick. Call before start-up.
void virtual_clock_install();
// Restores SDL's ticks.
void virtual_clock_uninstall();

// Positions the clock so that its next update gives exactly frame_ms (0 ... 200000 and
// beyond): the tick moves to start + frame_ms, and the start point is refined by a fraction of
// a millisecond. Float seconds from whole-ms ticks skip some millisecond values (33 ms after a
// start at 1 s reads as 32.99999 and truncates to 32), so ticks alone cannot reach every frame
// time. Returns false only for a negative frame_ms.
bool virtual_clock_set_frame(int frame_ms);

// The tick virtual_clock_set_frame() moves to for frame_ms (start + frame_ms), 0 for a negative
// frame_ms. Since the start point is refined too, every frame time >= 0 is reachable.
uint32_t virtual_clock_tick_for(int frame_ms);

// The start point that virtual_clock_set_frame() uses for frame_ms, for tests.
float virtual_clock_start_for(int frame_ms);
