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
#include <string>
#include <vector>

#include <stb_image.h>

#include "support/xwd_image.h"

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

static int drawn(const char* path, long min_colours) {
    XwdImage image;
    std::string error;
    if (!xwd_read(path, &image, &error)) {
        fprintf(stderr, "oske_frame_diff: %s\n", error.c_str());
        return 2;
    }
    size_t colours = xwd_distinct_colours(image);
    printf("%s: %u x %u, %zu distinct colours\n", path, image.width, image.height, colours);
    return (long)colours < min_colours ? 1 : 0;
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
