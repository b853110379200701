#include "capture_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace fs = std::filesystem;

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

static std::string read_text(const std::string& path) {
    std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

ScratchDir::ScratchDir() {
    char name[] = "/tmp/oske-capture-test-XXXXXX";
    path = mkdtemp(name);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

pid_t spawn_capture(const std::vector<std::string>& args, const std::string& logs,
                    const std::map<std::string, std::string>& env,
                    const std::vector<std::string>& launcher) {
    std::string out_path = logs + "/out", err_path = logs + "/err";
    pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : env) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        if (!freopen(out_path.c_str(), "w", stdout) || !freopen(err_path.c_str(), "w", stderr))
            _exit(127);
        std::vector<std::string> copy = launcher;
        copy.push_back(OSKE_CAPTURE_PATH);
        copy.insert(copy.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

ProgramResult wait_capture(pid_t pid, const std::string& logs) {
    int status = 0;
    waitpid(pid, &status, 0);
    ProgramResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = read_text(logs + "/out");
    result.err = read_text(logs + "/err");
    return result;
}

ProgramResult run_capture(const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env) {
    ScratchDir logs;
    return wait_capture(spawn_capture(args, logs.path, env), logs.path);
}

static void put_u16(std::string* s, unsigned v) {
    s->push_back((char)(v & 0xff));
    s->push_back((char)(v >> 8));
}

static void put_u32(std::string* s, unsigned v) {
    put_u16(s, v & 0xffff);
    put_u16(s, v >> 16);
}

static std::string padded(const char* text, size_t size) {
    std::string s = text;
    s.resize(size, ' ');
    return s;
}

void write_tiny_module(const std::string& path) {
    std::string m = "Extended Module: " + padded("tiny", 20) + "\x1a" + padded("oske test", 20);
    put_u16(&m, 0x0104);
    put_u32(&m, 276); // header size
    put_u16(&m, 1);   // song length
    put_u16(&m, 0);   // restart
    put_u16(&m, 2);   // channels
    put_u16(&m, 1);   // patterns
    put_u16(&m, 0);   // instruments
    put_u16(&m, 1);   // linear frequencies
    put_u16(&m, 6);   // speed
    put_u16(&m, 125); // BPM
    m.append(256, '\0');
    const int rows = 64, channels = 2;
    put_u32(&m, 9);
    m.push_back('\0');
    put_u16(&m, rows);
    put_u16(&m, rows * channels);
    m.append(rows * channels, '\x80'); // every cell empty
    std::ofstream(path, std::ios::binary) << m;
}

std::string test_soundtrack() {
    std::string built = OSKE_BUILD_DIR "/music.xm";
    if (fs::exists(built))
        return built;
    static std::string tiny;
    if (tiny.empty()) {
        tiny = "/tmp/oske-capture-test-tiny-" + std::to_string(getpid()) + ".xm";
        write_tiny_module(tiny);
        atexit([] { unlink(tiny.c_str()); });
    }
    return tiny;
}

bool read_png(const std::string& path, PngImage* image) {
    int w, h, n;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 0);
    if (!data)
        return false;
    image->width = w;
    image->height = h;
    image->channels = n;
    image->pixels.assign(data, data + (size_t)w * h * n);
    stbi_image_free(data);
    return true;
}

std::vector<std::string> list_dir(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int processes_mentioning(const std::string& text) {
    int found = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::vector<uint8_t> cmdline = read_file(entry.path().string() + "/cmdline");
        std::replace(cmdline.begin(), cmdline.end(), (uint8_t)0, (uint8_t)' ');
        if (std::string(cmdline.begin(), cmdline.end()).find(text) != std::string::npos)
            ++found;
    }
    return found;
}
