// Reading a file we were told to use without trusting it: opened without blocking (a FIFO or a
// device cannot wedge us), judged by what the open file is, and read only where asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class PlatformFileKind { missing, unreadable, regular, directory, other };

struct PlatformInputFile {
    intptr_t handle = -1; // the open file; -1 when none
    PlatformFileKind kind = PlatformFileKind::missing;
    uint64_t size = 0; // bytes, for a regular file
};

// Opens path for reading. The kind and size are those of the file actually opened. Only a
// regular file is left open; for any other kind the handle is -1 and `error` says why.
bool platform_open_input(const char* path, PlatformInputFile* file, std::string* error);
// Reads up to n bytes at offset; returns the count read (short only at the end of the file),
// or -1 on an I/O error.
long long platform_read_at(const PlatformInputFile& file, uint64_t offset, void* buffer, size_t n);
void platform_close_input(PlatformInputFile* file);

// What is at path now, without opening it (a name we may write to or create a folder at).
PlatformFileKind platform_file_kind(const char* path);
