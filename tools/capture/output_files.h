// Output files that never look complete while they are not: everything is written under a
// ".part" name of this run's own, created exclusively, and renamed into place once it is whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Creates the directory (and its parents) and checks that files can be made in it.
bool prepare_output_dir(const std::string& dir, std::string* error);
// Checks that a file can be created at path (its directory exists and is writable).
bool check_output_file(const std::string& path, std::string* error);

// Creates a partial file for path (path.<run>-<n>.part, no other run can have it) and tracks
// it for removal. Returns it open for writing, its name in *partial; null with error set.
FILE* create_partial(const std::string& path, std::string* partial, std::string* error);
// Renames the partial file onto path. On failure removes the partial file.
bool finish_partial(const std::string& partial, const std::string& path, std::string* error);
// Removes one tracked partial file now.
void drop_partial(const std::string& partial);
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
