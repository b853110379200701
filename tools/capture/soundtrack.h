// The soundtrack for --wav and --video: the module decoded by libopenmpt exactly as the demo
// renders it for playback (48000 Hz, stereo, 32-bit float, once through), kept as a WAV.
#pragma once

#include <string>

#include "runtime/music_player.h"

constexpr int soundtrack_rate = music_rate;

// Checks that the module exists and libopenmpt can read it.
bool check_soundtrack(const std::string& music_path, std::string* error);

// Decodes the whole song into a WAV file (IEEE float) through a partial file. frames_out
// receives the number of stereo sample frames.
bool write_soundtrack_wav(const std::string& music_path, const std::string& wav_path,
                          long long* frames_out, std::string* error);
