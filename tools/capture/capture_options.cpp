#include "capture_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/environment.h"
#include "platform/output_file.h"

static const char* capture_usage_head =
    "Usage: oske-capture [OPTIONS]\n"
    "Runs the demo headless on a virtual clock and writes the frames it draws.\n"
    "\n"
    "What to draw (one run; frame times in ms, 0 ... 200000):\n"
    "  --frames MS[,MS...]  draw only these frame times, in ascending order\n"
    "                       e.g. --frames 21000,60000\n"
    "  --from MS --to MS --fps N\n"
    "                       every frame of the range at N frames per second of demo time\n"
    "                       (frame k at from + trunc(k * 1000 / N)), N 1 ... 1000\n"
    "                       e.g. --from 20000 --to 24000 --fps 25\n"
    "  --every MS           without --frames or --fps: one frame every MS from --from\n"
    "                       (default 0) to --to (default 200000); default 5000. Also the\n"
    "                       spacing of the contact sheet's thumbnails\n"
    "\n"
    "What to write (at least one):\n"
    "  --out DIR            frame_NNNNNN.png per frame (NNNNNN = frame time in ms)\n"
    "                       e.g. --frames 21000 --out /tmp/f  ->  /tmp/f/frame_021000.png\n"
    "  --contact-sheet FILE one PNG of labelled thumbnails over the run\n"
    "                       e.g. --contact-sheet sheet.png  (the whole demo, every 5 s)\n"
    "  --wav FILE           the soundtrack as rendered: 48000 Hz, stereo, 32-bit float\n"
    "                       e.g. --wav music.wav\n"
    "  --video FILE         an MP4 (H.264 + AAC) of the run with its sound, made by ffmpeg;\n"
    "                       without --fps the run is --from ... --to at 30 fps\n"
    "                       e.g. --video oske.mp4 --fps 60\n"
    "\n"
    "Other options:\n"
    "  --size WxH           frame size in pixels (default 1280x720), e.g. --size 640x360\n"
    "  --music FILE         the soundtrack module (default ";
// The default soundtrack is where this platform installs it, so it is named at run time.
static const char* capture_usage_tail =
    ")\n"
    "  --native             lift the renderer's pin (below): faster, but the frames may\n"
    "                       differ from those another processor draws\n"
    "  --strict             exit with status 1 when any GL error was seen\n"
    "  --quiet              no progress bar\n"
    "  --dry-run            print the frame times the run would draw, one a line, and stop\n"
    "                       e.g. --from 0 --to 1000 --fps 30 --dry-run\n"
    "  --help               this text\n"
    "  --version            print the version and exit\n"
    "\n"
    "Runs without a display or sound card: SDL's offscreen video driver is used unless\n"
    "SDL_VIDEODRIVER is set, and no audio device is opened.\n"
    "Mesa's software renderer compiles its drawing for the processor it runs on, and the\n"
    "instruction set changes the rounding of the pixels. So that every x86-64 processor draws\n"
    "the same frames, the capture pins it to SSE4.1 (GALLIUM_OVERRIDE_CPU_CAPS=sse4.1) unless\n"
    "--native is given.\n"
    "Exit status: 0 done, 1 failure, 2 bad command line, 130 interrupted. Files appear only\n"
    "when complete (written under a .part name of the run's own, then renamed).\n";

std::string capture_usage() {
    return std::string(capture_usage_head) + platform_default_music_path() + capture_usage_tail;
}

static bool parse_int(const char* text, long long low, long long high, long long* value) {
    if (!*text || strchr(" \t\n+", *text))
        return false;
    errno = 0;
    char* end = nullptr;
    long long v = strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    if (v < low || v > high)
        return false;
    *value = v;
    return true;
}

static bool is_number(const char* text) {
    long long v;
    return parse_int(text, INT64_MIN, INT64_MAX, &v);
}

