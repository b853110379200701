// An offscreen Mesa GL context for tests, the way the demo makes its own, plus frame read-back.
#pragma once

#include <cstdint>
#include <vector>

struct Rgba {
    uint8_t r, g, b, a;
};

// Opens (once per process) a hidden window of the given size with the demo's own window code.
// Returns false when no context can be had; tests then fail with the reason.
bool test_gl_open(int width = 1280, int height = 720);
void test_gl_close();

// Reads the back buffer (bottom-left origin) after drawing, before any swap.
std::vector<Rgba> test_read_frame(int width, int height);
Rgba test_read_pixel(int x, int y);
