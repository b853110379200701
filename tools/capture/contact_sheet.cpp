#include "contact_sheet.h"

#include <algorithm>
#include <cstdio>
#include <string>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_easy_font.h>
#pragma GCC diagnostic pop

// The sheet's measures in 64 bits, so that one far too big is still measured right.
struct ContactSheetExtent {
    long long columns, rows, thumb_height, width, height;
};

static ContactSheetExtent contact_sheet_extent(int count, int frame_width, int frame_height) {
    ContactSheetExtent e;
    e.columns = std::clamp(count, 1, contact_max_columns);
    e.rows = std::max(1LL, (count + e.columns - 1) / e.columns);
    e.thumb_height = std::max(
        1LL, ((long long)frame_height * contact_thumb_width + frame_width / 2) / frame_width);
    e.width = e.columns * (contact_thumb_width + contact_gap) + contact_gap;
    e.height = e.rows * (e.thumb_height + contact_label_height + contact_gap) + contact_gap;
    return e;
}

bool contact_sheet_fits(int count, int frame_width, int frame_height, std::string* error) {
    ContactSheetExtent e = contact_sheet_extent(count, frame_width, frame_height);
    if (e.width * e.height <= contact_max_pixels)
        return true;
    *error = "--contact-sheet: " + std::to_string(count) + " thumbnails of " +
             std::to_string(contact_thumb_width) + "x" + std::to_string(e.thumb_height) +
             " make a " + std::to_string(e.width) + "x" + std::to_string(e.height) +
             " sheet, over its limit of " + std::to_string(contact_max_pixels) +
             " pixels: give a larger --every, a shorter run or a wider --size";
    return false;
}

ContactSheetLayout contact_sheet_layout(int count, int frame_width, int frame_height) {
    ContactSheetExtent e = contact_sheet_extent(count, frame_width, frame_height);
    ContactSheetLayout l;
    l.columns = (int)e.columns;
    l.rows = (int)e.rows;
    l.thumb_width = contact_thumb_width;
    l.thumb_height = (int)e.thumb_height;
    l.width = (int)e.width;
    l.height = (int)e.height;
    return l;
}

RgbImage scale_image(const RgbImage& frame, int width, int height) {
    RgbImage out;
    out.width = width;
    out.height = height;
    out.pixels.resize((size_t)width * height * 3);
    for (int y = 0; y < height; ++y) {
        int y0 = (int)((long long)y * frame.height / height);
        int y1 = std::max(y0 + 1, (int)((long long)(y + 1) * frame.height / height));
        for (int x = 0; x < width; ++x) {
            int x0 = (int)((long long)x * frame.width / width);
            int x1 = std::max(x0 + 1, (int)((long long)(x + 1) * frame.width / width));
            unsigned sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += frame.pixels[((size_t)sy * frame.width + sx) * 3 + c];
            unsigned n = (unsigned)((y1 - y0) * (x1 - x0));
            for (int c = 0; c < 3; ++c)
                out.pixels[((size_t)y * width + x) * 3 + c] = (uint8_t)((sum[c] + n / 2) / n);
        }
    }
    return out;
}

static void fill_rect(RgbImage* image, int x0, int y0, int x1, int y1, const uint8_t rgb[3]) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, image->width);
    y1 = std::min(y1, image->height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            std::copy(rgb, rgb + 3, &image->pixels[((size_t)y * image->width + x) * 3]);
}

// stb_easy_font emits axis-aligned quads; filling them at twice their size gives a legible
// 14-pixel label without a font file.
static void draw_label(RgbImage* image, int x, int y, const char* text) {
    static char quads[64 * 270];
    unsigned char colour[4] = {255, 255, 255, 255};
    const int scale = 2;
    int count = stb_easy_font_print(0, 0, (char*)text, colour, quads, sizeof quads);
    const uint8_t white[3] = {235, 235, 235};
    for (int q = 0; q < count; ++q) {
        const float* v = (const float*)(quads + q * 64);
        // Vertices are 16 bytes: x, y, z and a colour; corners 0 and 2 are opposite.
        float ax = v[0], ay = v[1], bx = v[8], by = v[9];
        fill_rect(image, x + (int)(std::min(ax, bx) * scale), y + (int)(std::min(ay, by) * scale),
                  x + (int)(std::max(ax, bx) * scale), y + (int)(std::max(ay, by) * scale), white);
    }
}

ContactSheet contact_sheet_begin(int count, int frame_width, int frame_height) {
    ContactSheet sheet;
    sheet.layout = contact_sheet_layout(count, frame_width, frame_height);
    sheet.image.width = sheet.layout.width;
    sheet.image.height = sheet.layout.height;
    sheet.image.pixels.assign((size_t)sheet.image.width * sheet.image.height * 3, 40);
    return sheet;
}

void contact_sheet_add(ContactSheet* sheet, const RgbImage& frame, int frame_ms) {
    const ContactSheetLayout& l = sheet->layout;
    if (sheet->placed >= l.columns * l.rows)
        return;
    int column = sheet->placed % l.columns, row = sheet->placed / l.columns;
    int x = contact_gap + column * (l.thumb_width + contact_gap);
    int y = contact_gap + row * (l.thumb_height + contact_label_height + contact_gap);
    RgbImage thumb = scale_image(frame, l.thumb_width, l.thumb_height);
    for (int ty = 0; ty < l.thumb_height; ++ty)
        std::copy_n(&thumb.pixels[(size_t)ty * l.thumb_width * 3], l.thumb_width * 3,
                    &sheet->image.pixels[((size_t)(y + ty) * l.width + x) * 3]);
    char label[32];
    snprintf(label, sizeof label, "%d.%03d s", frame_ms / 1000, frame_ms % 1000);
    draw_label(&sheet->image, x + 2, y + l.thumb_height + 3, label);
    ++sheet->placed;
}
