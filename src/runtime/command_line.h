// The demo's command line: it takes no arguments, but answers --help and --version the GNU way
// and refuses anything else before a window or the sound device is touched.
#pragma once

#include <string>

enum class CommandLineAction { run, help, version, usage_error };

struct CommandLine {
    CommandLineAction action = CommandLineAction::run;
    std::string error; // usage_error: one line naming the argument, without the program name
};

CommandLine parse_command_line(int argc, char** argv);

// Version number of the release, shared by every program of the package.
extern const char* const oske_version;

// The --version text of `program`: name, package and version, copyright and licence lines.
std::string version_text(const char* program);

// The demo's --help text: what it is, its keys, environment, soundtrack and exit status.
std::string demo_help_text();

// Handles what the command line asks that is not a run: prints the help or the version on
// standard output (status 0) or the usage error on standard error (status 2). Returns -1 when
// the demo should run.
int command_line_answer(const CommandLine& command_line, const char* program);
