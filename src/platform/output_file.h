// Writing a file that is never seen half-done: each writer creates a file of its own under a
// name no other run can take, and the finished file replaces the final name in one step.
#pragma once

#include <cstdio>
#include <string>

// Creates prefix + <unique part> + suffix exclusively (it did not exist; nobody else has it
// open) and opens it for binary writing. The name made is stored in *made.
FILE* platform_create_unique(const std::string& prefix, const std::string& suffix,
                             std::string* made, std::string* error);
// Puts `from` in place of `to` atomically: readers of `to` see the old file or the new one.
bool platform_rename_over(const std::string& from, const std::string& to, std::string* error);
// Removes a file; quietly does nothing when it is not there.
void platform_remove(const std::string& path);
// Creates one folder; true when it exists afterwards (made now or before).
bool platform_make_dir(const std::string& path, std::string* error);
// A key for the file path names, whether it exists yet or not: two names of one file (through
// "." or "..", a link, another spelling) give the same key. "" when it cannot be told (the
// folder does not exist); compare the names themselves then.
std::string platform_file_identity(const std::string& path);
