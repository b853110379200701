// soundtrack_report: the soundtrack measured as the demo plays it. Prints integrated loudness,
// loudness range, true peak, each section's loudness, the side-to-mid ratio, the energy below
// 30 Hz, where the sound ends, the tempo changes, and every trigger position's accent ratio
// with the ten weakest; writes a spectrogram and a loudness-over-time plot as PNG.
// Usage: soundtrack_report [MODULE [PNG_DIR]]  (default: the build's music.xm, the current
// folder)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "accents.h"
#include "loudness.h"
#include "onsets.h"
#include "plots.h"
#include "runtime/trigger_positions.h"
#include "signal_figures.h"
#include "song_render.h"

constexpr double report_target_lufs = -14.0;
constexpr double report_audible_dbfs = -70.0;
constexpr double report_end_seconds = 199.8;

static void print_sections(const SongAudio& song, const std::vector<SectionSpan>& sections,
                           const std::vector<double>& lufs) {
    double loudest = -HUGE_VAL;
    for (double l : lufs)
        loudest = std::max(loudest, l);
    std::printf("\nsections              orders       from       to     LUFS   to loudest\n");
    for (size_t s = 0; s < sections.size(); ++s) {
        const SectionSpan& span = sections[s];
        std::printf("  %2zu                 %3d - %-3d  %7.2f s %7.2f s  %6.1f  %+6.1f dB\n", s,
                    span.first_order, span.first_order + span.order_count - 1,
                    song_seconds(song, span.start_frame), song_seconds(song, span.end_frame),
                    lufs[s], lufs[s] - loudest);
    }
}

static void print_tempo(const SongAudio& song) {
    std::vector<TempoChange> changes = tempo_changes(song);
    if (!song.rows.empty())
        std::printf("\ntempo: rows of %.4f s (speed %d, %d BPM) from the start\n",
                    row_seconds(song.rows[0].speed, song.rows[0].bpm), song.rows[0].speed,
                    song.rows[0].bpm);
    for (const TempoChange& c : changes)
        std::printf("  %7.2f s at (%2d, %2d): row %.4f s -> %.4f s (speed %d -> %d, %d -> %d "
                    "BPM; the rows before measured %.4f s)\n",
                    c.seconds, c.order, c.row, c.old_row_seconds, c.new_row_seconds, c.old_speed,
                    c.new_speed, c.old_bpm, c.new_bpm, c.measured_old_row_seconds);
}

static void print_accent(const TriggerAccent& a) {
    if (!a.heard) {
        std::printf("  (%2d, %2d)  never reached                              %s\n", a.order, a.row,
                    a.lists.c_str());
        return;
    }
    std::printf("  (%2d, %2d)  %7.2f s  section %d  %7.1f / %6.1f = %5.2f  %s\n", a.order, a.row,
                a.seconds, a.section, a.strength, a.beat_median, a.ratio, a.lists.c_str());
}

static void print_accents(const AccentReport& report) {
    std::printf("\ntrigger-free beats: median onset strength per section (count)\n ");
    for (size_t s = 0; s < report.section_beat_median.size(); ++s)
        std::printf(" %zu: %.1f (%d)", s, report.section_beat_median[s],
                    report.section_beat_count[s]);
    std::printf("\n\ntrigger positions (order, row), time, section, onset strength / beat median "
                "= accent ratio, lists\n");
    for (const TriggerAccent& a : report.positions)
        print_accent(a);
    std::printf("\nper list:  positions  below %.1f  median ratio\n", accent_ratio_floor);
    for (const TriggerList* list : trigger_lists) {
        std::vector<double> ratios;
        int below = 0;
        for (const TriggerAccent& a : report.positions)
            if (accent_in_list(a, list->owner)) {
                ratios.push_back(a.ratio);
                below += a.ratio < accent_ratio_floor;
            }
        std::printf("  %-14s %5zu  %9d  %12.2f\n", list->owner, ratios.size(), below,
                    median_of(ratios));
    }
    std::printf("\nten weakest:\n");
    for (int i : weakest_accents(report, 10))
        print_accent(report.positions[i]);
    int n = (int)report.positions.size();
    bool ok = report.below == 0 && report.median_ratio >= accent_ratio_median_target;
    std::printf("\npositions: %d, at least %.1f: %d, below: %d; median accent ratio %.2f "
                "(wanted at least %.1f)\n",
                n, accent_ratio_floor, n - report.below, report.below, report.median_ratio,
                accent_ratio_median_target);
    std::printf("every trigger heard: %s\n", ok ? "yes" : "NO");
}

