#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

std::string make_temp_file(const char* stem) {
    std::string pattern = std::string("/tmp/") + stem + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd >= 0)
        close(fd);
    return name.data();
}

ChildProcess child_start(const std::vector<std::string>& argv, const std::vector<EnvChange>& env) {
    ChildProcess child;
    child.stdout_path = make_temp_file("oske-out");
    child.stderr_path = make_temp_file("oske-err");
    // Everything the child needs is prepared before fork: only async-signal-safe calls after.
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool changed = false;
        for (const EnvChange& change : env)
            changed = changed || change.name == name;
        if (!changed)
            environment.push_back(entry);
    }
    // The last change of a name wins.
    for (size_t i = 0; i < env.size(); ++i) {
        bool overridden = false;
        for (size_t j = i + 1; j < env.size(); ++j)
            overridden = overridden || env[j].name == env[i].name;
        if (!overridden && !env[i].unset)
            environment.push_back(env[i].name + "=" + env[i].value);
    }
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        int out = open(child.stdout_path.c_str(), O_WRONLY | O_TRUNC);
        int err = open(child.stderr_path.c_str(), O_WRONLY | O_TRUNC);
        int in = open("/dev/null", O_RDONLY);
        dup2(out, 1);
        dup2(err, 2);
        dup2(in, 0);
        // The test runner may block signals; the child must start with default handling.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    child.pid = pid;
    return child;
}

bool child_wait(ChildProcess& child, double timeout_s, int* status) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_s);
    for (;;) {
        pid_t r = waitpid(child.pid, status, WNOHANG);
        if (r == child.pid) {
            child.pid = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child.pid, SIGKILL);
    waitpid(child.pid, status, 0);
    child.pid = -1;
    return false;
}

std::string read_text_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string child_stdout(const ChildProcess& child) {
    return read_text_file(child.stdout_path);
}

std::string child_stderr(const ChildProcess& child) {
    return read_text_file(child.stderr_path);
}

void child_cleanup(ChildProcess& child) {
    if (child.pid > 0) {
        int status;
        child_wait(child, 0.0, &status);
    }
    unlink(child.stdout_path.c_str());
    unlink(child.stderr_path.c_str());
}

bool wait_for_text(const std::string& path, const std::string& needle, double timeout_s) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_s);
    do {
        if (read_text_file(path).find(needle) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

bool wait_for_text(const ChildProcess& child, const std::string& path, const std::string& needle,
                   double timeout_s) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_s);
    do {
        if (read_text_file(path).find(needle) != std::string::npos)
            return true;
        siginfo_t info{};
        // WNOWAIT: look without reaping, so child_wait still collects the status.
        if (waitid(P_PID, (id_t)child.pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == child.pid)
            return read_text_file(path).find(needle) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}
