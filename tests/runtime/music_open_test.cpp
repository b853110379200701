// Opening the music: each way it can fail prints its message on standard output, leaves
// nothing open and lets the program end with status 1; closing is always harmless.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include "runtime/music_player.h"

namespace {

const char* music_path = OSKE_BUILD_DIR "/music.xm";

std::string write_temp(const std::string& name, const std::vector<char>& bytes) {
    std::string path = testing::TempDir() + name;
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), (std::streamsize)bytes.size());
    return path;
}

// Opens the player on a path and returns what it printed.
std::string open_output(const char* path, bool with_device, bool* result) {
    testing::internal::CaptureStdout();
    *result = music_player.open(path, with_device);
    return testing::internal::GetCapturedStdout();
}

void expect_nothing_open() {
    EXPECT_EQ(music_player.module, nullptr);
    EXPECT_EQ(music_player.device, 0u);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

struct MusicOpen : ::testing::Test {
    // Headless: SDL's dummy audio driver unless the caller chose another.
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 0); }
    void TearDown() override {
        music_player.close();
        music_player.close();
    }
};

TEST_F(MusicOpen, MissingFile) {
    bool ok = true;
    std::string out = open_output("/nonexistent/oske/music.xm", true, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(out, "couldn't find music.xm\n");
    expect_nothing_open();
}

TEST_F(MusicOpen, UnparsableFilesAreReportedWithTheReason) {
    std::ifstream song(music_path, std::ios::binary);
    std::vector<char> bytes(std::istreambuf_iterator<char>(song), {});
    ASSERT_GT(bytes.size(), 4000u);
    std::vector<char> garbage(5000);
    uint32_t x = 12345;
    for (char& c : garbage) {
        x = x * 1664525u + 1013904223u;
        c = (char)(x >> 24);
    }
    std::string directory = testing::TempDir() + "music_dir.xm";
    mkdir(directory.c_str(), 0755);
    const std::string paths[] = {
        write_temp("music_empty.xm", {}),
        write_temp("music_truncated.xm", std::vector<char>(bytes.begin(), bytes.begin() + 300)),
        write_temp("music_garbage.xm", garbage),
        directory,
    };
    for (const std::string& path : paths) {
        for (bool with_device : {true, false}) {
            bool ok = true;
            std::string out = open_output(path.c_str(), with_device, &ok);
            EXPECT_FALSE(ok) << path;
            EXPECT_EQ(out.rfind("couldn't load music.xm: ", 0), 0u) << path << ": " << out;
            EXPECT_GT(out.size(), std::string("couldn't load music.xm: \n").size()) << out;
            EXPECT_EQ(out.back(), '\n');
            expect_nothing_open();
            music_player.play(); // nothing to play: harmless
            EXPECT_EQ(music_player.current_order(), -1);
        }
    }
}

TEST_F(MusicOpen, UnknownAudioDriverFailsTheAudioStart) {
    setenv("SDL_AUDIODRIVER", "oske_no_such_driver", 1);
    bool ok = true;
    std::string out = open_output(music_path, true, &ok);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(out, "SDL_INIT_AUDIO fail\n");
    expect_nothing_open();
}

TEST_F(MusicOpen, DeviceThatCannotOpenIsReported) {
    // The disk driver opens its output file when the device opens: a file that cannot be
    // created makes the device fail.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/nonexistent/oske/audio.raw", 1);
    bool ok = true;
    std::string out = open_output(music_path, true, &ok);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
    EXPECT_FALSE(ok);
    EXPECT_EQ(out, "SDL device not found \n");
    expect_nothing_open();
}

TEST_F(MusicOpen, WithoutDeviceNoAudioIsTouched) {
    bool ok = false;
    std::string out = open_output(music_path, false, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, "");
    EXPECT_NE(music_player.module, nullptr);
    EXPECT_EQ(music_player.device, 0u);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    music_player.close();
    music_player.close();
    expect_nothing_open();
}

TEST_F(MusicOpen, CloseWithoutOpenAndTwiceIsHarmless) {
    music_player.close();
    music_player.close();
    expect_nothing_open();
    bool ok = false;
    open_output(music_path, true, &ok);
    EXPECT_TRUE(ok);
    music_player.close();
    music_player.close();
    expect_nothing_open();
}

int run_demo_with_music(const std::string& path, std::string* out) {
    std::string command = "SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} OSKE_TEST_MUSIC_PATH='" +
                          path + "' " OSKE_BINARY_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        *out += buffer;
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MusicOpenDemo, TheDemoEndsWithStatusOneAndItsMessage) {
    std::string out;
    EXPECT_EQ(run_demo_with_music("/nonexistent/oske/music.xm", &out), 1);
    EXPECT_EQ(out, "couldn't find music.xm\n");
    out.clear();
    std::string empty = write_temp("music_demo_empty.xm", {});
    EXPECT_EQ(run_demo_with_music(empty, &out), 1);
    EXPECT_EQ(out.rfind("couldn't load music.xm: ", 0), 0u) << out;
}

} // namespace
