// A size walk over an XM module file: libopenmpt plays a truncated file as far as it goes,
// silently, so start-up checks that every pattern and sample the headers promise is present.
#pragma once

#include <cstddef>

enum class XmCheck {
    complete,  // every declared pattern, instrument and sample byte is in the file
    truncated, // the file ends before what its headers declare
    not_xm,    // no XM signature: left to the module loader to judge
};

XmCheck xm_check_bytes(const unsigned char* data, size_t size);
// Reads the file; a file that cannot be read is reported as not_xm (the loader says why).
XmCheck xm_check_file(const char* path);