// A frame time: a whole number of ms within the timeline.
static bool parse_time(const std::string& option, const char* text, int* value,
                       std::string* error) {
    long long v;
    if (parse_int(text, 0, capture_timeline_end_ms, &v)) {
        *value = (int)v;
        return true;
    }
    if (is_number(text))
        *error = option + ": frame time " + text + " is outside 0 ... 200000 ms";
    else
        *error = option + ": '" + text + "' is not a whole number of milliseconds";
    return false;
}

static bool parse_frames(const char* text, std::vector<int>* times, std::string* error) {
    std::string list = text;
    size_t begin = 0;
    for (;;) {
        size_t comma = list.find(',', begin);
        std::string item = list.substr(begin, comma == std::string::npos ? comma : comma - begin);
        int ms;
        if (item.empty()) {
            *error = std::string("--frames: empty frame time in '") + text + "'";
            return false;
        }
        if (!parse_time("--frames", item.c_str(), &ms, error))
            return false;
        times->push_back(ms);
        if (comma == std::string::npos)
            return true;
        begin = comma + 1;
    }
}

static bool parse_size(const char* text, int* width, int* height, std::string* error) {
    const char* x = strchr(text, 'x');
    long long w = 0, h = 0;
    if (x) {
        std::string ws(text, x - text);
        if (parse_int(ws.c_str(), 0, INT32_MAX, &w) && parse_int(x + 1, 0, INT32_MAX, &h)) {
            if (w < 1 || h < 1) {
                *error = std::string("--size: ") + text + " has a zero side";
                return false;
            }
            if (w > capture_max_size || h > capture_max_size) {
                *error = std::string("--size: ") + text + " is beyond the GL limit of " +
                         std::to_string(capture_max_size) + " pixels a side";
                return false;
            }
            *width = (int)w;
            *height = (int)h;
            return true;
        }
    }
    *error = std::string("--size: '") + text + "' is not WIDTHxHEIGHT (e.g. 1280x720)";
    return false;
}

static bool is_option(const std::string& text) {
    return text.rfind("--", 0) == 0 || text == "-h";
}

// Two of the files named on the command line are one file: the later written would replace
// the other (or the soundtrack being read). Names as given, then what they name.
static bool same_file_named(const CaptureOptions& o, std::string* error) {
    struct Named {
        const char* option;
        const std::string* path;
        std::string identity;
    };
    std::vector<Named> files;
    for (Named named : {Named{"--out", &o.out_dir, ""},
                        Named{"--contact-sheet", &o.contact_sheet, ""}, Named{"--wav", &o.wav, ""},
                        Named{"--video", &o.video, ""}, Named{"--music", &o.music, ""}}) {
        if (named.path->empty())
            continue;
        named.identity = platform_file_identity(*named.path);
        for (const Named& earlier : files) {
            if (*earlier.path == *named.path ||
                (!named.identity.empty() && earlier.identity == named.identity)) {
                *error = std::string(earlier.option) + " and " + named.option +
                         " name the same file '" + *earlier.path + "'" +
                         (*earlier.path == *named.path ? "" : " ('" + *named.path + "')");
                return true;
            }
        }
        files.push_back(named);
    }
    return false;
}