int main(int argc, char** argv) {
    if (argc > 3 || (argc > 1 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: %s [MODULE [PNG_DIR]]\n", argv[0]);
        return 2;
    }
    const std::string path = argc > 1 ? argv[1] : OSKE_BUILT_MUSIC;
    const std::string png_dir = argc > 2 ? argv[2] : ".";
    SongAudio song;
    std::string error;
    if (!render_song(path, &song, &error)) {
        std::fprintf(stderr, "soundtrack_report: %s\n", error.c_str());
        return 1;
    }
    const float* pcm = song.samples.data();
    LoudnessSummary loud;
    LoudnessCurve curve;
    if (!measure_loudness(pcm, song.frames, song.rate, &loud, &curve)) {
        std::fprintf(stderr, "soundtrack_report: libebur128 failed\n");
        return 1;
    }
    std::vector<SectionSpan> sections = song_section_spans(song);
    std::vector<double> section_lufs;
    for (const SectionSpan& s : sections)
        section_lufs.push_back(
            integrated_loudness(pcm + s.start_frame * 2, s.end_frame - s.start_frame, song.rate));

    std::printf("soundtrack %s: %.2f s, %lld frames at %d Hz, %zu rows\n\n", path.c_str(),
                song_seconds(song, song.frames), (long long)song.frames, song.rate,
                song.rows.size());
    std::printf("integrated loudness  %7.2f LUFS  (wanted %.0f +- 1)\n", loud.integrated_lufs,
                report_target_lufs);
    std::printf("loudness range       %7.2f LU    (wanted at least 5)\n", loud.range_lu);
    std::printf("true peak            %7.2f dBTP  (wanted at most -1)\n", loud.true_peak_dbtp);
    std::printf("sample peak          %7.2f dBFS\n", loud.sample_peak_dbfs);
    const double side_to_mid = side_to_mid_db(pcm, song.frames);
    const double audible_end =
        audible_end_seconds(pcm, song.frames, song.rate, report_audible_dbfs);
    std::printf("side to mid          %7.2f dB    (wanted at least -10)\n", side_to_mid);
    std::vector<double> spectrum = average_power_spectrum(pcm, song.frames);
    std::printf(
        "energy below 30 Hz   %7.2f dB of the whole (below 20 Hz %.1f, 40 Hz %.1f, 60 Hz "
        "%.1f)\n",
        low_band_share_db(spectrum, song.rate, 30.0), low_band_share_db(spectrum, song.rate, 20.0),
        low_band_share_db(spectrum, song.rate, 40.0), low_band_share_db(spectrum, song.rate, 60.0));
    std::printf("audible end          %7.2f s     (last sample above %.0f dBFS; wanted by %.1f)\n",
                audible_end, report_audible_dbfs, report_end_seconds);
    print_sections(song, sections, section_lufs);
    print_tempo(song);

    std::vector<float> mono = mono_mix(pcm, song.frames);
    MelFilterbank onset_bank =
        mel_filterbank(onset_bands, onset_low_hz, onset_high_hz, onset_frame_size, song.rate);
    std::vector<float> flux = spectral_flux(log_mel_spectrogram(mono, onset_bank, onset_hop));
    AccentReport accents = trigger_accents(song, flux);
    print_accents(accents);

    MelFilterbank picture_bank = mel_filterbank(spectrogram_bands, onset_low_hz,
                                                spectrogram_high_hz, onset_frame_size, song.rate);
    LogMel picture = log_mel_spectrogram(mono, picture_bank, onset_hop);
    const std::string spectrogram_png = png_dir + "/soundtrack_spectrogram.png";
    const std::string loudness_png = png_dir + "/soundtrack_loudness.png";
    const std::string similarity_png = png_dir + "/soundtrack_self_similarity.png";
    if (!write_plot_png(spectrogram_png, spectrogram_plot(picture, song, sections), &error) ||
        !write_plot_png(loudness_png,
                        loudness_plot(curve, song, sections, section_lufs, report_target_lufs),
                        &error) ||
        !write_plot_png(similarity_png, self_similarity_plot(picture, song, sections, 0.5),
                        &error)) {
        std::fprintf(stderr, "soundtrack_report: %s\n", error.c_str());
        return 1;
    }
    std::printf("\nwrote %s, %s and %s\n", spectrogram_png.c_str(), loudness_png.c_str(),
                similarity_png.c_str());
    // One line to compare runs by.
    std::printf("summary: %.2f LUFS, LRA %.2f LU, TP %.2f dBTP, side/mid %.2f dB, end %.2f s, "
                "accents below %.1f: %d of %zu, median %.2f\n",
                loud.integrated_lufs, loud.range_lu, loud.true_peak_dbtp, side_to_mid, audible_end,
                accent_ratio_floor, accents.below, accents.positions.size(), accents.median_ratio);
    return 0;
}
