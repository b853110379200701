// The contact sheet: a grid of labelled thumbnails of a run, one PNG for a whole demo.
#pragma once

#include <string>
#include <vector>

#include "output_files.h"

constexpr int contact_thumb_width = 256;
constexpr int contact_max_columns = 8;
constexpr int contact_gap = 4;           // pixels around and between cells
constexpr int contact_label_height = 18; // strip under each thumbnail for its time
// The largest sheet made, in pixels (384 MiB of RGB). The PNG encoder counts the bytes of an
// image, and of its compressed form, in an int; this keeps both far inside its range, and the
// memory a sheet takes within reason.
constexpr long long contact_max_pixels = 1LL << 27;

struct ContactSheetLayout {
    int columns, rows;
    int thumb_width, thumb_height;
    int width, height;
};

// True when a sheet of count thumbnails of frames this size stays within contact_max_pixels;
// otherwise false with the reason, naming the sheet's size, in error.
bool contact_sheet_fits(int count, int frame_width, int frame_height, std::string* error);
// Only for a sheet that fits.
ContactSheetLayout contact_sheet_layout(int count, int frame_width, int frame_height);

// Box-filters a frame down (or nearest-samples it up) to the given size.
RgbImage scale_image(const RgbImage& frame, int width, int height);

struct ContactSheet {
    ContactSheetLayout layout{};
    RgbImage image;
    int placed = 0;
};

ContactSheet contact_sheet_begin(int count, int frame_width, int frame_height);
// Places the next thumbnail, labelled with its frame time.
void contact_sheet_add(ContactSheet* sheet, const RgbImage& frame, int frame_ms);
