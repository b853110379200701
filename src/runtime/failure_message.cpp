#include "runtime/failure_message.h"

#include <cstdarg>

static char failure_text[512] = "";

void failure_say(FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(failure_text, sizeof failure_text, format, args);
    va_end(args);
    fprintf(stream, "%s\n", failure_text);
    fflush(stream);
}

const char* failure_last() {
    return failure_text;
}
