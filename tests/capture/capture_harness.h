// Running oske-capture from tests: its exit status and output, a scratch folder, a soundtrack
// to feed it, and reading back the PNG and WAV files it writes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

struct ProgramResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs the capture binary with the arguments; env entries are set ("" value: unset) for it.
ProgramResult run_capture(const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env = {});

// The same in two steps: start it with its output going to files in logs, then wait for it.
// A launcher (an emulator and its options, found on PATH) runs the binary when given.
pid_t spawn_capture(const std::vector<std::string>& args, const std::string& logs,
                    const std::map<std::string, std::string>& env = {},
                    const std::vector<std::string>& launcher = {});
ProgramResult wait_capture(pid_t pid, const std::string& logs);

// A fresh directory under /tmp, removed when the object goes.
struct ScratchDir {
    std::string path;
    ScratchDir();
    ~ScratchDir();
    std::string file(const std::string& name) const { return path + "/" + name; }
};

// The soundtrack the tests run on: the one the build makes, or else a small module of ours
// (one empty pattern of 64 rows at speed 6, 125 BPM: 7.68 s) written once per process.
std::string test_soundtrack();
// Writes that small module to path.
void write_tiny_module(const std::string& path);
constexpr double tiny_module_seconds = 64 * 6 * 2.5 / 125;

struct PngImage {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> pixels; // rows top to bottom
};
bool read_png(const std::string& path, PngImage* image);

std::vector<uint8_t> read_file(const std::string& path);
// Processes whose command line mentions text (ffmpeg writing into a scratch folder).
int processes_mentioning(const std::string& text);
std::vector<std::string> list_dir(const std::string& path); // sorted names
