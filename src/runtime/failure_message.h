// Start-up failures said in one line: printed (and flushed) where they always went, and kept so
// the program can show the last one to a user who sees no console output.
#pragma once

#include <cstdio>

// printf-style; the newline is added.
void failure_say(FILE* stream, const char* format, ...);
// The last line said, "" when none.
const char* failure_last();
