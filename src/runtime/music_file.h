// The soundtrack file as the demo and the capture accept it: a regular file of bounded size,
// opened without blocking and judged before its contents are read, and, when it is an XM
// module, complete. Both programs refuse exactly the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Far beyond any soundtrack of ours (a few MiB); the song is held in memory whole.
constexpr uint64_t music_file_max_bytes = 64ull << 20;

enum class MusicFile {
    ok,
    missing,     // cannot be opened (absent, or not ours to read)
    not_regular, // a directory, a FIFO, a device...
    too_large,   // larger than music_file_max_bytes
    truncated,   // an XM module whose headers declare more than the file holds
    unreadable,  // reading failed
};

// Opens and checks path, then reads it whole into *bytes (only when it is accepted). *why gets
// the system's reason when the file cannot be opened or read.
MusicFile music_file_read(const char* path, std::vector<char>* bytes, std::string* why);
// Why a file was refused, in words for the one-line messages ("not a regular file", ...).
std::string music_file_refusal(MusicFile result, const std::string& why);
