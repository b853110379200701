// Runs a program to its end and hands back its exit status and output, for tests that check
// what a built binary or an outside tool (cpack, the package validators) says.
#pragma once

#include <string>
#include <vector>

#include "support/child_process.h"

struct ProgramOutput {
    bool ended = false; // false: killed after the timeout
    int status = -1;    // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// argv[0] is a path, or a name looked up on PATH.
ProgramOutput run_program(const std::vector<std::string>& argv,
                          const std::vector<EnvChange>& env = {}, double timeout_s = 60.0);

// The full path of an executable found on PATH, or "" when there is none.
std::string find_on_path(const std::string& name);
