#include "loudness.h"

#include <algorithm>
#include <cmath>
#include <ebur128.h>

static double db_of_amplitude(double a) {
    return a > 0 ? 20.0 * std::log10(a) : -HUGE_VAL;
}

bool measure_loudness(const float* stereo, int64_t frames, int rate, LoudnessSummary* summary,
                      LoudnessCurve* curve) {
    int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK |
               EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_M | EBUR128_MODE_S;
    ebur128_state* st = ebur128_init(2, (unsigned long)rate, mode);
    if (!st)
        return false;
    bool ok = true;
    // Fed in curve steps so the momentary and short-term values can be read after each.
    const int64_t step = curve ? (int64_t)std::lround(curve->step_seconds * rate) : 65536;
    if (curve) {
        curve->momentary_lufs.clear();
        curve->short_term_lufs.clear();
    }
    for (int64_t at = 0; ok && at < frames; at += step) {
        int64_t n = std::min(step, frames - at);
        ok = ebur128_add_frames_float(st, stereo + at * 2, (size_t)n) == EBUR128_SUCCESS;
        if (ok && curve && n == step) {
            double m = -HUGE_VAL, s = -HUGE_VAL;
            ebur128_loudness_momentary(st, &m);
            ebur128_loudness_shortterm(st, &s);
            curve->momentary_lufs.push_back((float)m);
            curve->short_term_lufs.push_back((float)s);
        }
    }
    double peak[2] = {0, 0}, sample[2] = {0, 0};
    ok = ok && ebur128_loudness_global(st, &summary->integrated_lufs) == EBUR128_SUCCESS &&
         ebur128_loudness_range(st, &summary->range_lu) == EBUR128_SUCCESS;
    for (unsigned c = 0; ok && c < 2; ++c)
        ok = ebur128_true_peak(st, c, &peak[c]) == EBUR128_SUCCESS &&
             ebur128_sample_peak(st, c, &sample[c]) == EBUR128_SUCCESS;
    summary->true_peak_dbtp = db_of_amplitude(std::max(peak[0], peak[1]));
    summary->sample_peak_dbfs = db_of_amplitude(std::max(sample[0], sample[1]));
    ebur128_destroy(&st);
    return ok;
}

double integrated_loudness(const float* stereo, int64_t frames, int rate) {
    ebur128_state* st = ebur128_init(2, (unsigned long)rate, EBUR128_MODE_I);
    double lufs = -HUGE_VAL;
    if (!st)
        return lufs;
    if (frames > 0 && ebur128_add_frames_float(st, stereo, (size_t)frames) == EBUR128_SUCCESS)
        ebur128_loudness_global(st, &lufs);
    ebur128_destroy(&st);
    return lufs;
}
