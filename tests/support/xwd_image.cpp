#include "support/xwd_image.h"

#include <fstream>
#include <iterator>
#include <unordered_set>

static uint32_t xwd_big_endian(const unsigned char* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

bool xwd_read(const std::string& path, XwdImage* image, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    // The header is 25 big-endian 32-bit fields; then the window name, the colour map and the
    // pixels.
    if (data.size() < 100) {
        *error = path + " is no xwd file";
        return false;
    }
    uint32_t header_size = xwd_big_endian(&data[0]);
    uint32_t width = xwd_big_endian(&data[16]), height = xwd_big_endian(&data[20]);
    uint32_t byte_order = xwd_big_endian(&data[28]);
    uint32_t bits_per_pixel = xwd_big_endian(&data[44]);
    uint32_t bytes_per_line = xwd_big_endian(&data[48]);
    uint32_t colours = xwd_big_endian(&data[76]);
    size_t pixels = (size_t)header_size + (size_t)colours * 12;
    if (bits_per_pixel != 32 || bytes_per_line < (size_t)width * 4 ||
        pixels + (size_t)bytes_per_line * height > data.size()) {
        *error = path + ": unexpected xwd layout";
        return false;
    }
    image->width = width;
    image->height = height;
    image->pixels.resize((size_t)width * height);
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++) {
            const unsigned char* p = &data[pixels + (size_t)y * bytes_per_line + (size_t)x * 4];
            uint32_t v = byte_order ? xwd_big_endian(p)
                                    : (uint32_t)p[3] << 24 | p[2] << 16 | p[1] << 8 | p[0];
            image->pixels[(size_t)y * width + x] = v & 0xffffff;
        }
    return true;
}

size_t xwd_distinct_colours(const XwdImage& image) {
    std::unordered_set<uint32_t> seen(image.pixels.begin(), image.pixels.end());
    return seen.size();
}
