// oske: the demo itself. Takes no arguments; everything it shows is fixed.
#include <cstdlib>

#include "runtime/demo.h"

int main(int, char**) {
    DemoOptions options = demo_default_options();
    // Test-only: lets the test suite point the binary at a prepared module.
    if (const char* path = getenv("OSKE_TEST_MUSIC_PATH"))
        options.music_path = path;
    // Test-only: appends the life-cycle milestones (start-up, running, shut-down) to a file.
    options.trace_path = getenv("OSKE_TEST_TRACE");
    // Test-only: starts the timeline and the song this many ms in, for runs over the end.
    if (const char* start = getenv("OSKE_TEST_START_MS"))
        options.start_ms = atoi(start);
    return demo_run(options);
}
