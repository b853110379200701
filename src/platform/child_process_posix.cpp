#include "platform/child_process.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

bool platform_program_on_path(const char* name) {
    const char* path = getenv("PATH");
    if (!path)
        return false;
    std::string dirs = path;
    size_t begin = 0;
    for (;;) {
        size_t colon = dirs.find(':', begin);
        std::string dir = dirs.substr(begin, colon == std::string::npos ? colon : colon - begin);
        if (dir.empty())
            dir = ".";
        std::string candidate = dir + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos)
            return false;
        begin = colon + 1;
    }
}

std::string platform_program_wanted(const char* name) {
    return std::string("the ") + name + " program on PATH (Debian package " + name + ")";
}

bool platform_spawn_with_input(const std::vector<std::string>& args, PlatformChild* child,
                               std::string* error) {
    *child = PlatformChild{};
    // Close-on-exec: the child gets the reading end as its standard input and nothing else, so
    // our end's closing is what ends its input.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = strerror(errno);
        return false;
    }
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    // Our stop handlers do not survive exec, but ignored signals would: the child starts with
    // the defaults.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    int status = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (status != 0) {
        close(fds[1]);
        *error = strerror(status);
        return false;
    }
    child->process = pid;
    child->input = fds[1];
    return true;
}

bool platform_child_write(PlatformChild* child, const void* data, size_t bytes,
                          const volatile std::sig_atomic_t* stop) {
    const char* p = (const char*)data;
    while (bytes > 0) {
        // Checked before every write: a signal that lands while a write is under way makes that
        // write return the part it took, and the next write could then block for good.
        if (child->input < 0 || (stop && *stop))
            return false;
        ssize_t n = write((int)child->input, p, bytes);
        // A signal interrupts a write the child is slow to take: try again, unless it asked us
        // to stop (seen above).
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= (size_t)n;
    }
    return true;
}

void platform_child_close_input(PlatformChild* child) {
    if (child->input >= 0)
        close((int)child->input);
    child->input = -1;
}

// How long a child asked to end may take before it is killed, and how often we look.
static const std::chrono::milliseconds platform_child_grace(2000);
static const std::chrono::milliseconds platform_child_poll(10);

// Reaps the child when it has ended: true then, with its status (0 when it cannot be had).
static bool platform_child_reaped(PlatformChild* child, int* status) {
    pid_t got = waitpid((pid_t)child->process, status, WNOHANG);
    if (got == 0 || (got < 0 && errno == EINTR))
        return false;
    if (got < 0)
        *status = -1; // not ours to wait for: nothing more can be learned
    child->process = -1;
    return true;
}

void platform_child_stop(PlatformChild* child) {
    platform_child_close_input(child);
    if (child->process <= 0)
        return;
    kill((pid_t)child->process, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + platform_child_grace;
    int status = 0;
    while (!platform_child_reaped(child, &status)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill((pid_t)child->process, SIGKILL);
            while (waitpid((pid_t)child->process, &status, 0) < 0 && errno == EINTR) {
            }
            child->process = -1;
            return;
        }
        std::this_thread::sleep_for(platform_child_poll);
    }
}

bool platform_child_wait(PlatformChild* child, const volatile std::sig_atomic_t* stop) {
    platform_child_close_input(child);
    if (child->process <= 0)
        return false;
    // Polled, not blocked in: a stop request landing just before a blocking wait would be
    // missed, and one during it would only restart the wait.
    int status = 0;
    while (!platform_child_reaped(child, &status)) {
        if (stop && *stop) {
            platform_child_stop(child);
            return false;
        }
        std::this_thread::sleep_for(platform_child_poll);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
