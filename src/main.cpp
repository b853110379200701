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
    // Test-only: ends the timeline after the first frame past this time (ms).
    if (const char* end = getenv("OSKE_TEST_LAST_FRAME_MS"))
        options.last_frame_ms = atoi(end);
    return demo_run(options);
}
