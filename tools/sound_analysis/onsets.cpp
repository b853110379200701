#include "onsets.h"

#include <algorithm>
#include <cmath>

#include "fft.h"

double hz_to_mel(double hz) {
    return 2595.0 * std::log10(1.0 + hz / 700.0);
}

double mel_to_hz(double mel) {
    return 700.0 * (std::pow(10.0, mel / 2595.0) - 1.0);
}

MelFilterbank mel_filterbank(int bands, double low_hz, double high_hz, int fft_size, int rate) {
    MelFilterbank bank;
    bank.bands = bands;
    bank.fft_size = fft_size;
    const int bins = fft_size / 2 + 1;
    const double bin_hz = (double)rate / fft_size;
    const double low = hz_to_mel(low_hz), high = hz_to_mel(high_hz);
    std::vector<double> corner(bands + 2);
    for (int i = 0; i < bands + 2; ++i)
        corner[i] = mel_to_hz(low + (high - low) * i / (bands + 1));
    for (int b = 0; b < bands; ++b) {
        const double l = corner[b], c = corner[b + 1], h = corner[b + 2];
        std::vector<float> w(bins, 0.0f);
        int first = bins, last = -1;
        for (int k = 0; k < bins; ++k) {
            double f = k * bin_hz;
            double v = std::min((f - l) / (c - l), (h - f) / (h - c));
            if (v > 0) {
                w[k] = (float)v;
                first = std::min(first, k);
                last = k;
            }
        }
        if (last < 0) {
            first = last = std::clamp((int)std::lround(c / bin_hz), 0, bins - 1);
            w[first] = 1.0f;
        }
        bank.first_bin.push_back(first);
        bank.weights.emplace_back(w.begin() + first, w.begin() + last + 1);
    }
    return bank;
}

// frame (n samples) centred on sample `centre`, zeros outside the signal.
static void take_frame(const std::vector<float>& mono, int64_t centre, std::vector<float>* frame) {
    const int n = (int)frame->size();
    const int64_t start = centre - n / 2, count = (int64_t)mono.size();
    for (int i = 0; i < n; ++i) {
        int64_t at = start + i;
        (*frame)[i] = at >= 0 && at < count ? mono[(size_t)at] : 0.0f;
    }
}

static void mel_bands_db(const MelFilterbank& bank, const double* power, float* out) {
    for (int b = 0; b < bank.bands; ++b) {
        double e = 0;
        const std::vector<float>& w = bank.weights[b];
        for (size_t j = 0; j < w.size(); ++j)
            e += w[j] * power[bank.first_bin[b] + j];
        out[b] = (float)(10.0 * std::log10(e + onset_floor));
    }
}

LogMel log_mel_spectrogram(const std::vector<float>& mono, const MelFilterbank& bank, int hop) {
    const int n = bank.fft_size;
    LogMel mel;
    mel.bands = bank.bands;
    mel.hop = hop;
    mel.frame_count = (int)(((int64_t)mono.size() + hop - 1) / hop);
    mel.db.resize((size_t)mel.frame_count * bank.bands);
    FftPlan plan = fft_plan(n);
    std::vector<double> window = hann_window(n);
    std::vector<std::complex<double>> scratch;
    std::vector<double> power_a(n / 2 + 1), power_b(n / 2 + 1);
    std::vector<float> frame_a(n), frame_b(n);
    // Two frames per transform: the spectra are real, so half the work.
    for (int k = 0; k < mel.frame_count; k += 2) {
        const bool pair = k + 1 < mel.frame_count;
        take_frame(mono, (int64_t)k * hop, &frame_a);
        if (pair)
            take_frame(mono, (int64_t)(k + 1) * hop, &frame_b);
        windowed_power_spectra(plan, window, frame_a.data(), pair ? frame_b.data() : nullptr,
                               &scratch, power_a.data(), power_b.data());
        mel_bands_db(bank, power_a.data(), &mel.db[(size_t)k * bank.bands]);
        if (pair)
            mel_bands_db(bank, power_b.data(), &mel.db[(size_t)(k + 1) * bank.bands]);
    }
    return mel;
}

std::vector<float> mono_mix(const float* stereo, int64_t frames) {
    std::vector<float> mono((size_t)frames);
    for (int64_t i = 0; i < frames; ++i)
        mono[(size_t)i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    return mono;
}

std::vector<float> spectral_flux(const LogMel& mel) {
    std::vector<float> flux((size_t)mel.frame_count, 0.0f);
    // Before the first frame there is silence: every band at the floor.
    const std::vector<float> silence(mel.bands, (float)(10.0 * std::log10(onset_floor)));
    for (int k = 0; k < mel.frame_count; ++k) {
        const float* now = &mel.db[(size_t)k * mel.bands];
        const float* before = k > 0 ? now - mel.bands : silence.data();
        double sum = 0;
        for (int b = 0; b < mel.bands; ++b)
            sum += std::max(0.0f, now[b] - before[b]);
        flux[(size_t)k] = (float)sum;
    }
    return flux;
}

std::vector<float> onset_flux(const float* stereo, int64_t frames, int rate) {
    MelFilterbank bank =
        mel_filterbank(onset_bands, onset_low_hz, onset_high_hz, onset_frame_size, rate);
    return spectral_flux(log_mel_spectrogram(mono_mix(stereo, frames), bank, onset_hop));
}

float onset_strength(const std::vector<float>& flux, int rate, int64_t at) {
    const int64_t before = std::lround(onset_before_seconds * rate);
    const int64_t after = std::lround(onset_after_seconds * rate);
    // Frames whose centre k * hop lies in [at - before, at + after].
    int64_t first = std::max<int64_t>(0, (at - before + onset_hop - 1) / onset_hop);
    if (at - before < 0)
        first = 0;
    int64_t last = std::min<int64_t>((int64_t)flux.size() - 1, (at + after) / onset_hop);
    float best = 0.0f;
    for (int64_t k = first; k <= last; ++k)
        best = std::max(best, flux[(size_t)k]);
    return best;
}
