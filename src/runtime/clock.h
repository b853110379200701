// The demo clock: SDL's millisecond ticks turned into float seconds since start().
// The tick source is a plain function pointer so tests and the offline capture can drive time.
#pragma once

#include <cstdint>

using TickSource = uint32_t (*)();

struct DemoClock {
    float start_seconds = 0.0f; // tick count at start in seconds; 0 means not yet taken
    float seconds = 0.0f;       // demo time, the value the rest of the program reads
    TickSource ticks = nullptr; // null: SDL_GetTicks

    void start();
    void update();
};

extern DemoClock demo_clock;
