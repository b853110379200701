// Figures of the rendered song besides loudness and onsets: stereo width, energy under the
// bass, where the sound ends, and the tempo changes of the row timeline.
#pragma once

#include <cstdint>
#include <vector>

#include "song_render.h"

// 10 log10 of the side energy over the mid energy (mid (L + R) / 2, side (L - R) / 2, summed
// over every frame); -inf for a mono signal.
double side_to_mid_db(const float* stereo, int64_t frames);

// The mono mix's average power spectrum: a Welch average of Hann-windowed
// low_band_fft_size-sample frames at half overlap (2.9 Hz bins at 48 kHz), bins 0 .. size / 2.
constexpr int low_band_fft_size = 16384;
std::vector<double> average_power_spectrum(const float* stereo, int64_t frames);
// The share of that spectrum's energy below cutoff_hz (DC included), in dB relative to all of
// it; -inf when there is none.
double low_band_share_db(const std::vector<double>& spectrum, int rate, double cutoff_hz);

// Seconds from the start to the end of the last sample of either channel whose magnitude
// exceeds threshold_dbfs; 0 when none does.
double audible_end_seconds(const float* stereo, int64_t frames, int rate, double threshold_dbfs);

// A change of row length in the row timeline.
struct TempoChange {
    double seconds; // where the first row at the new length starts
    int order, row;
    int old_speed, old_bpm, new_speed, new_bpm;
    double old_row_seconds, new_row_seconds;
    double measured_old_row_seconds; // the timeline's mean row length since the last change
};

// The row length of a speed (ticks per row) and bpm: a tick lasts 2.5 / bpm seconds.
inline double row_seconds(int speed, int bpm) {
    return bpm > 0 ? speed * 2.5 / bpm : 0.0;
}
std::vector<TempoChange> tempo_changes(const SongAudio& song);
