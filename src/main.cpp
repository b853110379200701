// oske: the demo itself. Everything it shows is fixed; the command line only answers --help
// and --version.
#include <cstdlib>

#include "runtime/command_line.h"
#include "runtime/demo.h"

int main(int argc, char** argv) {
    int answered = command_line_answer(parse_command_line(argc, argv), "oske");
    if (answered >= 0)
        return answered;
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
