// A size walk over an XM module file: libopenmpt plays a truncated file as far as it goes,
// silently, so start-up checks that every pattern and sample the headers promise is present.
// Only the headers are read: the walk steps from one to the next by the sizes they declare.
#pragma once

#include <cstddef>

#include "platform/input_file.h"

enum class XmCheck {
    complete,   // every declared pattern, instrument and sample byte is in the file
    truncated,  // the file ends before what its headers declare
    not_xm,     // no XM signature: left to the module loader to judge
    unreadable, // reading the file failed
};

XmCheck xm_check_bytes(const unsigned char* data, size_t size);
// Walks an open regular file, reading its headers only.
XmCheck xm_check_open_file(const PlatformInputFile& file);
// Opens path without blocking; anything but a regular file is reported as not_xm (the loader
// says why).
XmCheck xm_check_file(const char* path);
