// Loudness of stereo float audio as EBU R128 defines it, measured by libebur128: integrated
// loudness, loudness range, true peak, and momentary / short-term loudness over time.
#pragma once

#include <cstdint>
#include <vector>

struct LoudnessSummary {
    double integrated_lufs = 0; // -inf for silence
    double range_lu = 0;
    double true_peak_dbtp = 0; // the louder channel's
    double sample_peak_dbfs = 0;
};

// Momentary (400 ms) and short-term (3 s) loudness every step_seconds, each value measured over
// the window that ends at (index + 1) * step_seconds. Silence is -inf.
struct LoudnessCurve {
    double step_seconds = 0.1;
    std::vector<float> momentary_lufs;
    std::vector<float> short_term_lufs;
};

// The whole signal's figures, and its curve when curve is not null. False if libebur128 fails.
bool measure_loudness(const float* stereo, int64_t frames, int rate, LoudnessSummary* summary,
                      LoudnessCurve* curve);
// Integrated loudness of a stretch of the signal alone (-inf when it is silent or too short).
double integrated_loudness(const float* stereo, int64_t frames, int rate);
