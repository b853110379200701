// A small in-place radix-2 FFT, for the soundtrack's spectra (a few thousand transforms of one
// size per song, so tables are made once per size).
#pragma once

#include <complex>
#include <vector>

struct FftPlan {
    int size = 0;                           // a power of two
    std::vector<int> reversed;              // bit-reversed index of each element
    std::vector<std::complex<double>> turn; // e^(-2 pi i k / size), k < size / 2
};

FftPlan fft_plan(int size);
// Forward transform of plan.size values, in place (no scaling).
void fft_forward(const FftPlan& plan, std::complex<double>* values);
// Hann window of the given length (periodic, as for spectral analysis).
std::vector<double> hann_window(int size);
// |X_k|^2 for k = 0 .. size/2 of a real frame (size values) under the window, divided by the
// squared sum of the window, so a full-scale sine on a bin reads 0.25 there.
void windowed_power_spectrum(const FftPlan& plan, const std::vector<double>& window,
                             const float* frame, std::vector<std::complex<double>>* scratch,
                             double* power);
// The same for two frames at once, from one transform of a + i b (b null: a alone).
void windowed_power_spectra(const FftPlan& plan, const std::vector<double>& window, const float* a,
                            const float* b, std::vector<std::complex<double>>* scratch,
                            double* power_a, double* power_b);
