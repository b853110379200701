#include "signal_figures.h"

#include <cmath>

#include "fft.h"
#include "onsets.h"

static double ratio_db(double part, double whole) {
    if (part <= 0)
        return -HUGE_VAL;
    return 10.0 * std::log10(part / whole);
}

double side_to_mid_db(const float* stereo, int64_t frames) {
    double mid = 0, side = 0;
    for (int64_t i = 0; i < frames; ++i) {
        double l = stereo[2 * i], r = stereo[2 * i + 1];
        mid += 0.25 * (l + r) * (l + r);
        side += 0.25 * (l - r) * (l - r);
    }
    if (mid <= 0)
        return side > 0 ? HUGE_VAL : -HUGE_VAL;
    return ratio_db(side, mid);
}

std::vector<double> average_power_spectrum(const float* stereo, int64_t frames) {
    const int n = low_band_fft_size;
    std::vector<float> mono = mono_mix(stereo, frames);
    mono.resize(std::max<size_t>(mono.size(), n), 0.0f);
    FftPlan plan = fft_plan(n);
    std::vector<double> window = hann_window(n);
    std::vector<std::complex<double>> scratch;
    std::vector<double> power(n / 2 + 1), sum(n / 2 + 1, 0.0);
    int count = 0;
    for (size_t start = 0; start + n <= mono.size(); start += n / 2, ++count) {
        windowed_power_spectrum(plan, window, &mono[start], &scratch, power.data());
        for (int k = 0; k <= n / 2; ++k)
            sum[k] += power[k];
    }
    for (double& p : sum)
        p /= count;
    return sum;
}

double low_band_share_db(const std::vector<double>& spectrum, int rate, double cutoff_hz) {
    const double bin_hz = (double)rate / ((spectrum.size() - 1) * 2);
    double low = 0, all = 0;
    for (size_t k = 0; k < spectrum.size(); ++k) {
        all += spectrum[k];
        if (k * bin_hz < cutoff_hz)
            low += spectrum[k];
    }
    return all > 0 ? ratio_db(low, all) : -HUGE_VAL;
}

double audible_end_seconds(const float* stereo, int64_t frames, int rate, double threshold_dbfs) {
    const float threshold = (float)std::pow(10.0, threshold_dbfs / 20.0);
    for (int64_t i = frames - 1; i >= 0; --i)
        if (std::fabs(stereo[2 * i]) > threshold || std::fabs(stereo[2 * i + 1]) > threshold)
            return (double)(i + 1) / rate;
    return 0.0;
}

std::vector<TempoChange> tempo_changes(const SongAudio& song) {
    std::vector<TempoChange> changes;
    size_t since = 0;
    for (size_t i = 1; i < song.rows.size(); ++i) {
        const SongRow& a = song.rows[i - 1];
        const SongRow& b = song.rows[i];
        double was = row_seconds(a.speed, a.bpm), now = row_seconds(b.speed, b.bpm);
        if (std::fabs(was - now) > 1e-9) {
            double measured = song_seconds(song, b.frame - song.rows[since].frame) / (i - since);
            changes.push_back({song_seconds(song, b.frame), b.order, b.row, a.speed, a.bpm, b.speed,
                               b.bpm, was, now, measured});
            since = i;
        }
    }
    return changes;
}
