// --video: frames and soundtrack handed to the ffmpeg program through a pipe (H.264 + AAC).
#pragma once

#include <string>
#include <sys/types.h>

// True when the program is an executable somewhere on PATH.
bool program_on_path(const char* name);

struct VideoPipe {
    pid_t pid = -1;
    int fd = -1;
    std::string path;
};

// Starts ffmpeg reading width x height RGB frames (rows top to bottom) at fps from the pipe,
// with the WAV's sound from audio_offset_ms on, writing an MP4 of frame_count frames to a
// partial file next to path.
bool video_open(VideoPipe* video, const std::string& path, int width, int height, int fps,
                int frame_count, const std::string& wav_path, int audio_offset_ms,
                std::string* error);
bool video_write_frame(VideoPipe* video, const void* rgb, size_t bytes, std::string* error);
// Ends the input, waits for ffmpeg and puts the file in place when it succeeded.
bool video_close(VideoPipe* video, std::string* error);
// Stops ffmpeg after a failure elsewhere.
void video_abort(VideoPipe* video);
