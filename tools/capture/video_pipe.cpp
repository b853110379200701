#include "video_pipe.h"

#include <cstdio>
#include <vector>

#include "output_files.h"
#include "runtime/demo.h"

bool video_open(VideoPipe* video, const std::string& path, int width, int height, int fps,
                int frame_count, const std::string& wav_path, int audio_offset_ms,
                std::string* error) {
    video->path = path;
    // Made here, exclusively, so the name is ours alone; ffmpeg then writes into it.
    FILE* f = create_partial(path, &video->partial, error);
    if (!f)
        return false;
    fclose(f);
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    char offset[32], duration[32];
    snprintf(offset, sizeof offset, "%d.%03d", audio_offset_ms / 1000, audio_offset_ms % 1000);
    snprintf(duration, sizeof duration, "%.6f", (double)frame_count / fps);
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
        "-video_size", size, "-framerate", std::to_string(fps), "-i", "pipe:0", "-ss", offset, "-i",
        wav_path, "-map", "0:v", "-map", "1:a?",
        // H.264 in 4:2:0 wants even sides.
        "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf",
        "18", "-c:a", "aac", "-b:a", "192k", "-t", duration, "-movflags", "+faststart", "-f", "mp4",
        video->partial};
    std::string why;
    if (!platform_spawn_with_input(args, &video->ffmpeg, &why)) {
        *error = "cannot start ffmpeg: " + why;
        drop_partial(video->partial);
        return false;
    }
    return true;
}

bool video_write_frame(VideoPipe* video, const void* rgb, size_t bytes, std::string* error) {
    if (platform_child_write(&video->ffmpeg, rgb, bytes, &demo_signal_received))
        return true;
    *error = demo_signal_received ? "interrupted"
                                  : "ffmpeg stopped taking frames (see its message above)";
    return false;
}

bool video_close(VideoPipe* video, std::string* error) {
    if (!platform_child_wait(&video->ffmpeg, &demo_signal_received)) {
        *error =
            demo_signal_received ? "interrupted" : "ffmpeg failed to encode '" + video->path + "'";
        remove_partials();
        return false;
    }
    return finish_partial(video->partial, video->path, error);
}

void video_abort(VideoPipe* video) {
    platform_child_stop(&video->ffmpeg);
}
