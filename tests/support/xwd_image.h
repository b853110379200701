// Screenshots taken with xwd (X Window Dump) of a real window: read back so tests can tell a
// drawn picture from a bare background.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XwdImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels; // 0xRRGGBB, row by row from the top
};

// Reads a 24/32-bit TrueColor dump, as xwd writes one of an X11 window. False with *error set
// when the file is missing, short or laid out otherwise.
bool xwd_read(const std::string& path, XwdImage* image, std::string* error);

size_t xwd_distinct_colours(const XwdImage& image);
