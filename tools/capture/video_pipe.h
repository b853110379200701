// --video: frames and soundtrack handed to the ffmpeg program through a pipe (H.264 + AAC).
#pragma once

#include <string>

#include "platform/child_process.h"

struct VideoPipe {
    PlatformChild ffmpeg;
    std::string path;    // the video's final name
    std::string partial; // what ffmpeg writes, renamed onto path when it succeeded
};

// Starts ffmpeg reading width x height RGB frames (rows top to bottom) at fps from the pipe,
// with the WAV's sound from audio_offset_ms on, writing an MP4 of frame_count frames to a
// partial file next to path.
bool video_open(VideoPipe* video, const std::string& path, int width, int height, int fps,
                int frame_count, const std::string& wav_path, int audio_offset_ms,
                std::string* error);
bool video_write_frame(VideoPipe* video, const void* rgb, size_t bytes, std::string* error);
// Ends the input, waits for ffmpeg and puts the file in place when it succeeded. A stop request
// while waiting stops ffmpeg and fails with "interrupted".
bool video_close(VideoPipe* video, std::string* error);
// Stops ffmpeg after a failure elsewhere (killed if it does not end soon) and reaps it; does
// nothing when it is not running.
void video_abort(VideoPipe* video);
