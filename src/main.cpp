// oske: the demo itself. Everything it shows is fixed; the command line only answers --help
// and --version.
#include "runtime/command_line.h"
#include "runtime/demo.h"

int main(int argc, char** argv) {
    int answered = command_line_answer(parse_command_line(argc, argv), "oske");
    if (answered >= 0)
        return answered;
    DemoOptions options = demo_default_options();
    demo_apply_test_hooks(&options);
    return demo_run(options);
}
