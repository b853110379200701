// The measuring itself, on signals whose answers are known: the FFT against a plain DFT, mel
// bands, onsets at clicks, accent ratios of a made-up song, loudness of EBU test tones, stereo
// width, the low band and the audible end.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <set>
#include <vector>

#include "accents.h"
#include "fft.h"
#include "loudness.h"
#include "onsets.h"
#include "runtime/trigger_positions.h"
#include "signal_figures.h"
#include "song.h"
#include "song_render.h"

namespace {

constexpr int rate = 48000;

// Deterministic noise in [-1, 1).
struct Noise {
    uint32_t state = 12345;
    float next() {
        state = state * 1664525u + 1013904223u;
        return (float)(state >> 8) / (1 << 23) - 1.0f;
    }
};

// Interleaved stereo of a sine in both channels.
std::vector<float> stereo_sine(double hz, double amplitude, double seconds) {
    std::vector<float> s((size_t)(seconds * rate) * 2);
    for (size_t i = 0; i < s.size() / 2; ++i)
        s[2 * i] = s[2 * i + 1] =
            (float)(amplitude * std::sin(2 * std::numbers::pi * hz * (double)i / rate));
    return s;
}

TEST(SoundAnalysisSpectrum, FftMatchesAPlainDftAndPowerIsScaledToTheWindow) {
    const int n = 64;
    Noise noise;
    std::vector<std::complex<double>> x(n), fast(n);
    for (int i = 0; i < n; ++i)
        fast[i] = x[i] = {noise.next(), noise.next()};
    fft_forward(fft_plan(n), fast.data());
    for (int k = 0; k < n; ++k) {
        std::complex<double> sum = 0;
        for (int i = 0; i < n; ++i)
            sum += x[i] * std::polar(1.0, -2 * std::numbers::pi * k * i / n);
        EXPECT_NEAR(std::abs(fast[k] - sum), 0.0, 1e-9) << "bin " << k;
    }
    // A full-scale sine on bin 32 of 1024 reads 0.25 there and next to nothing far from it.
    const int size = 1024;
    std::vector<float> frame(size);
    for (int i = 0; i < size; ++i)
        frame[i] = (float)std::sin(2 * std::numbers::pi * 32 * i / size);
    std::vector<std::complex<double>> scratch;
    std::vector<double> power(size / 2 + 1);
    windowed_power_spectrum(fft_plan(size), hann_window(size), frame.data(), &scratch,
                            power.data());
    EXPECT_NEAR(power[32], 0.25, 1e-6);
    EXPECT_LT(power[40], 1e-12);
    // Two frames through one transform give each frame's own spectrum.
    std::vector<float> other(size);
    for (float& v : other)
        v = noise.next();
    std::vector<double> alone(size / 2 + 1), first(size / 2 + 1), second(size / 2 + 1);
    windowed_power_spectrum(fft_plan(size), hann_window(size), other.data(), &scratch,
                            alone.data());
    windowed_power_spectra(fft_plan(size), hann_window(size), frame.data(), other.data(), &scratch,
                           first.data(), second.data());
    for (int k = 0; k <= size / 2; ++k) {
        EXPECT_NEAR(first[k], power[k], 1e-9) << "bin " << k;
        EXPECT_NEAR(second[k], alone[k], 1e-9) << "bin " << k;
    }
}

TEST(SoundAnalysisSpectrum, MelBandsCoverTheirRangeAndASineLightsItsOwnBand) {
    MelFilterbank bank =
        mel_filterbank(onset_bands, onset_low_hz, onset_high_hz, onset_frame_size, rate);
    ASSERT_EQ(bank.bands, onset_bands);
    for (int b = 0; b < bank.bands; ++b) {
        ASSERT_FALSE(bank.weights[b].empty()) << "band " << b;
        if (b > 0) {
            EXPECT_GE(bank.first_bin[b], bank.first_bin[b - 1]) << "band " << b;
        }
    }
    EXPECT_NEAR(mel_to_hz(hz_to_mel(1000.0)), 1000.0, 1e-9);
    // 1 kHz: the loudest band is the one whose centre lies nearest 1 kHz in mel.
    std::vector<float> tone = mono_mix(stereo_sine(1000.0, 0.5, 0.1).data(), rate / 10);
    LogMel mel = log_mel_spectrogram(tone, bank, onset_hop);
    const float* frame = &mel.db[(size_t)(mel.frame_count / 2) * mel.bands];
    int loudest = 0;
    for (int b = 0; b < mel.bands; ++b)
        if (frame[b] > frame[loudest])
            loudest = b;
    double step = (hz_to_mel(onset_high_hz) - hz_to_mel(onset_low_hz)) / (onset_bands + 1);
    int expected = (int)std::lround((hz_to_mel(1000.0) - hz_to_mel(onset_low_hz)) / step) - 1;
    EXPECT_EQ(loudest, expected);
}

TEST(SoundAnalysisOnsets, ClicksOverQuietNoiseStandOutWhereTheyStrike) {
    // One second of faint noise with a 2 ms burst every 250 ms from 100 ms on.
    const int64_t frames = rate;
    std::vector<float> stereo((size_t)frames * 2);
    Noise noise;
    std::vector<int64_t> clicks;
    for (int64_t at = rate / 10; at + rate / 10 < frames; at += rate / 4)
        clicks.push_back(at);
    for (int64_t i = 0; i < frames; ++i)
        stereo[2 * i] = stereo[2 * i + 1] = 0.001f * noise.next();
    for (int64_t c : clicks)
        for (int i = 0; i < rate / 500; ++i)
            stereo[2 * (c + i)] = stereo[2 * (c + i) + 1] = 0.5f * noise.next();
    std::vector<float> flux = onset_flux(stereo.data(), frames, rate);
    ASSERT_EQ((int64_t)flux.size(), (frames + onset_hop - 1) / onset_hop);
    for (int64_t c : clicks) {
        float at_click = onset_strength(flux, rate, c);
        float between = onset_strength(flux, rate, c + rate / 8);
        EXPECT_GT(at_click, 5 * between) << "click at " << c;
        // A frame sees the click while it lies within 10.7 ms of the frame's centre, and the
        // flux peaks as the click enters: the moment is found from 30 ms after the click's
        // moment to 10 ms before it, so a click 25 ms after a moment counts for it, one 45 ms
        // after does not, nor does one 15 ms before.
        EXPECT_GT(onset_strength(flux, rate, c - rate / 40), 0.9 * at_click);
        EXPECT_LT(onset_strength(flux, rate, c - rate * 45 / 1000), 0.1 * at_click);
        EXPECT_LT(onset_strength(flux, rate, c + rate * 15 / 1000), 0.2 * at_click);
    }
}

// A song of our own in the section holding scene 3's positions: rows of 2048 frames over faint
// noise, a loud burst on every trigger position and a faint one on every other beat.
TEST(SoundAnalysisAccents, TriggersLouderThanTheBeatsReadAsAccentsOfTheirSection) {
    const TriggerList& list = scene3_trigger_list;
    const int section = song_section_of_order(list.positions[0].order);
    ASSERT_GE(section, 0);
    const SongSection& sec = song_sections[section];
    std::set<std::pair<int, int>> triggers;
    for (const TriggerList* l : trigger_lists)
        for (int i = 0; i < l->count; ++i)
            triggers.insert({l->positions[i].order, l->positions[i].row});

    SongAudio song;
    song.rate = rate;
    const int row_frames = 2048, lead_in = 8192;
    song.frames = lead_in + (int64_t)sec.order_count * 64 * row_frames;
    song.samples.resize((size_t)song.frames * 2);
    Noise noise;
    for (float& s : song.samples)
        s = 0.001f * noise.next();
    int free_beats = 0;
    for (int order = sec.first_order; order < sec.first_order + sec.order_count; ++order)
        for (int row = 0; row < 64; ++row) {
            int64_t at = lead_in + ((int64_t)(order - sec.first_order) * 64 + row) * row_frames;
            // The player's marks come up to one read late.
            song.rows.push_back({at + 200, order, row, 4, 233});
            bool trigger = triggers.count({order, row}) > 0;
            free_beats += !trigger && row % 8 == 0;
            float level = trigger ? 0.5f : row % 8 == 0 ? 0.003f : 0.0f;
            for (int i = 0; level > 0 && i < 96; ++i)
                song.samples[(size_t)(at + i) * 2] = song.samples[(size_t)(at + i) * 2 + 1] =
                    level * noise.next();
        }
    AccentReport report = trigger_accents(song, onset_flux(song.samples.data(), song.frames, rate));
    EXPECT_EQ(report.section_beat_count[section], free_beats);
    EXPECT_GT(report.section_beat_median[section], 0.0f);
    std::set<std::pair<int, int>> seen;
    int heard = 0;
    for (const TriggerAccent& a : report.positions) {
        EXPECT_TRUE(seen.insert({a.order, a.row}).second) << "listed twice: " << a.order;
        bool inside = a.section == section;
        EXPECT_EQ(a.heard, inside) << a.order << ", " << a.row;
        if (inside) {
            ++heard;
            EXPECT_GT(a.ratio, 3.0) << a.order << ", " << a.row;
            EXPECT_NE(a.lists.find(list.owner), std::string::npos);
        } else {
            EXPECT_EQ(a.ratio, 0.0);
        }
    }
    EXPECT_EQ(heard, list.count);
    EXPECT_EQ(report.positions.size(), triggers.size());
    EXPECT_EQ(report.below, (int)triggers.size() - heard); // the positions never reached
}

TEST(SoundAnalysisAccents, MedianOfOddAndEvenCounts) {
    EXPECT_EQ(median_of({}), 0.0);
    EXPECT_EQ(median_of({5, 1, 3}), 3.0);
    EXPECT_EQ(median_of({4, 1, 3, 2}), 2.5);
}

TEST(SoundAnalysisLoudness, EbuStereoSinesReadTheirLevels) {
    // EBU Tech 3341: a 1 kHz sine at -23 dBFS in both channels reads -23 LUFS; at -33 dBFS,
    // -33 LUFS.
    std::vector<float> loud = stereo_sine(1000.0, std::pow(10.0, -23.0 / 20), 20.0);
    LoudnessSummary summary;
    LoudnessCurve curve;
    ASSERT_TRUE(measure_loudness(loud.data(), 20 * rate, rate, &summary, &curve));
    EXPECT_NEAR(summary.integrated_lufs, -23.0, 0.1);
    EXPECT_NEAR(summary.true_peak_dbtp, -23.0, 0.2);
    EXPECT_NEAR(summary.range_lu, 0.0, 0.5);
    ASSERT_EQ(curve.momentary_lufs.size(), 200u);
    EXPECT_NEAR(curve.momentary_lufs.back(), -23.0, 0.1);
    EXPECT_NEAR(curve.short_term_lufs.back(), -23.0, 0.1);

    std::vector<float> quiet = stereo_sine(1000.0, std::pow(10.0, -33.0 / 20), 20.0);
    EXPECT_NEAR(integrated_loudness(quiet.data(), 20 * rate, rate), -33.0, 0.1);
    // Twenty seconds at each level spread the loudness range close to the 10 LU between them.
    loud.insert(loud.end(), quiet.begin(), quiet.end());
    ASSERT_TRUE(measure_loudness(loud.data(), 40 * rate, rate, &summary, nullptr));
    EXPECT_NEAR(summary.range_lu, 10.0, 1.0);
    EXPECT_TRUE(std::isinf(integrated_loudness(loud.data(), 0, rate)));
}

TEST(SoundAnalysisFigures, StereoWidthLowBandAndAudibleEnd) {
    std::vector<float> mono = stereo_sine(440.0, 0.5, 1.0);
    EXPECT_LT(side_to_mid_db(mono.data(), rate), -100.0);
    std::vector<float> left_only = mono;
    for (size_t i = 1; i < left_only.size(); i += 2)
        left_only[i] = 0;
    EXPECT_NEAR(side_to_mid_db(left_only.data(), rate), 0.0, 1e-6);

    // 20 Hz and 1 kHz at equal level: half the energy lies under 30 Hz; 1 kHz alone, none.
    std::vector<float> low = stereo_sine(20.0, 0.3, 4.0), high = stereo_sine(1000.0, 0.3, 4.0);
    std::vector<float> both(low.size());
    for (size_t i = 0; i < both.size(); ++i)
        both[i] = low[i] + high[i];
    EXPECT_NEAR(low_band_share_db(average_power_spectrum(both.data(), 4 * rate), rate, 30.0), -3.0,
                0.2);
    EXPECT_LT(low_band_share_db(average_power_spectrum(high.data(), 4 * rate), rate, 30.0), -60.0);

    // The end is the last sample above -70 dBFS; a quieter one later does not count.
    std::vector<float> tail(2 * rate, 0.0f);
    tail[2 * 30000 + 1] = -0.001f; // -60 dBFS in the right channel
    tail[2 * 40000] = 0.0002f;     // -74 dBFS
    EXPECT_NEAR(audible_end_seconds(tail.data(), rate, rate, -70.0), 30001.0 / rate, 1e-12);
    EXPECT_EQ(audible_end_seconds(tail.data(), 20000, rate, -70.0), 0.0);
}

} // namespace
