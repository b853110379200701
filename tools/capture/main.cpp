// oske-capture: runs the demo's own start-up, frames and shut-down on a virtual clock, headless,
// and writes what it draws: PNG frames, a contact sheet, the soundtrack, a video.
#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "capture_options.h"
#include "contact_sheet.h"
#include "output_files.h"
#include "platform/child_process.h"
#include "platform/environment.h"
#include "platform/output_file.h"
#include "progress.h"
#include "render/gl.h"
#include "runtime/command_line.h"
#include "runtime/demo.h"
#include "runtime/virtual_clock.h"
#include "soundtrack.h"
#include "video_pipe.h"

static const int exit_failure = 1;
static const int exit_usage = 2;
static const int exit_interrupted = 130;

static int fail(const std::string& message, int status = exit_failure) {
    fprintf(stderr, "oske-capture: %s\n", message.c_str());
    remove_partials();
    return status;
}

static const char* gl_error_name(GLenum e) {
    switch (e) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    default:
        return "unknown GL error";
    }
}

// Which frames of the run go on the contact sheet: every listed frame, or else the first frame
// at or after each multiple of --every from the start of the run.
static std::vector<bool> contact_sheet_picks(const CaptureOptions& o) {
    const std::vector<int>& times = o.frame_times;
    std::vector<bool> picks(times.size(), false);
    if (o.frames_listed && !o.every_given) {
        picks.assign(times.size(), true);
        return picks;
    }
    long long next = times.empty() ? 0 : times.front();
    for (size_t i = 0; i < times.size(); ++i) {
        if (times[i] >= next) {
            picks[i] = true;
            while (next <= times[i])
                next += o.every_ms;
        }
    }
    return picks;
}

