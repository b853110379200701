#include "support/run_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

std::string find_on_path(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : "";
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t begin = 0;
    for (;;) {
        size_t colon = dirs.find(':', begin);
        std::string dir = dirs.substr(begin, colon == std::string::npos ? colon : colon - begin);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string::npos)
            return "";
        begin = colon + 1;
    }
}

ProgramOutput run_program(const std::vector<std::string>& argv, const std::vector<EnvChange>& env,
                          double timeout_s) {
    ProgramOutput result;
    std::vector<std::string> args = argv;
    std::string program = find_on_path(args[0]);
    if (program.empty()) {
        result.err = args[0] + ": not found";
        return result;
    }
    args[0] = program;
    ChildProcess child = child_start(args, env);
    int status = 0;
    result.ended = child_wait(child, timeout_s, &status);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.status = 128 + WTERMSIG(status);
    result.out = child_stdout(child);
    result.err = child_stderr(child);
    child_cleanup(child);
    return result;
}
