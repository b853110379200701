// The capture's command line: what to draw, at which size, and where to write it.
#pragma once

#include <string>
#include <vector>

constexpr int capture_timeline_end_ms = 200000; // the last frame time the demo draws
constexpr int capture_max_size = 16384;         // no GL implementation we know goes beyond
constexpr int capture_default_video_fps = 30;
// Mesa's llvmpipe compiles its pipeline for the host's instruction set, which changes the
// rounding of what it draws; pinned to SSE4.1 every x86-64 processor draws the same pixels.
// Set before Mesa is loaded.
constexpr const char* capture_pin_variable = "GALLIUM_OVERRIDE_CPU_CAPS";
constexpr const char* capture_pin_value = "sse4.1";

struct CaptureOptions {
    std::vector<int> frame_times; // the run, ascending, no repeats
    bool frames_listed = false;   // --frames, as opposed to a range or the sampled default
    int from_ms = 0;
    int to_ms = capture_timeline_end_ms;
    int fps = 0;         // 0: no range; frames come from --frames or the sampled default
    int every_ms = 5000; // contact sheet spacing, and the default run
    bool every_given = false;
    int width = 1280;
    int height = 720;
    std::string out_dir;
    std::string contact_sheet;
    std::string wav;
    std::string video;
    std::string music;
    bool strict = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool dry_run = false; // print the run's frame times and stop
    bool native = false;  // leave the renderer unpinned
};

// Parses argv. On a usage error returns false with the message (no program name) in error.
bool parse_capture_options(int argc, char** argv, CaptureOptions* options, std::string* error);

// Fills frame_times from the chosen selection once the options are parsed.
void plan_capture_run(CaptureOptions* options);

std::string capture_usage();
