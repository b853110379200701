// Runs a built program as a child process with a changed environment, its output captured in
// files, so tests can signal it and check how it ends.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct ChildProcess {
    pid_t pid = -1;
    std::string stdout_path;
    std::string stderr_path;
};

// One change to the child's environment: set name to value, or remove name when unset. When a
// name is changed twice, the later change wins.
struct EnvChange {
    std::string name;
    std::string value;
    bool unset = false;
};

ChildProcess child_start(const std::vector<std::string>& argv, const std::vector<EnvChange>& env);
// Waits up to timeout_s for the child to end. On timeout the child is killed (SIGKILL) and
// reaped, and false is returned. *status receives the waitpid status.
bool child_wait(ChildProcess& child, double timeout_s, int* status);
std::string child_stdout(const ChildProcess& child);
std::string child_stderr(const ChildProcess& child);
// Removes the output files.
void child_cleanup(ChildProcess& child);

std::string read_text_file(const std::string& path);
// Polls `path` until it contains `needle` (true) or timeout_s passes (false).
bool wait_for_text(const std::string& path, const std::string& needle, double timeout_s);
// The same, giving up early (false) once the child has ended; the child is not reaped.
bool wait_for_text(const ChildProcess& child, const std::string& path, const std::string& needle,
                   double timeout_s);
// A fresh, empty temporary file name (the file exists).
std::string make_temp_file(const char* stem);
