#include "fft.h"

#include <cmath>
#include <numbers>

FftPlan fft_plan(int size) {
    FftPlan plan;
    plan.size = size;
    int bits = 0;
    while ((1 << bits) < size)
        ++bits;
    plan.reversed.resize(size);
    for (int i = 0; i < size; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            r |= ((i >> b) & 1) << (bits - 1 - b);
        plan.reversed[i] = r;
    }
    plan.turn.resize(size / 2);
    for (int k = 0; k < size / 2; ++k)
        plan.turn[k] = std::polar(1.0, -2.0 * std::numbers::pi * k / size);
    return plan;
}

void fft_forward(const FftPlan& plan, std::complex<double>* values) {
    const int n = plan.size;
    for (int i = 0; i < n; ++i)
        if (i < plan.reversed[i])
            std::swap(values[i], values[plan.reversed[i]]);
    for (int len = 2; len <= n; len *= 2) {
        const int half = len / 2, stride = n / len;
        for (int start = 0; start < n; start += len)
            for (int k = 0; k < half; ++k) {
                std::complex<double> odd = values[start + k + half] * plan.turn[k * stride];
                values[start + k + half] = values[start + k] - odd;
                values[start + k] += odd;
            }
    }
}

std::vector<double> hann_window(int size) {
    std::vector<double> w(size);
    for (int i = 0; i < size; ++i)
        w[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / size);
    return w;
}

void windowed_power_spectra(const FftPlan& plan, const std::vector<double>& window, const float* a,
                            const float* b, std::vector<std::complex<double>>* scratch,
                            double* power_a, double* power_b) {
    const int n = plan.size;
    scratch->resize(n);
    std::complex<double>* x = scratch->data();
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        x[i] = {a[i] * window[i], b ? b[i] * window[i] : 0.0};
        sum += window[i];
    }
    fft_forward(plan, x);
    // With X the transform of a + i b: A_k = (X_k + conj X_-k) / 2, B_k = (X_k - conj X_-k) / 2i.
    const double scale = 0.25 / (sum * sum);
    for (int k = 0; k <= n / 2; ++k) {
        std::complex<double> mirror = std::conj(x[(n - k) % n]);
        power_a[k] = std::norm(x[k] + mirror) * scale;
        if (b)
            power_b[k] = std::norm(x[k] - mirror) * scale;
    }
}

void windowed_power_spectrum(const FftPlan& plan, const std::vector<double>& window,
                             const float* frame, std::vector<std::complex<double>>* scratch,
                             double* power) {
    windowed_power_spectra(plan, window, frame, nullptr, scratch, power, nullptr);
}
