#include "platform/console.h"

#include <unistd.h>

bool platform_stderr_is_terminal() {
    return isatty(STDERR_FILENO);
}

// Started from a terminal or a desktop launcher, the message on standard output is where it
// belongs already.
void platform_show_error(const char*) {}

// Every program here inherits its terminal's output.
void platform_use_parent_console() {}
