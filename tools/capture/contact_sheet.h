// The contact sheet: a grid of labelled thumbnails of a run, one PNG for a whole demo.
#pragma once

#include <vector>

#include "output_files.h"

constexpr int contact_thumb_width = 256;
constexpr int contact_max_columns = 8;
constexpr int contact_gap = 4;           // pixels around and between cells
constexpr int contact_label_height = 18; // strip under each thumbnail for its time

struct ContactSheetLayout {
    int columns, rows;
    int thumb_width, thumb_height;
    int width, height;
};

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
