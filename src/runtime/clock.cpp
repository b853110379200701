#include "runtime/clock.h"

#include <SDL.h>

DemoClock demo_clock;

static float clock_now(const DemoClock& clock) {
    uint32_t t = clock.ticks ? clock.ticks() : SDL_GetTicks();
    return (float)t / 1000.0f;
}

void DemoClock::start() {
    start_seconds = clock_now(*this);
    seconds = 0.0f;
    update();
}

void DemoClock::update() {
    float now = clock_now(*this);
    if (start_seconds == 0.0f)
        start_seconds = now;
    seconds = now - start_seconds;
    if (seconds < 0.0f) {
        start_seconds = 0.0f;
        seconds = 0.0f;
    }
}
