// Onset strength: how sharply the sound's spectrum rises at a moment, as positive log-mel
// spectral flux.
//
// The signal is the mono mix (L + R) / 2. Frame k holds onset_frame_size samples centred on
// sample k * onset_hop (zeros before the start and after the end), under a periodic Hann window.
// Its power spectrum (scaled so a full-scale sine on a bin reads 0.25) goes through
// onset_bands triangular mel bands (HTK mel scale, 2595 log10(1 + f / 700)), their corner
// frequencies evenly spaced in mel from onset_low_hz to onset_high_hz, each band's triangle
// peaking at 1; a band too narrow to hold a bin takes its nearest bin. Each band's energy E
// becomes 10 log10(E + onset_floor) dB. The flux of frame k is the sum over the bands of
// max(0, dB in frame k - dB in frame k - 1), silence (every band at the floor) coming before
// the first frame. The onset strength at a
// moment is the largest flux of the frames whose centres lie from onset_before_seconds before
// it to onset_after_seconds after it.
#pragma once

#include <cstdint>
#include <vector>

constexpr int onset_frame_size = 1024;
constexpr int onset_hop = 256;
constexpr int onset_bands = 40;
constexpr double onset_low_hz = 30.0;
constexpr double onset_high_hz = 16000.0;
constexpr double onset_floor = 1e-10; // -94 dB under a full-scale sine: silence is not -inf
constexpr double onset_before_seconds = 0.010;
constexpr double onset_after_seconds = 0.030;

// Triangular mel bands over the bins 0 .. fft_size / 2 of a power spectrum.
struct MelFilterbank {
    int bands = 0;
    int fft_size = 0;
    std::vector<int> first_bin;              // per band
    std::vector<std::vector<float>> weights; // per band, from first_bin on
};

MelFilterbank mel_filterbank(int bands, double low_hz, double high_hz, int fft_size, int rate);
double hz_to_mel(double hz);
double mel_to_hz(double mel);

// Log-mel energies in dB, frame after frame (frame k centred on sample k * hop).
struct LogMel {
    int frame_count = 0;
    int bands = 0;
    int hop = 0;
    std::vector<float> db; // frame_count * bands, frame-major
};

LogMel log_mel_spectrogram(const std::vector<float>& mono, const MelFilterbank& bank, int hop);
// The mono mix (L + R) / 2 of interleaved stereo.
std::vector<float> mono_mix(const float* stereo, int64_t frames);
// Positive spectral flux of each frame.
std::vector<float> spectral_flux(const LogMel& mel);
// The song's onset flux as defined above, from its interleaved stereo samples.
std::vector<float> onset_flux(const float* stereo, int64_t frames, int rate);
// Onset strength at sample `at` from the flux of onset_hop-spaced frames.
float onset_strength(const std::vector<float>& flux, int rate, int64_t at);
