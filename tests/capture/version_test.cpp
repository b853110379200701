// oske-capture --version: the same GNU-style answer as the demo's.
#include <gtest/gtest.h>

#include "capture/capture_harness.h"
#include "runtime/command_line.h"

TEST(Capture, VersionNamesProgramPackageAndVersion) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"--version", "--frames", "nonsense"}}) {
        ProgramResult r = run_capture(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
                  std::string("oske-capture (OSKE by Quorvent) ") + oske_version);
    }
    ProgramResult help = run_capture({"--help"});
    EXPECT_NE(help.out.find("--version"), std::string::npos);
}
