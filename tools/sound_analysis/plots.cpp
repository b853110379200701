#include "plots.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_easy_font.h>
#pragma GCC diagnostic pop
#include <stb_image_write.h>

namespace {

constexpr int plot_margin_top = 18;    // section numbers
constexpr int plot_margin_bottom = 18; // seconds
constexpr int plot_margin_left = 44;   // values

struct Rgb {
    uint8_t r, g, b;
};

PlotImage blank_plot(int width, int height) {
    PlotImage image;
    image.width = width;
    image.height = height;
    image.rgb.assign((size_t)width * height * 3, 16);
    return image;
}

void put(PlotImage* image, int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= image->width || y >= image->height)
        return;
    uint8_t* p = &image->rgb[((size_t)y * image->width + x) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

void vertical(PlotImage* image, int x, int y0, int y1, Rgb c) {
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
        put(image, x, y, c);
}

void horizontal(PlotImage* image, int x0, int x1, int y, Rgb c) {
    for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
        put(image, x, y, c);
}

// stb_easy_font's quads, one pixel per unit: a 7-pixel-high label without a font file.
void text(PlotImage* image, int x, int y, const char* s, Rgb c) {
    static char quads[64 * 200];
    int count = stb_easy_font_print(0, 0, (char*)s, nullptr, quads, sizeof quads);
    for (int q = 0; q < count; ++q) {
        const float* v = (const float*)(quads + q * 64);
        for (int py = (int)v[1]; py < (int)v[9]; ++py)
            for (int px = (int)v[0]; px < (int)v[8]; ++px)
                put(image, x + px, y + py, c);
    }
}

// x of a moment of the song inside the plot's area.
int time_x(const PlotImage& image, const SongAudio& song, double seconds) {
    double length = std::max(1.0 / song.rate, song_seconds(song, song.frames));
    return plot_margin_left +
           (int)std::floor(seconds / length * (image.width - plot_margin_left - 1));
}

// Section lines and numbers, and a second ruler every 10 s.
void mark_time(PlotImage* image, const SongAudio& song, const std::vector<SectionSpan>& sections) {
    const int bottom = image->height - plot_margin_bottom;
    char label[32];
    for (double t = 0; t <= song_seconds(song, song.frames); t += 10) {
        int x = time_x(*image, song, t);
        vertical(image, x, bottom, bottom + 3, {200, 200, 200});
        std::snprintf(label, sizeof label, "%g", t);
        text(image, x + 2, bottom + 6, label, {200, 200, 200});
    }
    for (size_t s = 0; s < sections.size(); ++s) {
        int x = time_x(*image, song, song_seconds(song, sections[s].start_frame));
        for (int y = plot_margin_top; y < bottom; y += 4)
            vertical(image, x, y, y + 1, {255, 255, 255});
        std::snprintf(label, sizeof label, "%zu", s);
        text(image, x + 3, 5, label, {255, 255, 255});
    }
}

// Dark blue through red and yellow to white.
Rgb heat(double v) {
    v = std::clamp(v, 0.0, 1.0);
    const double stops[5][3] = {
        {0, 0, 20}, {40, 20, 140}, {200, 30, 60}, {255, 200, 0}, {255, 255, 255}};
    double at = v * 4;
    int i = std::min(3, (int)at);
    double f = at - i;
    auto mix = [&](int c) {
        return (uint8_t)std::lround(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f);
    };
    return {mix(0), mix(1), mix(2)};
}

} // namespace

PlotImage spectrogram_plot(const LogMel& mel, const SongAudio& song,
                           const std::vector<SectionSpan>& sections) {
    const int band_px = 2;
    PlotImage image =
        blank_plot(plot_width, plot_margin_top + mel.bands * band_px + plot_margin_bottom);
    float top = -200;
    for (float v : mel.db)
        top = std::max(top, v);
    const int columns = image.width - plot_margin_left;
    std::vector<double> sum(mel.bands);
    for (int x = 0; x < columns; ++x) {
        int first = (int)((int64_t)x * mel.frame_count / columns);
        int last = std::max(first + 1, (int)((int64_t)(x + 1) * mel.frame_count / columns));
        std::fill(sum.begin(), sum.end(), 0.0);
        for (int k = first; k < last && k < mel.frame_count; ++k)
            for (int b = 0; b < mel.bands; ++b)
                sum[b] += mel.db[(size_t)k * mel.bands + b];
        for (int b = 0; b < mel.bands; ++b) {
            Rgb c = heat((sum[b] / (last - first) - (top - 80)) / 80);
            for (int p = 0; p < band_px; ++p)
                put(&image, plot_margin_left + x,
                    plot_margin_top + (mel.bands - 1 - b) * band_px + p, c);
        }
    }
    // The frequency of a few bands on the left.
    char label[32];
    for (double hz : {50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0}) {
        double low = hz_to_mel(onset_low_hz), high = hz_to_mel(spectrogram_high_hz);
        double band = (hz_to_mel(hz) - low) / (high - low) * (mel.bands + 1) - 1;
        int y = plot_margin_top + (int)((mel.bands - 1 - band) * band_px);
        horizontal(&image, plot_margin_left - 4, plot_margin_left - 1, y, {200, 200, 200});
        std::snprintf(label, sizeof label, "%g", hz);
        text(&image, 2, y - 3, label, {200, 200, 200});
    }
    mark_time(&image, song, sections);
    return image;
}

PlotImage loudness_plot(const LoudnessCurve& curve, const SongAudio& song,
                        const std::vector<SectionSpan>& sections,
                        const std::vector<double>& section_lufs, double target_lufs) {
    const double floor_lufs = -40, top_lufs = 0, px_per_lu = 10;
    PlotImage image =
        blank_plot(plot_width, plot_margin_top + (int)((top_lufs - floor_lufs) * px_per_lu) +
                                   plot_margin_bottom);
    auto y_of = [&](double lufs) {
        lufs = std::clamp(lufs, floor_lufs, top_lufs);
        return plot_margin_top + (int)std::lround((top_lufs - lufs) * px_per_lu);
    };
    char label[32];
    for (double l = floor_lufs; l <= top_lufs; l += 5) {
        horizontal(&image, plot_margin_left, image.width - 1, y_of(l), {50, 50, 50});
        std::snprintf(label, sizeof label, "%g", l);
        text(&image, 2, y_of(l) - 3, label, {200, 200, 200});
    }
    horizontal(&image, plot_margin_left, image.width - 1, y_of(target_lufs), {40, 200, 80});
    auto trace = [&](const std::vector<float>& values, Rgb c) {
        int last_y = -1;
        for (size_t i = 0; i < values.size(); ++i) {
            int x = time_x(image, song, (i + 1) * curve.step_seconds);
            int y = y_of(std::isfinite(values[i]) ? values[i] : floor_lufs);
            vertical(&image, x, last_y < 0 ? y : last_y, y, c);
            last_y = y;
        }
    };
    trace(curve.momentary_lufs, {60, 90, 160});
    trace(curve.short_term_lufs, {255, 160, 40});
    for (size_t s = 0; s < sections.size() && s < section_lufs.size(); ++s)
        if (std::isfinite(section_lufs[s]))
            horizontal(&image, time_x(image, song, song_seconds(song, sections[s].start_frame)),
                       time_x(image, song, song_seconds(song, sections[s].end_frame)),
                       y_of(section_lufs[s]), {255, 255, 255});
    mark_time(&image, song, sections);
    return image;
}

PlotImage self_similarity_plot(const LogMel& mel, const SongAudio& song,
                               const std::vector<SectionSpan>& sections, double segment_seconds) {
    const int per_segment = std::max(1, (int)std::lround(segment_seconds * song.rate / mel.hop));
    const int count = std::max(1, (mel.frame_count + per_segment - 1) / per_segment);
    std::vector<double> v((size_t)count * mel.bands, 0.0);
    for (int k = 0; k < mel.frame_count; ++k)
        for (int b = 0; b < mel.bands; ++b)
            v[(size_t)(k / per_segment) * mel.bands + b] += mel.db[(size_t)k * mel.bands + b];
    // Less the song's mean spectrum: what every stretch shares (the mix's overall tilt) would
    // make everything look alike.
    std::vector<double> mean(mel.bands, 0.0);
    for (int i = 0; i < count; ++i)
        for (int b = 0; b < mel.bands; ++b)
            mean[b] += v[(size_t)i * mel.bands + b] / count;
    for (int i = 0; i < count; ++i) {
        double* row = &v[(size_t)i * mel.bands];
        double norm = 0;
        for (int b = 0; b < mel.bands; ++b) {
            row[b] -= mean[b];
            norm += row[b] * row[b];
        }
        for (int b = 0; b < mel.bands; ++b)
            row[b] = norm > 0 ? row[b] / std::sqrt(norm) : 0.0;
    }
    const int px = std::max(1, (800 + count - 1) / count);
    PlotImage image = blank_plot(count * px, count * px);
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < count; ++j) {
            double dot = 0;
            for (int b = 0; b < mel.bands; ++b)
                dot += v[(size_t)i * mel.bands + b] * v[(size_t)j * mel.bands + b];
            Rgb c = heat(dot);
            for (int y = 0; y < px; ++y)
                for (int x = 0; x < px; ++x)
                    put(&image, j * px + x, i * px + y, c);
        }
    const double seconds_per_px = segment_seconds / px;
    for (const SectionSpan& span : sections) {
        int at = (int)(song_seconds(song, span.start_frame) / seconds_per_px);
        for (int t = 0; t < image.width; t += 4) {
            put(&image, at, t, {255, 255, 255});
            put(&image, t, at, {255, 255, 255});
        }
    }
    return image;
}

bool write_plot_png(const std::string& path, const PlotImage& image, std::string* error) {
    if (!stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(),
                        image.width * 3)) {
        *error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}