bool parse_capture_options(int argc, char** argv, CaptureOptions* options, std::string* error) {
    CaptureOptions& o = *options;
    o.music = platform_default_music_path();
    bool from_given = false, to_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return true;
        }
        if (arg == "--version") {
            o.version = true;
            return true;
        }
        if (arg == "--strict") {
            o.strict = true;
            continue;
        }
        if (arg == "--quiet") {
            o.quiet = true;
            continue;
        }
        if (arg == "--dry-run") {
            o.dry_run = true;
            continue;
        }
        if (arg == "--native") {
            o.native = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            *error = "unexpected argument '" + arg + "' (options start with --; see --help)";
            return false;
        }
        // --name VALUE or --name=VALUE
        std::string name = arg, value;
        bool has_value = false;
        size_t eq = arg.find('=');
        if (eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            has_value = true;
        }
        static const char* valued[] = {"--frames", "--from",  "--to",   "--fps",
                                       "--every",  "--size",  "--out",  "--contact-sheet",
                                       "--wav",    "--video", "--music"};
        bool known = std::any_of(std::begin(valued), std::end(valued),
                                 [&](const char* v) { return name == v; });
        if (!known) {
            *error = "unknown option '" + name + "' (see --help)";
            return false;
        }
        if (!has_value) {
            if (i + 1 >= argc) {
                *error = "option " + name + " needs a value";
                return false;
            }
            // A forgotten value must not swallow the option after it (--out --quiet). Negative
            // numbers still pass, to be refused by range; --name=VALUE takes anything.
            if (is_option(argv[i + 1])) {
                *error = "option " + name + " needs a value, not the option '" + argv[i + 1] +
                         "' (write " + name + "=VALUE if that is the value)";
                return false;
            }
            value = argv[++i];
        }
        const char* v = value.c_str();
        bool is_path = name == "--out" || name == "--contact-sheet" || name == "--wav" ||
                       name == "--video" || name == "--music";
        if (is_path && value.empty()) {
            *error = "option " + name + " needs a non-empty path";
            return false;
        }
        long long n;
        if (name == "--frames") {
            if (!parse_frames(v, &o.frame_times, error))
                return false;
            o.frames_listed = true;
        } else if (name == "--from") {
            if (!parse_time(name, v, &o.from_ms, error))
                return false;
            from_given = true;
        } else if (name == "--to") {
            if (!parse_time(name, v, &o.to_ms, error))
                return false;
            to_given = true;
        } else if (name == "--fps") {
            if (!parse_int(v, 1, 1000, &n)) {
                *error = is_number(v) ? "--fps: " + value + " is outside 1 ... 1000"
                                      : "--fps: '" + value + "' is not a whole number";
                return false;
            }
            o.fps = (int)n;
        } else if (name == "--every") {
            if (!parse_int(v, 1, capture_timeline_end_ms, &n)) {
                *error = is_number(v) ? "--every: " + value + " is outside 1 ... 200000 ms"
                                      : "--every: '" + value + "' is not a whole number";
                return false;
            }
            o.every_ms = (int)n;
            o.every_given = true;
        } else if (name == "--size") {
            if (!parse_size(v, &o.width, &o.height, error))
                return false;
        } else if (name == "--out") {
            o.out_dir = value;
        } else if (name == "--contact-sheet") {
            o.contact_sheet = value;
        } else if (name == "--wav") {
            o.wav = value;
        } else if (name == "--video") {
            o.video = value;
        } else if (name == "--music") {
            o.music = value;
        }
    }
    if (o.frames_listed && (from_given || to_given || o.fps > 0)) {
        *error = "--frames cannot be combined with --from, --to or --fps";
        return false;
    }
    if (o.to_ms < o.from_ms) {
        *error =
            "--to " + std::to_string(o.to_ms) + " is before --from " + std::to_string(o.from_ms);
        return false;
    }
    if (!o.video.empty() && o.frames_listed) {
        *error = "--video needs evenly timed frames: use --from/--to/--fps, not --frames";
        return false;
    }
    if (!o.dry_run && o.out_dir.empty() && o.contact_sheet.empty() && o.wav.empty() &&
        o.video.empty()) {
        *error = "nothing to write: give --out, --contact-sheet, --wav or --video (see --help)";
        return false;
    }
    return !same_file_named(o, error);
}

void plan_capture_run(CaptureOptions* options) {
    CaptureOptions& o = *options;
    std::vector<int>& times = o.frame_times;
    if (o.frames_listed) {
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        return;
    }
    times.clear();
    if (o.fps == 0 && !o.video.empty())
        o.fps = capture_default_video_fps;
    if (o.fps > 0) {
        // N <= 1000 keeps consecutive frame times distinct.
        for (long long k = 0;; ++k) {
            long long t = o.from_ms + k * 1000 / o.fps;
            if (t > o.to_ms)
                break;
            times.push_back((int)t);
        }
        return;
    }
    for (long long t = o.from_ms; t <= o.to_ms; t += o.every_ms)
        times.push_back((int)t);
}
