// oske_frame_diff: how far two frames of the demo are apart, and whether a screenshot of the
// window shows a drawn picture. Used by the Wine tests to hold the Windows build's frames
// against the Linux build's and to see that oske.exe draws.
//
//   oske_frame_diff compare A.png B.png MAX_PIXELS MAX_CHANNEL
//       prints the differing pixels and the largest channel difference; status 1 when more
//       than MAX_PIXELS pixels differ or any channel by more than MAX_CHANNEL
//   oske_frame_diff drawn SHOT.xwd MIN_COLOURS
//       status 1 when the screenshot (xwd, 24/32 bits per pixel) has fewer distinct colours
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include <stb_image.h>

static int compare(const char* a_path, const char* b_path, long max_pixels, int max_channel) {
    int aw, ah, bw, bh, n;
    unsigned char* a = stbi_load(a_path, &aw, &ah, &n, 4);
    unsigned char* b = stbi_load(b_path, &bw, &bh, &n, 4);
    if (!a || !b || aw != bw || ah != bh) {
        fprintf(stderr, "oske_frame_diff: cannot compare %s with %s\n", a_path, b_path);
        return 2;
    }
    long differing = 0;
    int largest = 0;
    for (long i = 0; i < (long)aw * ah; i++) {
        int d = 0;
        for (int c = 0; c < 4; c++)
            d = std::max(d, std::abs(a[i * 4 + c] - b[i * 4 + c]));
        differing += d > 0;
        largest = std::max(largest, d);
    }
    printf("%s: %ld of %ld pixels differ, largest channel difference %d\n", b_path, differing,
           (long)aw * ah, largest);
    stbi_image_free(a);
    stbi_image_free(b);
    return differing > max_pixels || largest > max_channel ? 1 : 0;
}

static uint32_t big_endian(const unsigned char* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

static int drawn(const char* path, long min_colours) {
    FILE* f = fopen(path, "rb");
    if (!f) {
        perror(path);
        return 2;
    }
    std::vector<unsigned char> data;
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + got);
    fclose(f);
    // The header is 25 big-endian 32-bit fields; then the window name, the colour map and the
    // pixels.
    if (data.size() < 100) {
        fprintf(stderr, "oske_frame_diff: %s is no xwd file\n", path);
        return 2;
    }
    uint32_t header_size = big_endian(&data[0]);
    uint32_t width = big_endian(&data[16]), height = big_endian(&data[20]);
    uint32_t byte_order = big_endian(&data[28]);
    uint32_t bits_per_pixel = big_endian(&data[44]), bytes_per_line = big_endian(&data[48]);
    uint32_t colours = big_endian(&data[76]);
    size_t pixels = header_size + (size_t)colours * 12;
    if (bits_per_pixel != 32 || pixels + (size_t)bytes_per_line * height > data.size()) {
        fprintf(stderr, "oske_frame_diff: %s: unexpected xwd layout\n", path);
        return 2;
    }
    std::set<uint32_t> seen;
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++) {
            const unsigned char* p = &data[pixels + (size_t)y * bytes_per_line + x * 4];
            uint32_t v =
                byte_order ? big_endian(p) : (uint32_t)p[3] << 24 | p[2] << 16 | p[1] << 8 | p[0];
            seen.insert(v & 0xffffff);
        }
    printf("%s: %u x %u, %zu distinct colours\n", path, width, height, seen.size());
    return (long)seen.size() < min_colours ? 1 : 0;
}

int main(int argc, char** argv) {
    if (argc == 6 && strcmp(argv[1], "compare") == 0)
        return compare(argv[2], argv[3], atol(argv[4]), atoi(argv[5]));
    if (argc == 4 && strcmp(argv[1], "drawn") == 0)
        return drawn(argv[2], atol(argv[3]));
    fprintf(stderr, "usage: oske_frame_diff compare A.png B.png MAX_PIXELS MAX_CHANNEL\n"
                    "       oske_frame_diff drawn SHOT.xwd MIN_COLOURS\n");
    return 2;
}
