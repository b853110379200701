// Output files that never look complete while they are not: everything is written under a
// ".part" name and renamed into place once it is whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Creates the directory (and its parents) and checks that files can be made in it.
bool prepare_output_dir(const std::string& dir, std::string* error);
// Checks that a file can be created at path (its directory exists and is writable).
bool check_output_file(const std::string& path, std::string* error);

std::string partial_name(const std::string& path);
// Renames the partial file onto path. On failure removes the partial file.
bool finish_partial(const std::string& path, std::string* error);
// Removes every partial file still open (after a failure or an interruption).
void remove_partials();
// Remembers a partial file so remove_partials() can clean it up.
void track_partial(const std::string& partial);

// An RGB image, rows top to bottom.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width * height * 3
};

// Writes a PNG through a partial file. On failure says why in error.
bool write_png(const std::string& path, const RgbImage& image, std::string* error);

// frame_NNNNNN.png in dir for a frame time in ms.
std::string frame_file_name(const std::string& dir, int frame_ms);
