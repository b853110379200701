#include "runtime/command_line.h"

#include <cstdio>

#include "platform/console.h"
#include "platform/environment.h"

#ifndef OSKE_VERSION
#error "OSKE_VERSION is set by the build from the project's version"
#endif

const char* const oske_version = OSKE_VERSION;

static const int exit_usage = 2;

CommandLine parse_command_line(int argc, char** argv) {
    CommandLine result;
    // In order, like getopt: the first of --help or --version acts, unless an unknown
    // argument comes before it.
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            result.action = CommandLineAction::help;
            return result;
        }
        if (arg == "--version") {
            result.action = CommandLineAction::version;
            return result;
        }
        result.action = CommandLineAction::usage_error;
        if (arg.size() > 1 && arg[0] == '-')
            result.error = "unknown option '" + arg + "'";
        else
            result.error = "unexpected argument '" + arg + "'";
        result.error += " (the demo takes no arguments; see --help)";
        return result;
    }
    return result;
}

std::string version_text(const char* program) {
    return std::string(program) + " (OSKE by Quorvent) " + oske_version +
           "\n"
           "Copyright (C) 2026 Quorvent\n"
           "License MIT: <https://opensource.org/license/mit>\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

std::string demo_help_text() {
    return std::string("Usage: oske [--help | --version]\n"
                       "OSKE by Quorvent: a real-time audiovisual demo. For 200 seconds it draws "
                       "line art\n"
                       "in ten scenes with OpenGL in a 1280 x 720 window, over its own tracker "
                       "soundtrack,\n"
                       "then ends by itself.\n"
                       "\n"
                       "Keys:\n"
                       "  Escape, q   quit\n"
                       "  f           toggle fullscreen\n"
                       "Closing the window, Ctrl-C or any terminating signal end it like a quit.\n"
                       "\n"
                       "Options:\n"
                       "  -h, --help  print this text and exit\n"
                       "  --version   print the version and exit\n"
                       "\n"
                       "Environment:\n"
                       "  SDL_VIDEODRIVER  the SDL video driver to use (e.g. x11, wayland)\n"
                       "  SDL_AUDIODRIVER  the SDL audio driver to use (e.g. pulseaudio, alsa)\n"
                       "\n"
                       "Files:\n"
                       "  ") +
           platform_default_music_path() +
           "  the soundtrack\n"
           "\n"
           "Exit status: 0 when the demo ended or was quit, 1 when no window, OpenGL context\n"
           "or sound could be had, 2 for a bad command line.\n";
}

int command_line_answer(const CommandLine& command_line, const char* program) {
    if (command_line.action != CommandLineAction::run)
        platform_use_parent_console();
    switch (command_line.action) {
    case CommandLineAction::help:
        fputs(demo_help_text().c_str(), stdout);
        return 0;
    case CommandLineAction::version:
        fputs(version_text(program).c_str(), stdout);
        return 0;
    case CommandLineAction::usage_error:
        fprintf(stderr, "%s: %s\n", program, command_line.error.c_str());
        return exit_usage;
    case CommandLineAction::run:
        break;
    }
    return -1;
}
