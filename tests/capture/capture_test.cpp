#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "capture_harness.h"

namespace fs = std::filesystem;

static std::vector<std::string> with_music(std::vector<std::string> args) {
    args.push_back("--music");
    args.push_back(test_soundtrack());
    return args;
}

static std::string frame_name(int ms) {
    char name[32];
    snprintf(name, sizeof name, "frame_%06d.png", ms);
    return name;
}

TEST(Capture, FrameAtZeroIsThePlainBackgroundEverywhere) {
    ScratchDir dir;
    // With the display variable gone too: the capture chooses the offscreen driver itself.
    ProgramResult r = run_capture(with_music({"--frames", "0", "--out", dir.path}),
                                  {{"SDL_VIDEODRIVER", ""}, {"DISPLAY", ""}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("drew 1 frame, 0 GL errors"), std::string::npos) << r.out;
    PngImage image;
    ASSERT_TRUE(read_png(dir.file("frame_000000.png"), &image));
    ASSERT_EQ(image.width, 1280);
    ASSERT_EQ(image.height, 720);
    ASSERT_EQ(image.channels, 3);
    size_t off = 0;
    for (size_t i = 0; i < image.pixels.size(); i += 3)
        if (image.pixels[i] != 190 || image.pixels[i + 1] != 196 || image.pixels[i + 2] != 204)
            ++off;
    EXPECT_EQ(off, 0u) << "pixels that are not the background";
}

TEST(Capture, SameFramesGiveByteIdenticalPngs) {
    // One frame in every scene and in overlaps, at a small size to keep the run short.
    std::vector<int> times = {0,      21000,  45000,  59500,  65000,  90000, 110000,
                              130000, 150000, 170000, 179000, 195000, 200000};
    std::string list;
    for (int t : times)
        list += (list.empty() ? "" : ",") + std::to_string(t);
    ScratchDir a, b;
    for (const ScratchDir* dir : {&a, &b}) {
        ProgramResult r =
            run_capture(with_music({"--frames", list, "--size", "320x180", "--out", dir->path}));
        ASSERT_EQ(r.status, 0) << r.err;
    }
    ASSERT_EQ(list_dir(a.path).size(), times.size());
    for (int t : times) {
        std::vector<uint8_t> first = read_file(a.file(frame_name(t)));
        ASSERT_FALSE(first.empty()) << t;
        EXPECT_TRUE(first == read_file(b.file(frame_name(t)))) << "frame " << t << " differs";
    }
}

TEST(Capture, RangeDrawsFrameKAtFromPlusTruncatedKTimesThousandOverFps) {
    ScratchDir dir;
    ProgramResult r = run_capture(with_music(
        {"--from", "21000", "--to", "21200", "--fps", "30", "--size", "64x36", "--out", dir.path}));
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> expected;
    for (int t : {21000, 21033, 21066, 21100, 21133, 21166, 21200})
        expected.push_back(frame_name(t));
    EXPECT_EQ(list_dir(dir.path), expected);
    EXPECT_NE(r.out.find("drew 7 frames"), std::string::npos) << r.out;

    // The same formula at other rates, from the planned run alone.
    r = run_capture({"--from", "1000", "--to", "2000", "--fps", "7", "--dry-run"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1000\n1142\n1285\n1428\n1571\n1714\n1857\n2000\n");
    r = run_capture({"--from", "199998", "--to", "200000", "--fps", "1000", "--dry-run"});
    EXPECT_EQ(r.out, "199998\n199999\n200000\n");
}

TEST(Capture, ListedFramesAreDrawnInAscendingOrderOnce) {
    ProgramResult r = run_capture({"--frames", "3000,1000,2000,1000", "--dry-run"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1000\n2000\n3000\n");

    // Out of order on the command line is the same run as in order: same pictures, even where
    // a scene draws from the random sequence while drawing.
    ScratchDir sorted, shuffled;
    ASSERT_EQ(run_capture(with_music({"--frames", "60000,61000,62000", "--size", "160x90", "--out",
                                      sorted.path}))
                  .status,
              0);
    ASSERT_EQ(run_capture(with_music({"--frames", "62000,60000,61000", "--size", "160x90", "--out",
                                      shuffled.path}))
                  .status,
              0);
    for (int t : {60000, 61000, 62000})
        EXPECT_TRUE(read_file(sorted.file(frame_name(t))) ==
                    read_file(shuffled.file(frame_name(t))))
            << t;
}

TEST(Capture, ContactSheetGrid) {
    ScratchDir dir;
    // The default: every 5 s over the whole timeline, 41 thumbnails in rows of 8.
    ProgramResult r = run_capture(
        with_music({"--contact-sheet", dir.file("sheet.png"), "--size", "160x90", "--quiet"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("drew 41 frames"), std::string::npos) << r.out;
    PngImage sheet;
    ASSERT_TRUE(read_png(dir.file("sheet.png"), &sheet));
    // Cells of 256 x 144 thumbnails with an 18-pixel label, 4 pixels apart.
    EXPECT_EQ(sheet.width, 8 * (256 + 4) + 4);
    EXPECT_EQ(sheet.height, 6 * (144 + 18 + 4) + 4);

    r = run_capture(with_music(
        {"--contact-sheet", dir.file("five.png"), "--every", "50000", "--size", "320x180"}));
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(read_png(dir.file("five.png"), &sheet));
    EXPECT_EQ(sheet.width, 5 * (256 + 4) + 4);
    EXPECT_EQ(sheet.height, 144 + 18 + 4 + 4);
    // The first thumbnail is frame 0, the background; its label strip carries light text.
    auto pixel = [&](int x, int y) { return &sheet.pixels[((size_t)y * sheet.width + x) * 3]; };
    EXPECT_EQ(pixel(4 + 128, 4 + 72)[0], 190);
    EXPECT_EQ(pixel(4 + 128, 4 + 72)[2], 204);
    int light = 0;
    for (int y = 4 + 144; y < 4 + 144 + 18; ++y)
        for (int x = 4; x < 4 + 256; ++x)
            light += pixel(x, y)[0] > 200;
    EXPECT_GT(light, 20) << "no label under the first thumbnail";

    // A range run: one thumbnail per --every from its start.
    r = run_capture(with_music({"--from", "0", "--to", "3000", "--fps", "10", "--every", "1000",
                                "--contact-sheet", dir.file("range.png"), "--size", "64x36"}));
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(read_png(dir.file("range.png"), &sheet));
    EXPECT_EQ(sheet.width, 4 * (256 + 4) + 4);
    EXPECT_EQ(list_dir(dir.path).size(), 3u) << "no partial file may stay behind";
}

struct WavInfo {
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0, data_bytes = 0;
    size_t file_bytes = 0;
};

static WavInfo read_wav(const std::string& path) {
    std::vector<uint8_t> b = read_file(path);
    WavInfo w;
    w.file_bytes = b.size();
    auto u16 = [&](size_t at) { return (uint16_t)(b[at] | b[at + 1] << 8); };
    auto u32 = [&](size_t at) { return (uint32_t)(u16(at) | u16(at + 2) << 16); };
    if (b.size() < 12 || memcmp(&b[0], "RIFF", 4) || memcmp(&b[8], "WAVE", 4))
        return w;
    for (size_t at = 12; at + 8 <= b.size(); at += 8 + u32(at + 4)) {
        if (!memcmp(&b[at], "fmt ", 4)) {
            w.format = u16(at + 8);
            w.channels = u16(at + 10);
            w.rate = u32(at + 12);
            w.bits = u16(at + 22);
        } else if (!memcmp(&b[at], "data", 4)) {
            w.data_bytes = u32(at + 4);
            EXPECT_EQ(at + 8 + w.data_bytes, b.size());
            break;
        }
    }
    return w;
}

static double module_seconds(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream log;
    openmpt::module module(file, log);
    return module.get_duration_seconds();
}

static void expect_song_length(const std::string& music, const std::string& wav) {
    ProgramResult r = run_capture({"--music", music, "--wav", wav, "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    WavInfo w = read_wav(wav);
    EXPECT_EQ(w.format, 3) << "32-bit float, as the demo renders it";
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 48000u);
    EXPECT_EQ(w.bits, 32);
    double seconds = w.data_bytes / 8.0 / 48000.0;
    // libopenmpt renders the song and the short tail of its last notes.
    EXPECT_GE(seconds, module_seconds(music) - 0.001);
    EXPECT_LE(seconds, module_seconds(music) + 0.25);
}

TEST(Capture, WavHasTheSongsLengthAt48000HzStereo) {
    ScratchDir dir;
    std::string tiny = dir.file("tiny.xm");
    write_tiny_module(tiny);
    EXPECT_NEAR(module_seconds(tiny), tiny_module_seconds, 1e-9);
    expect_song_length(tiny, dir.file("tiny.wav"));
    EXPECT_EQ(list_dir(dir.path), (std::vector<std::string>{"tiny.wav", "tiny.xm"}));
}

TEST(Capture, WavOfTheBuiltSoundtrack) {
    std::string built = OSKE_BUILD_DIR "/music.xm";
    if (!fs::exists(built))
        GTEST_SKIP() << "the build has not composed " << built << " yet";
    ScratchDir dir;
    expect_song_length(built, dir.file("music.wav"));
}

TEST(Capture, VideoIsAnMp4WithSound) {
    ScratchDir dir;
    ProgramResult r = run_capture(with_music({"--from", "0", "--to", "1000", "--fps", "10",
                                              "--size", "64x36", "--video", dir.file("v.mp4")}));
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint8_t> mp4 = read_file(dir.file("v.mp4"));
    ASSERT_GT(mp4.size(), 12u);
    EXPECT_EQ(std::string(mp4.begin() + 4, mp4.begin() + 8), "ftyp");
    std::string all(mp4.begin(), mp4.end());
    EXPECT_NE(all.find("avc1"), std::string::npos) << "no H.264 track";
    EXPECT_NE(all.find("mp4a"), std::string::npos) << "no AAC track";
    EXPECT_EQ(list_dir(dir.path), std::vector<std::string>{"v.mp4"});
}

TEST(Capture, HelpExplainsEveryOption) {
    ProgramResult r = run_capture({"--help"});
    ASSERT_EQ(r.status, 0);
    for (const char* option :
         {"--frames", "--from", "--to", "--fps", "--every", "--out", "--contact-sheet", "--wav",
          "--video", "--size", "--music", "--native", "--strict", "--quiet", "--dry-run",
          "GALLIUM_OVERRIDE_CPU_CAPS=sse4.1", "e.g."})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

struct BadInput {
    std::vector<std::string> args;
    int status;
    const char* message;
};

TEST(Capture, BadInputNamesTheProblemAndExitsWithItsStatus) {
    ScratchDir dir;
    std::string out = dir.file("out");
    std::string not_a_module = dir.file("notes.xm");
    std::ofstream(not_a_module) << "not a module";
    std::string music = test_soundtrack();
    std::string sheet = dir.file("sheet.png"), wav = dir.file("music.wav");
    const std::vector<BadInput> cases = {
        {{"--bogus"}, 2, "unknown option '--bogus'"},
        {{"--out", out, "stray"}, 2, "unexpected argument 'stray'"},
        {{"--out"}, 2, "option --out needs a value"},
        // A forgotten value does not swallow the option after it.
        {{"--out", "--quiet", "--frames", "0"},
         2,
         "option --out needs a value, not the option '--quiet'"},
        {{"--frames", "0", "--out", out, "--music", "-h"},
         2,
         "option --music needs a value, not the option '-h'"},
        {{"--frames", "12x", "--out", out}, 2, "'12x' is not a whole number"},
        {{"--frames", "1000,,2000", "--out", out}, 2, "empty frame time"},
        {{"--frames", "200001", "--out", out}, 2, "200001 is outside 0 ... 200000"},
        {{"--frames", "-5", "--out", out}, 2, "-5 is outside 0 ... 200000"},
        {{"--from", "5000", "--to", "1000", "--fps", "10", "--out", out},
         2,
         "--to 1000 is before --from 5000"},
        {{"--from", "0", "--to", "1000", "--fps", "0", "--out", out}, 2, "--fps: 0 is outside"},
        {{"--from", "0", "--to", "1000", "--fps", "1001", "--out", out},
         2,
         "--fps: 1001 is outside"},
        {{"--fps", "ten", "--out", out}, 2, "'ten' is not a whole number"},
        {{"--size", "0x720", "--out", out}, 2, "has a zero side"},
        {{"--size", "20000x100", "--out", out}, 2, "beyond the GL limit"},
        {{"--size", "big", "--out", out}, 2, "is not WIDTHxHEIGHT"},
        // Contact sheets too big to encode are refused before anything is drawn or written (the
        // WAV comes first otherwise).
        {{"--fps", "100", "--every", "10", "--contact-sheet", sheet, "--wav", wav, "--music",
          music},
         2,
         "--contact-sheet: 20001 thumbnails of 256x144 make a 2084x415170 sheet, over its limit"},
        {{"--fps", "200", "--every", "5", "--contact-sheet", sheet, "--wav", wav, "--music", music},
         2,
         "40001 thumbnails of 256x144 make a 2084x830170 sheet"},
        {{"--size", "4x16384", "--contact-sheet", sheet, "--music", music},
         2,
         "41 thumbnails of 256x1048576 make a 2084x6291592 sheet"},
        {{"--frames", "1000"}, 2, "nothing to write"},
        {{"--frames", "1000", "--video", dir.file("v.mp4")}, 2, "--video needs evenly timed"},
        {{"--frames", "1000", "--from", "0", "--out", out}, 2, "cannot be combined"},
        {{"--frames", "0", "--music", music, "--out", not_a_module + "/sub"},
         1,
         "cannot create the output directory"},
        {{"--frames", "0", "--music", music, "--out", "/proc"}, 1, "cannot write in '/proc'"},
        {{"--music", music, "--contact-sheet", dir.path}, 1, "is a directory"},
        {{"--music", music, "--wav", "/dev/null"}, 1, "'/dev/null' is not a regular file"},
        {{"--music", music, "--wav", dir.file("none/x.wav")}, 1, "does not exist"},
        {{"--frames", "0", "--out", out, "--music", dir.file("missing.xm")}, 1, "no soundtrack at"},
        {{"--frames", "0", "--out", out, "--music", not_a_module}, 1, "cannot read the soundtrack"},
    };
    for (const BadInput& c : cases) {
        ProgramResult r = run_capture(c.args);
        std::string what = c.args.empty() ? "" : c.args[0] + " " + c.message;
        EXPECT_EQ(r.status, c.status) << what << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << what << "\n" << r.err;
        // One line, naming the tool.
        EXPECT_EQ(r.err.rfind("oske-capture: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir.file("v.mp4")));
    EXPECT_FALSE(fs::exists(sheet));
    EXPECT_FALSE(fs::exists(wav));
    // A value that starts with -- is still given in the --name=VALUE form.
    ProgramResult r = run_capture({"--frames", "0", "--out=--odd", "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(Capture, OutputsNamingOneFileAreRefusedBeforeAnythingIsWritten) {
    ScratchDir dir;
    std::string song = dir.file("song.xm"), alias = dir.file("alias.xm"),
                link = dir.file("link.xm");
    write_tiny_module(song);
    std::vector<uint8_t> song_bytes = read_file(song);
    ASSERT_EQ(::link(song.c_str(), alias.c_str()), 0);
    ASSERT_EQ(symlink(song.c_str(), link.c_str()), 0);
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    std::string x = dir.file("x.wav");
    const std::vector<std::vector<std::string>> cases = {
        {"--wav", x, "--video", x, "--fps", "10"},
        {"--wav", dir.path + "/./x.wav", "--video", x, "--fps", "10"}, // neither exists yet
        {"--contact-sheet", dir.path + "/sub/../x.wav", "--wav", x},
        {"--contact-sheet", "here.wav", "--wav", "./here.wav"},
        {"--out", x, "--video", x},
        {"--wav", song, "--music", song},
        {"--wav", alias, "--music", song}, // a second name of the module
        {"--video", link, "--music", song, "--fps", "10"},
    };
    for (const std::vector<std::string>& args : cases) {
        ProgramResult r = run_capture(args);
        EXPECT_EQ(r.status, 2) << args[1] << " " << args[3] << "\n" << r.err;
        EXPECT_NE(r.err.find(args[0] + " and " + args[2] + " name the same file"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(read_file(song) == song_bytes) << "the soundtrack was replaced";
    EXPECT_EQ(list_dir(dir.path),
              (std::vector<std::string>{"alias.xm", "link.xm", "song.xm", "sub"}));
    EXPECT_FALSE(fs::exists("here.wav"));
}

TEST(Capture, VideoWithoutFfmpegSaysSoAndLeavesNothing) {
    ScratchDir dir, empty_path;
    ProgramResult r = run_capture(
        with_music({"--from", "0", "--to", "1000", "--fps", "10", "--video", dir.file("v.mp4")}),
        {{"PATH", empty_path.path}});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ffmpeg is not installed"), std::string::npos) << r.err;
    EXPECT_TRUE(list_dir(dir.path).empty());
}

// A video of to_ms through a stand-in for ffmpeg (a shell script); nothing may be left behind.
static ProgramResult video_with_fake_ffmpeg(const std::string& script, const char* to_ms) {
    ScratchDir dir, bin;
    std::string fake = bin.file("ffmpeg");
    std::ofstream(fake) << "#!/bin/sh\n" << script;
    chmod(fake.c_str(), 0755);
    ProgramResult r = run_capture(with_music({"--from", "0", "--to", to_ms, "--fps", "10", "--size",
                                              "64x36", "--video", dir.file("v.mp4")}),
                                  {{"PATH", bin.path + ":/usr/bin:/bin"}});
    EXPECT_TRUE(list_dir(dir.path).empty());
    return r;
}

TEST(Capture, FailingFfmpegLeavesNoFileThatLooksComplete) {
    ProgramResult r =
        video_with_fake_ffmpeg("cat > /dev/null\necho 'fake ffmpeg: no' >&2\nexit 1\n", "1000");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ffmpeg failed"), std::string::npos) << r.err;
    // One that ends at once: our next write breaks the pipe, and that is ffmpeg's failure, not
    // an interruption.
    r = video_with_fake_ffmpeg("echo 'fake ffmpeg: no' >&2\nexit 1\n", "20000");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ffmpeg stopped taking frames"), std::string::npos) << r.err;
}

TEST(Capture, InterruptedRunLeavesOnlyCompleteFiles) {
    ScratchDir dir, logs;
    std::string frames = dir.file("frames");
    pid_t pid = spawn_capture(
        with_music({"--from", "0", "--to", "200000", "--fps", "1000", "--size", "32x18", "--out",
                    frames, "--contact-sheet", dir.file("sheet.png"), "--quiet"}),
        logs.path);
    // Wait until frames are being written, then interrupt as Ctrl-C would.
    for (int i = 0; i < 600 && (!fs::exists(frames) || list_dir(frames).size() < 3); ++i)
        usleep(50000);
    kill(pid, SIGINT);
    ProgramResult r = wait_capture(pid, logs.path);
    EXPECT_EQ(r.status, 130);
    EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.file("sheet.png")));
    std::vector<std::string> names = list_dir(frames);
    EXPECT_GE(names.size(), 3u);
    for (const std::string& name : names) {
        EXPECT_EQ(name.find(".part"), std::string::npos) << name;
        PngImage image;
        EXPECT_TRUE(read_png(frames + "/" + name, &image)) << name;
    }
}

TEST(Capture, ProgressBarUnlessQuiet) {
    ScratchDir dir;
    std::vector<std::string> args =
        with_music({"--from", "0", "--to", "900", "--fps", "10", "--size", "32x18",
                    "--contact-sheet", dir.file("sheet.png")});
    ProgramResult r = run_capture(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("10/10 frames"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" fps"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" left"), std::string::npos) << r.err;
    args.push_back("--quiet");
    r = run_capture(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // A run of a few frames needs no bar.
    r = run_capture(with_music({"--frames", "0,1000", "--size", "32x18", "--out", dir.path}));
    EXPECT_EQ(r.err, "");
}

TEST(Capture, RefusesTheSoundtracksTheDemoRefusesAndWritesNothing) {
    ScratchDir dir;
    std::string fifo = dir.file("fifo.xm"), big = dir.file("big.xm"), cut = dir.file("cut.xm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> song = read_file(test_soundtrack());
    ASSERT_GT(song.size(), 400u);
    std::ofstream(big, std::ios::binary).write((const char*)song.data(), (long)song.size());
    ASSERT_EQ(truncate(big.c_str(), (off_t)2 << 30), 0); // sparse: costs no disk
    std::ofstream(cut, std::ios::binary).write((const char*)song.data(), (long)song.size() / 2);
    const std::pair<std::string, const char*> cases[] = {
        {fifo, "not a regular file"},
        {big, "the file is larger than 64 MiB"},
        {cut, "the file is truncated"},
    };
    std::string out = dir.file("out");
    for (const auto& [music, reason] : cases) {
        for (const std::vector<std::string>& what :
             {std::vector<std::string>{"--wav", dir.file("music.wav")},
              std::vector<std::string>{"--frames", "0", "--out", out}}) {
            std::vector<std::string> args = what;
            args.insert(args.end(), {"--music", music, "--quiet"});
            ProgramResult r = run_capture(args);
            EXPECT_EQ(r.status, 1) << music << " " << what[0];
            EXPECT_EQ(r.err,
                      "oske-capture: cannot read the soundtrack '" + music + "': " + reason + "\n");
        }
    }
    EXPECT_FALSE(fs::exists(dir.file("music.wav")));
    EXPECT_TRUE(!fs::exists(out) || list_dir(out).empty());
}

TEST(Capture, TwoRunsWritingTheSameWavEachWriteAFileOfTheirOwn) {
    std::string built = OSKE_BUILD_DIR "/music.xm";
    if (!fs::exists(built))
        GTEST_SKIP() << "the build has not composed " << built << " yet";
    ScratchDir dir, logs_a, logs_b;
    ProgramResult alone =
        run_capture({"--music", built, "--wav", dir.file("alone.wav"), "--quiet"});
    ASSERT_EQ(alone.status, 0) << alone.err;
    // Both at once onto one name: neither may write into the other's file.
    std::vector<std::string> args = {"--music", built, "--wav", dir.file("same.wav"), "--quiet"};
    pid_t a = spawn_capture(args, logs_a.path), b = spawn_capture(args, logs_b.path);
    ProgramResult ra = wait_capture(a, logs_a.path), rb = wait_capture(b, logs_b.path);
    EXPECT_EQ(ra.status, 0) << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.err;
    EXPECT_TRUE(read_file(dir.file("same.wav")) == read_file(dir.file("alone.wav")));
    EXPECT_EQ(list_dir(dir.path), (std::vector<std::string>{"alone.wav", "same.wav"}));
}

TEST(Capture, FailedWriteLeavesTheOldFrameIntact) {
    ScratchDir dir, logs;
    std::vector<std::string> args = with_music({"--frames", "60000", "--out", dir.path, "--quiet"});
    ASSERT_EQ(run_capture(args).status, 0);
    std::string frame = dir.file(frame_name(60000));
    std::vector<uint8_t> old_frame = read_file(frame);
    ASSERT_GT(old_frame.size(), 2048u);
    // Written again at another size, into a file system that takes only a few bytes of it (a
    // file-size limit, its signal ignored, so the write fails as on a full disk).
    args.insert(args.end(), {"--size", "640x360"});
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    void (*saved_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    pid_t pid = spawn_capture(args, logs.path, {{"MESA_SHADER_CACHE_DISABLE", "true"}});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, saved_handler);
    ProgramResult r = wait_capture(pid, logs.path);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("cannot write '" + frame + "'"), std::string::npos) << r.err;
    EXPECT_TRUE(read_file(frame) == old_frame) << "the old frame was overwritten";
    EXPECT_EQ(list_dir(dir.path), std::vector<std::string>{frame_name(60000)});
}

TEST(Capture, EveryTerminatingSignalDuringAVideoLeavesNothingBehind) {
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        SCOPED_TRACE(strsignal(sig));
        ScratchDir out, tmp, logs;
        std::string tiny = tmp.file("tiny.xm");
        write_tiny_module(tiny);
        pid_t pid = spawn_capture({"--music", tiny, "--from", "0", "--to", "200000", "--fps", "30",
                                   "--size", "64x36", "--video", out.file("v.mp4"), "--quiet"},
                                  logs.path, {{"TMPDIR", tmp.path}});
        // ffmpeg is encoding into its partial file and the soundtrack sits in TMPDIR.
        const std::string partial = out.file("v.mp4.");
        for (int i = 0; i < 600 && processes_mentioning(partial) == 0; ++i)
            usleep(50000);
        ASSERT_EQ(processes_mentioning(partial), 1);
        EXPECT_EQ(list_dir(tmp.path).size(), 2u) << "tiny.xm and the soundtrack";
        kill(pid, sig);
        ProgramResult r = wait_capture(pid, logs.path);
        EXPECT_EQ(r.status, 130) << r.err;
        EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
        EXPECT_EQ(processes_mentioning(partial), 0) << "ffmpeg left running";
        EXPECT_TRUE(list_dir(out.path).empty());
        EXPECT_EQ(list_dir(tmp.path), std::vector<std::string>{"tiny.xm"});
    }
}