static RgbImage read_frame(int width, int height) {
    std::vector<uint8_t> rows((size_t)width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(rows.size());
    size_t stride = (size_t)width * 3;
    for (int y = 0; y < height; ++y) // GL's rows run bottom to top
        std::copy_n(&rows[(size_t)(height - 1 - y) * stride], stride, &image.pixels[y * stride]);
    return image;
}

struct GlErrorTally {
    int count = 0;
    GLenum first = GL_NO_ERROR;
    int first_frame_ms = 0;
};

static void collect_gl_errors(GlErrorTally* tally, int frame_ms) {
    // A broken context can report errors forever; a frame's worth is plenty.
    for (int i = 0; i < 64; ++i) {
        GLenum e = glGetError();
        if (e == GL_NO_ERROR)
            return;
        if (tally->count++ == 0) {
            tally->first = e;
            tally->first_frame_ms = frame_ms;
        }
    }
}

// The run's ffmpeg, if any, where the last resort below can stop it.
static VideoPipe capture_video;

static int capture_main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parse_capture_options(argc, argv, &options, &error))
        return fail(error, exit_usage);
    if (options.help) {
        fputs(capture_usage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        fputs(version_text("oske-capture").c_str(), stdout);
        return 0;
    }
    plan_capture_run(&options);
    // Sized now, so that a sheet too big to make is refused before anything is drawn.
    const std::vector<bool> picks = contact_sheet_picks(options);
    const int sheet_count = (int)std::count(picks.begin(), picks.end(), true);
    if (!options.contact_sheet.empty() &&
        !contact_sheet_fits(sheet_count, options.width, options.height, &error))
        return fail(error, exit_usage);
    if (options.dry_run) {
        for (int t : options.frame_times)
            printf("%d\n", t);
        return 0;
    }
    // Installed now, not only at start-up, so that an interruption while the soundtrack is
    // decoded still lets us remove the partial files.
    demo_install_signal_handlers();
    if (const char* headless = platform_headless_video_driver())
        platform_set_env_default("SDL_VIDEODRIVER", headless);
    if (!options.native)
        platform_set_env(capture_pin_variable, capture_pin_value);

    const bool draws =
        !options.out_dir.empty() || !options.contact_sheet.empty() || !options.video.empty();
    if (!options.out_dir.empty() && !prepare_output_dir(options.out_dir, &error))
        return fail(error);
    for (const std::string* file : {&options.contact_sheet, &options.wav, &options.video})
        if (!file->empty() && !check_output_file(*file, &error))
            return fail(error);
    if (!options.video.empty() && !platform_program_on_path("ffmpeg"))
        return fail("ffmpeg is not installed: --video needs " + platform_program_wanted("ffmpeg"));
    if (!check_soundtrack(options.music, &error))
        return fail(error);

    std::string video_wav = options.wav;
    if (!options.wav.empty() || !options.video.empty()) {
        if (video_wav.empty()) {
            // The video's own soundtrack: a name no other run has, removed with the partial
            // files at the end; the WAV is written over it.
            std::string why;
            FILE* f = platform_create_unique(platform_temp_dir() + "/oske-capture", ".wav",
                                             &video_wav, &why);
            if (!f)
                return fail("cannot write a temporary file in '" + platform_temp_dir() +
                            "': " + why);
            fclose(f);
            track_partial(video_wav);
        }
        long long sound_frames = 0;
        if (!write_soundtrack_wav(options.music, video_wav, &sound_frames, &error))
            return fail(error, demo_signal_received ? exit_interrupted : exit_failure);
        if (!options.wav.empty() && !options.quiet)
            fprintf(stderr, "oske-capture: wrote %s (%lld frames, %.3f s at %d Hz)\n",
                    options.wav.c_str(), sound_frames, (double)sound_frames / soundtrack_rate,
                    soundtrack_rate);
    }
    if (demo_signal_received)
        return fail("interrupted", exit_interrupted);
    if (!draws)
        return 0;

    virtual_clock_install();
    DemoOptions demo = demo_default_options();
    demo.music_path = options.music.c_str();
    demo.audio = false;
    demo.window.width = options.width;
    demo.window.height = options.height;
    demo.window.hidden = true;
    if (demo_startup(demo) != 0)
        return fail("the demo could not start (see the message above)");

    GLint max_dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, max_dims);
    if (options.width > max_dims[0] || options.height > max_dims[1]) {
        demo_shutdown();
        return fail("--size " + std::to_string(options.width) + "x" +
                        std::to_string(options.height) + " is beyond this GL's limit of " +
                        std::to_string(max_dims[0]) + "x" + std::to_string(max_dims[1]),
                    exit_usage);
    }
    // Errors left by start-up (texture uploads, scene inits) count too, named as such.
    GlErrorTally gl_errors;
    collect_gl_errors(&gl_errors, -1);

    const std::vector<int>& times = options.frame_times;
    ContactSheet sheet;
    if (!options.contact_sheet.empty())
        sheet = contact_sheet_begin(sheet_count, options.width, options.height);
    VideoPipe& video = capture_video;
    if (!options.video.empty() &&
        !video_open(&video, options.video, options.width, options.height, options.fps,
                    (int)times.size(), video_wav, options.from_ms, &error)) {
        demo_shutdown();
        return fail(error);
    }

    Progress progress = progress_begin((int)times.size(), options.quiet);
    int drawn = 0;
    bool ok = true, interrupted = false;
    for (size_t i = 0; i < times.size() && ok; ++i) {
        virtual_clock_set_frame(times[i]);
        demo_poll_events();
        if (demo_quit) {
            interrupted = true;
            break;
        }
        int frame_ms = demo_render_frame();
        if (frame_ms != times[i]) {
            error = "the clock gave " + std::to_string(frame_ms) + " ms for frame time " +
                    std::to_string(times[i]);
            ok = false;
            break;
        }
        RgbImage frame = read_frame(options.width, options.height);
        collect_gl_errors(&gl_errors, frame_ms);
        SDL_GL_SwapWindow(demo_window);
        ++drawn;

        if (!options.out_dir.empty())
            ok = write_png(frame_file_name(options.out_dir, frame_ms), frame, &error);
        if (ok && !options.contact_sheet.empty() && picks[i])
            contact_sheet_add(&sheet, frame, frame_ms);
        if (ok && !options.video.empty())
            ok = video_write_frame(&video, frame.pixels.data(), frame.pixels.size(), &error);
        progress_step(&progress);
    }
    progress_end(&progress);
    if (demo_signal_received)
        interrupted = true;
    demo_shutdown();
    virtual_clock_uninstall();

    if (interrupted || !ok) {
        video_abort(&video);
        return interrupted ? fail("interrupted", exit_interrupted) : fail(error);
    }
    // ffmpeg must not outlive us: a failure from here on stops it too.
    if (!options.contact_sheet.empty() && !write_png(options.contact_sheet, sheet.image, &error)) {
        video_abort(&video);
        return fail(error);
    }
    if (!options.video.empty() && !video_close(&video, &error))
        return fail(error, demo_signal_received ? exit_interrupted : exit_failure);
    remove_partials(); // the video's private soundtrack

    printf("oske-capture: drew %d frame%s, %d GL error%s", drawn, drawn == 1 ? "" : "s",
           gl_errors.count, gl_errors.count == 1 ? "" : "s");
    if (gl_errors.count && gl_errors.first_frame_ms < 0)
        printf(" (first: %s at start-up)", gl_error_name(gl_errors.first));
    else if (gl_errors.count)
        printf(" (first: %s at %d ms)", gl_error_name(gl_errors.first), gl_errors.first_frame_ms);
    printf("\n");
    fflush(stdout);
    if (options.strict && gl_errors.count)
        return fail("GL errors seen and --strict given");
    return 0;
}

int main(int argc, char** argv) {
    try {
        return capture_main(argc, argv);
    } catch (const std::bad_alloc&) {
        // A buffer the machine cannot give: end as any failed run does, not by an abort that
        // leaves partial files and ffmpeg behind.
        video_abort(&capture_video);
        return fail("out of memory");
    }
}
