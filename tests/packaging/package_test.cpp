// The Debian package as users get it: built by cpack from this build, checked by lintian, and
// its desktop entry, AppStream metadata and manual pages checked by their own validators, both
// in the source tree and as installed by the package.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace {

const std::string source_dir = OSKE_SOURCE_DIR;
const std::string packaging_dir = source_dir + "/packaging";
const std::string metainfo_name = "invalid.quorvent.oske.metainfo.xml";

#define REQUIRE_TOOL(name)                                                                         \
    if (find_on_path(name).empty())                                                                \
    GTEST_SKIP() << name << " is not installed (the README's install command brings it)"

std::string describe(const ProgramOutput& r) {
    return "status " + std::to_string(r.status) + "\nstdout:\n" + r.out + "stderr:\n" + r.err;
}

// Lines of a validator's report at the given levels ("E: ", "W: ", ...).
std::vector<std::string> tagged_lines(const std::string& text,
                                      const std::vector<std::string>& levels) {
    std::vector<std::string> found;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        std::string line = text.substr(begin, end == std::string::npos ? end : end - begin);
        for (const std::string& level : levels)
            if (line.rfind(level, 0) == 0)
                found.push_back(line);
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    return found;
}

void expect_desktop_entry_valid(const std::string& path) {
    ProgramOutput r = run_program({"desktop-file-validate", path});
    EXPECT_EQ(r.status, 0) << describe(r);
    // Warnings and hints are printed with status 0: any output is a finding.
    EXPECT_EQ(r.out + r.err, "") << path;
}

void expect_metainfo_valid(const std::vector<std::string>& command) {
    ProgramOutput r = run_program(command, {}, 120.0);
    EXPECT_EQ(r.status, 0) << describe(r);
    std::vector<std::string> findings = tagged_lines(r.out + r.err, {"E: ", "W: "});
    EXPECT_TRUE(findings.empty()) << describe(r);
}

// man --warnings renders the page and reports every groff and macro warning on stderr.
void expect_manual_page_clean(const std::string& path, const std::vector<std::string>& sections) {
    ProgramOutput r = run_program(
        {"man", "--warnings", "-l", path},
        {{"MANWIDTH", "80"}, {"LC_ALL", "C.UTF-8"}, {"MANPAGER", "cat"}, {"PAGER", "cat"}});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.err, "") << path;
    for (const std::string& section : sections)
        EXPECT_NE(r.out.find("\n" + section + "\n"), std::string::npos) << path << ": " << section;
}

const std::vector<std::string> common_sections = {"NAME",        "SYNOPSIS",    "DESCRIPTION",
                                                  "OPTIONS",     "ENVIRONMENT", "FILES",
                                                  "EXIT STATUS", "EXAMPLES"};

std::vector<std::string> with(std::vector<std::string> list, const std::string& extra) {
    list.push_back(extra);
    return list;
}

std::string find_deb(const std::string& dir) {
    std::string found;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".deb") == 0)
                found = dir + "/" + name;
        }
        closedir(d);
    }
    return found;
}

bool file_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

TEST(PackagingSources, DesktopEntryValidates) {
    REQUIRE_TOOL("desktop-file-validate");
    expect_desktop_entry_valid(packaging_dir + "/oske.desktop");
}

TEST(PackagingSources, MetainfoValidates) {
    REQUIRE_TOOL("appstreamcli");
    expect_metainfo_valid(
        {"appstreamcli", "validate", "--no-net", packaging_dir + "/" + metainfo_name});
}

TEST(PackagingSources, ManualPagesRenderWithoutWarnings) {
    REQUIRE_TOOL("man");
    expect_manual_page_clean(packaging_dir + "/man/oske.6", with(common_sections, "KEYS"));
    expect_manual_page_clean(packaging_dir + "/man/oske-capture.1", common_sections);
}

