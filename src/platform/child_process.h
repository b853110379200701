// A child program fed through its standard input (ffmpeg for the capture's video): started,
// written to, its input closed, stopped early if need be, and always waited for.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PlatformChild {
    int64_t process = -1; // the child's id (a process handle where ids are not enough)
    intptr_t input = -1;  // the writing end of its standard input; -1 once closed
};

// True when the program is an executable somewhere on PATH (on Windows also beside ours).
bool platform_program_on_path(const char* name);
// Where a user must put the program for it to be found, said in a few words.
std::string platform_program_wanted(const char* name);
// Starts args[0] (looked up on PATH) with args, its standard input a pipe from us.
bool platform_spawn_with_input(const std::vector<std::string>& args, PlatformChild* child,
                               std::string* error);
// Writes all of the bytes. False when the child no longer reads (it has ended) or a stop was
// requested through `stop` (checked before each write, and whenever a write is interrupted).
bool platform_child_write(PlatformChild* child, const void* data, size_t bytes,
                          const volatile std::sig_atomic_t* stop);
void platform_child_close_input(PlatformChild* child);
// Closes its input, waits for it to end and reaps it. True when it exited with status 0. When a
// stop is requested through `stop` meanwhile, the child is stopped as platform_child_stop does
// and false is returned.
bool platform_child_wait(PlatformChild* child, const volatile std::sig_atomic_t* stop);
// Ends the child now: asks it to end, kills it when it has not within a short grace, and reaps
// it. Nothing is left running afterwards.
void platform_child_stop(PlatformChild* child);
