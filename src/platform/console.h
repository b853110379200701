// What the user sees outside the window: whether standard error is a terminal (for progress
// bars), answers to the command line reaching the console they were asked from, and a start-up
// failure shown where a user who started us without a console can see it.
#pragma once

bool platform_stderr_is_terminal();
// The message has already gone to standard output or error; this shows it once more where
// that output is not seen (a message box where programs start without a console).
void platform_show_error(const char* message);
// Before printing an answer to the command line: a windowed program started from a console
// window has no standard output of its own, so it writes to that console instead. Output
// already sent to a file or a pipe stays there.
void platform_use_parent_console();