// One test, as every step needs the package the first one builds.
TEST(Package, BuildsCleanAndInstallsMenuEntryIconsAndManualPages) {
#if OSKE_SANITIZE_BUILD
    GTEST_SKIP() << "the sanitizer build's binaries are not what is shipped; the package is "
                    "built and checked in the normal build";
#endif
    for (const char* tool : {"lintian", "dpkg-deb", "desktop-file-validate", "appstreamcli", "man"})
        REQUIRE_TOOL(tool);

    // A folder of the build tree of its own, so that nothing of an earlier run is checked.
    const std::string out = std::string(OSKE_BUILD_DIR) + "/package-test";
    ASSERT_EQ(run_program({"rm", "-rf", out}).status, 0);
    ProgramOutput cpack = run_program({OSKE_CPACK_COMMAND, "-G", "DEB", "-B", out, "--config",
                                       std::string(OSKE_BUILD_DIR) + "/CPackConfig.cmake"},
                                      {}, 300.0);
    ASSERT_EQ(cpack.status, 0) << describe(cpack);
    const std::string deb = find_deb(out);
    ASSERT_NE(deb, "") << describe(cpack);

    // Lintian refuses nothing as root but says it would rather not run so; that one line is
    // not about the package. --fail-on makes errors and warnings fail its status.
    ProgramOutput lintian = run_program(
        {"lintian", "--fail-on", "error,warning", "--pedantic", "--display-info", deb}, {}, 300.0);
    std::vector<std::string> findings = tagged_lines(lintian.out, {"E: ", "W: "});
    EXPECT_TRUE(findings.empty()) << describe(lintian);
    EXPECT_EQ(lintian.status, 0) << describe(lintian);
    // Informational and pedantic remarks are kept in the log, not failed on.
    std::cout << "lintian --pedantic --display-info:\n" << lintian.out;

    const std::string root = out + "/root";
    ASSERT_EQ(run_program({"dpkg-deb", "-x", deb, root}).status, 0);
    const std::string share = root + "/usr/share";
    for (const std::string& path :
         {std::string("/usr/bin/oske"), std::string("/usr/bin/oske-capture"),
          std::string("/usr/share/oske-by-quorvent/music.xm"),
          std::string("/usr/share/man/man6/oske.6.gz"),
          std::string("/usr/share/man/man1/oske-capture.1.gz"),
          std::string("/usr/share/doc/oske-by-quorvent/copyright"),
          std::string("/usr/share/doc/oske-by-quorvent/changelog.gz"),
          std::string("/usr/share/applications/oske.desktop"),
          std::string("/usr/share/icons/hicolor/scalable/apps/oske.svg"),
          std::string("/usr/share/icons/hicolor/48x48/apps/oske.png"),
          std::string("/usr/share/icons/hicolor/256x256/apps/oske.png"),
          "/usr/share/metainfo/" + metainfo_name})
        EXPECT_TRUE(file_exists(root + path)) << path;

    expect_desktop_entry_valid(share + "/applications/oske.desktop");
    // The installed tree: metadata, its desktop entry and icon, as software centres read them.
    expect_metainfo_valid({"appstreamcli", "validate-tree", "--no-net", root});
    expect_manual_page_clean(share + "/man/man6/oske.6.gz", with(common_sections, "KEYS"));
    expect_manual_page_clean(share + "/man/man1/oske-capture.1.gz", common_sections);

    // The menu entry starts the installed demo, with the installed icon.
    std::string entry = read_text_file(share + "/applications/oske.desktop");
    EXPECT_NE(entry.find("\nExec=oske\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=oske\n"), std::string::npos) << entry;

    ProgramOutput control = run_program({"dpkg-deb", "--field", deb, "Section", "Description"});
    EXPECT_NE(control.out.find("Section: video"), std::string::npos) << control.out;
    EXPECT_NE(control.out.find("\n ."), std::string::npos) << "extended description:\n"
                                                           << control.out;
    run_program({"rm", "-rf", out});
}
