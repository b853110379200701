// The demo's command line: what is parsed, and what the built binary does with --help,
// --version and anything else, without ever opening a window or the sound device.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "runtime/command_line.h"
#include "support/run_program.h"

namespace {

CommandLine parse(std::vector<std::string> args) {
    args.insert(args.begin(), "oske");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return parse_command_line((int)args.size(), argv.data());
}

struct DemoAnswer {
    ProgramOutput output;
    std::string trace; // what the demo's life cycle wrote; empty when it never started
};

// Runs the built demo with drivers that would fail loudly if a window or the sound device
// were asked for, and a trace file that the start-up would write to.
DemoAnswer run_demo(const std::vector<std::string>& args) {
    std::string trace = make_temp_file("oske-trace");
    std::vector<std::string> argv = {OSKE_BINARY_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    DemoAnswer answer;
    answer.output = run_program(argv, {{"SDL_VIDEODRIVER", "oske-no-such-driver"},
                                       {"SDL_AUDIODRIVER", "oske-no-such-driver"},
                                       {"OSKE_TEST_TRACE", trace},
                                       {"OSKE_TEST_MUSIC_PATH", OSKE_BUILD_DIR "/music.xm"}});
    answer.trace = read_text_file(trace);
    unlink(trace.c_str());
    return answer;
}

size_t count_lines(const std::string& text) {
    size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

} // namespace

TEST(CommandLine, ParsesInOrderLikeGetopt) {
    EXPECT_EQ(parse({}).action, CommandLineAction::run);
    EXPECT_EQ(parse({"--help"}).action, CommandLineAction::help);
    EXPECT_EQ(parse({"-h"}).action, CommandLineAction::help);
    EXPECT_EQ(parse({"--version"}).action, CommandLineAction::version);
    // The first that acts wins; an unknown argument before it is an error.
    EXPECT_EQ(parse({"--version", "--help"}).action, CommandLineAction::version);
    EXPECT_EQ(parse({"--help", "stray"}).action, CommandLineAction::help);
    EXPECT_EQ(parse({"stray", "--help"}).action, CommandLineAction::usage_error);
    // No abbreviations, no other spellings.
    for (const char* arg : {"--hel", "--Help", "-help", "--version=1", "-v", "-V", "--", "-", ""})
        EXPECT_EQ(parse({arg}).action, CommandLineAction::usage_error) << "'" << arg << "'";
}

TEST(CommandLine, UsageErrorNamesTheArgument) {
    CommandLine option = parse({"--fullscreen"});
    EXPECT_NE(option.error.find("unknown option '--fullscreen'"), std::string::npos);
    CommandLine word = parse({"demo.xm"});
    EXPECT_NE(word.error.find("unexpected argument 'demo.xm'"), std::string::npos);
    for (const CommandLine& c : {option, word}) {
        EXPECT_NE(c.error.find("--help"), std::string::npos) << c.error;
        EXPECT_EQ(c.error.find('\n'), std::string::npos) << c.error;
    }
}

TEST(CommandLineBinary, HelpTellsKeysEnvironmentAndSoundtrackAndOpensNothing) {
    for (const char* arg : {"--help", "-h"}) {
        DemoAnswer a = run_demo({arg});
        ASSERT_TRUE(a.output.ended) << arg;
        EXPECT_EQ(a.output.status, 0) << arg << "\n" << a.output.err;
        EXPECT_EQ(a.output.err, "") << arg;
        EXPECT_EQ(a.trace, "") << arg;
        EXPECT_EQ(a.output.out.rfind("Usage: oske", 0), 0u) << a.output.out;
        for (const char* needle : {"demo", "200 seconds", "Escape", "q ", "f ", "fullscreen",
                                   "SDL_VIDEODRIVER", "SDL_AUDIODRIVER", "--version",
                                   "/usr/share/oske-by-quorvent/music.xm", "Exit status"})
            EXPECT_NE(a.output.out.find(needle), std::string::npos) << arg << ": " << needle;
    }
}

TEST(CommandLineBinary, VersionNamesProgramPackageAndVersion) {
    DemoAnswer a = run_demo({"--version"});
    ASSERT_TRUE(a.output.ended);
    EXPECT_EQ(a.output.status, 0) << a.output.err;
    EXPECT_EQ(a.output.err, "");
    EXPECT_EQ(a.trace, "");
    std::string first = a.output.out.substr(0, a.output.out.find('\n'));
    EXPECT_EQ(first, std::string("oske (OSKE by Quorvent) ") + oske_version);
    EXPECT_NE(a.output.out.find("License MIT"), std::string::npos) << a.output.out;
}

TEST(CommandLineBinary, StrayArgumentIsOneLineStatusTwoAndNoWindow) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"}, {"stray"}, {"-x"}, {"--help=yes"}, {"--versions"}, {""}, {"stray", "--help"}};
    for (const std::vector<std::string>& args : cases) {
        DemoAnswer a = run_demo(args);
        ASSERT_TRUE(a.output.ended) << args[0];
        EXPECT_EQ(a.output.status, 2) << args[0] << "\n" << a.output.err;
        EXPECT_EQ(a.output.out, "") << args[0];
        // Nothing of the start-up ran: no trace, and no complaint about the broken drivers.
        EXPECT_EQ(a.trace, "") << args[0];
        EXPECT_EQ(count_lines(a.output.err), 1u) << a.output.err;
        EXPECT_EQ(a.output.err.rfind("oske: ", 0), 0u) << a.output.err;
        EXPECT_NE(a.output.err.find("'" + args[0] + "'"), std::string::npos) << a.output.err;
        EXPECT_NE(a.output.err.find("--help"), std::string::npos) << a.output.err;
    }
}

TEST(CommandLineBinary, WithoutArgumentsTheDemoStarts) {
    // The same broken drivers make the start-up fail, which shows it was reached.
    DemoAnswer a = run_demo({});
    ASSERT_TRUE(a.output.ended);
    EXPECT_EQ(a.output.status, 1) << a.output.out << a.output.err;
    EXPECT_NE(a.trace.find("startup"), std::string::npos) << a.trace;
}
