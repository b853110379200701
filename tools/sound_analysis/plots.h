// Pictures of the soundtrack for reading by eye: a mel spectrogram and loudness over time, both
// with the song's sections marked, written as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "loudness.h"
#include "onsets.h"
#include "song_render.h"

struct PlotImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3
};

constexpr int plot_width = 1600;
constexpr int spectrogram_bands = 120; // 30 Hz to 20 kHz, two pixel rows each
constexpr double spectrogram_high_hz = 20000.0;

// Time on x (the whole song), mel bands on y (low at the bottom), 80 dB of colour under the
// loudest cell; section starts are white lines with the section's number.
PlotImage spectrogram_plot(const LogMel& mel, const SongAudio& song,
                           const std::vector<SectionSpan>& sections);
// Momentary (dim) and short-term (bright) loudness from -40 to 0 LUFS, each section's
// integrated loudness as a white bar across it, the target as a green line.
PlotImage loudness_plot(const LoudnessCurve& curve, const SongAudio& song,
                        const std::vector<SectionSpan>& sections,
                        const std::vector<double>& section_lufs, double target_lufs);
// How the song repeats itself: the cosine similarity (negative as none) of the mean mel spectra,
// less the song's mean spectrum, of every pair of segment_seconds-long stretches, time running
// right and down, with the sections' starts marked. Repeated material shows as bright
// diagonals and blocks.
PlotImage self_similarity_plot(const LogMel& mel, const SongAudio& song,
                               const std::vector<SectionSpan>& sections, double segment_seconds);
bool write_plot_png(const std::string& path, const PlotImage& image, std::string* error);
