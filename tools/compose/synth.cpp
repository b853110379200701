#include "synth.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>

namespace {

constexpr double sample_rate = 33452.0; // 8363 * 4: C-4 plays the data at its own speed
constexpr int cycle = 128;              // frames of one C-4 cycle
constexpr double two_pi = 6.283185307179586;

// A small deterministic noise source, the same on every build.
struct Noise {
    uint32_t state = 0x1234567u;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (double)(state >> 8) / 8388608.0 - 1.0;
    }
};

std::vector<int16_t> to_frames(const std::vector<double>& v, double scale) {
    std::vector<int16_t> out(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = (int16_t)std::lround(std::clamp(v[i] * scale, -1.0, 1.0) * 32767.0);
    return out;
}

double peak_of(const std::vector<double>& v) {
    double m = 1e-9;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    return m;
}

// Short fades at both ends so one-shots start and stop without a click.
void fade_ends(std::vector<double>& v, int in_frames, int out_frames) {
    int n = (int)v.size();
    for (int i = 0; i < in_frames && i < n; ++i)
        v[i] *= (double)i / in_frames;
    for (int i = 0; i < out_frames && i < n; ++i)
        v[n - 1 - i] *= (double)i / out_frames;
}

// Soft saturation: takes the sharpest peaks off a hit so it can sit louder in the mix.
void saturate(std::vector<double>& v, double drive) {
    double norm = std::tanh(drive);
    double m = peak_of(v);
    for (double& x : v)
        x = std::tanh(drive * x / m) / norm;
}

// Two-pole high-pass (two one-poles) at 35 Hz: nothing below 30 Hz reaches the mix.
void remove_rumble(std::vector<double>& v) {
    for (int pass = 0; pass < 2; ++pass) {
        double a = 1.0 / (1.0 + two_pi * 35.0 / sample_rate), x1 = 0, y1 = 0;
        for (double& x : v) {
            double y = a * (y1 + x - x1);
            x1 = x;
            y1 = y;
            x = y;
        }
    }
}

// Frequency of C-4 as the samples are made.
constexpr double c4_hz = sample_rate / cycle;
// Notes are served in blocks: everything up to B-2, then one block per octave up to octave 7.
constexpr int note_blocks = 6;
int block_of_note(int note_index) { // 0 = C-0
    return std::clamp(note_index / 12 - 2, 0, note_blocks - 1);
}
// The highest partial, as a frequency at C-4, that block k may hold: at the block's top note it
// lands at 19 kHz, under the output's 24 kHz.
double partial_limit_at_c4(int block) {
    int top_note = block == note_blocks - 1 ? 95 : (block + 2) * 12 + 11;
    double top_hz = c4_hz * std::pow(2.0, (top_note - 48) / 12.0);
    return 19000.0 * c4_hz / top_hz;
}

XmSample make_sample(const char* name, const std::vector<double>& wave, double scale) {
    XmSample s;
    s.name = name;
    s.frames = to_frames(wave, scale);
    s.relative_note = 24;
    return s;
}

// A loop starts mid-waveform; played from its first frame it would start with a click. So the
// sample opens with the loop's last cycle faded in, which runs on seamlessly into the loop.
void add_faded_pre_roll(XmSample& s) {
    int n = (int)s.frames.size(), pre_roll = std::min(cycle, n), fade = 100;
    std::vector<int16_t> head(s.frames.end() - pre_roll, s.frames.end());
    for (int i = 0; i < pre_roll && i < fade; ++i)
        head[i] = (int16_t)std::lround(head[i] * (double)i / fade);
    s.frames.insert(s.frames.begin(), head.begin(), head.end());
    s.loop_start = pre_roll;
    s.loop_length = n;
}

// One sample per note block from make(limit_hz_at_c4); all share one gain so the blocks match.
template <class Make>
XmInstrument band_limited(const char* name, Make make, bool looped, double peak, int pan) {
    std::vector<std::vector<double>> waves;
    double m = 1e-9;
    for (int k = 0; k < note_blocks; ++k) {
        waves.push_back(make(partial_limit_at_c4(k)));
        if (!looped)
            fade_ends(waves.back(), 100, 64);
        m = std::max(m, peak_of(waves.back()));
    }
    XmInstrument ins;
    ins.name = name;
    for (int k = 0; k < note_blocks; ++k) {
        XmSample s = make_sample(name, waves[k], peak / m);
        s.panning = pan;
        if (looped)
            add_faded_pre_roll(s);
        ins.samples.push_back(s);
    }
    for (int n = 0; n < 96; ++n)
        ins.note_sample[n] = (uint8_t)block_of_note(n);
    return ins;
}

// A loop of `loop_cycles` C-4 cycles: each voice has a whole number of cycles in the loop,
// so the loop point is seamless. Harmonic n of a voice has amplitude shape(n); partials above
// limit_hz (at C-4) are left out.
struct Voice {
    int cycles;
    double amplitude;
};
template <class Shape>
std::vector<double> harmonic_loop(int loop_cycles, const std::vector<Voice>& voices, int harmonics,
                                  Shape shape, double limit_hz) {
    int length = loop_cycles * cycle;
    std::vector<double> v(length, 0.0);
    uint32_t phase_seed = 77u;
    for (const Voice& voice : voices) {
        for (int n = 1; n <= harmonics; ++n) {
            double a = voice.amplitude * shape(n);
            phase_seed = phase_seed * 1103515245u + 12345u;
            double hz = c4_hz * n * voice.cycles / loop_cycles;
            // Nothing at or above the sample's own Nyquist frequency either.
            if (a == 0.0 || 2 * n * voice.cycles >= length || hz > limit_hz)
                continue;
            double phase = (double)(phase_seed >> 16) / 65536.0 * two_pi;
            double step = two_pi * n * voice.cycles / length;
            for (int i = 0; i < length; ++i)
                v[i] += a * std::sin(step * i + phase);
        }
    }
    return v;
}

// In-place radix-2 FFT (size a power of two); inverse when `inverse`, unscaled.
void fft(std::vector<std::complex<double>>& a, bool inverse) {
    size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        double angle = (inverse ? two_pi : -two_pi) / (double)len;
        std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0, 0.0);
            for (size_t k = 0; k < len / 2; ++k) {
                std::complex<double> u = a[i + k], t = w * a[i + k + len / 2];
                a[i + k] = u + t;
                a[i + k + len / 2] = u - t;
                w *= step;
            }
        }
    }
}

// A saturated loop: soft-clipped so that it carries more level under the same peak, then cut
// back to the partials below limit_hz (at C-4) so the clipping adds nothing that would alias.
// The loop is a whole number of cycles long (a power of two frames), so its spectrum lies on
// the FFT's bins and the cut is exact.
std::vector<double> saturated_loop(std::vector<double> v, int loop_cycles, double drive,
                                   double limit_hz) {
    saturate(v, drive);
    std::vector<std::complex<double>> bins(v.begin(), v.end());
    fft(bins, false);
    size_t n = bins.size();
    // Also below three quarters of the note: the detuned voices' difference tones, a rumble.
    for (size_t k = 1; k < n / 2; ++k) {
        if (c4_hz * (double)k / loop_cycles > limit_hz || 4 * (int)k < 3 * loop_cycles)
            bins[k] = bins[n - k] = 0.0;
    }
    bins[0] = bins[n / 2] = 0.0;
    fft(bins, true);
    for (size_t i = 0; i < n; ++i)
        v[i] = bins[i].real() / (double)n;
    return v;
}

XmInstrument one_shot(const char* name, std::vector<double> wave, double peak, int pan = 128,
                      int fade_in = 50) {
    fade_ends(wave, fade_in, 64);
    XmInstrument ins;
    ins.name = name;
    ins.samples.push_back(make_sample(name, wave, peak / peak_of(wave)));
    ins.samples[0].panning = pan;
    return ins;
}

int frames_for(double seconds) {
    return (int)(seconds * sample_rate);
}

// One-pole filters, enough to shape noise.
struct HighPass {
    double a, x1 = 0, y1 = 0;
    explicit HighPass(double cutoff) : a(1.0 / (1.0 + two_pi * cutoff / sample_rate)) {}
    double run(double x) {
        double y = a * (y1 + x - x1);
        x1 = x;
        y1 = y;
        return y;
    }
};
struct LowPass {
    double a, y = 0;
    explicit LowPass(double cutoff) : a(1.0 - std::exp(-two_pi * cutoff / sample_rate)) {}
    double run(double x) { return y += a * (x - y); }
};

// A sound `seconds` long, given sample by sample as a function of the time since its start.
template <class Sound> std::vector<double> render(double seconds, Sound sound) {
    std::vector<double> v(frames_for(seconds));
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = sound((int)i / sample_rate);
    return v;
}

XmInstrument make_kick() {
    // Short and punchy: it must be over before the bass and the next accent.
    double phase = 0.0;
    Noise noise;
    HighPass hp(2000.0);
    std::vector<double> v = render(0.30, [&](double t) {
        double f = 52.0 + 140.0 * std::exp(-t / 0.025) + 80.0 * std::exp(-t / 0.005);
        phase += two_pi * f / sample_rate;
        double body = std::sin(phase) * std::exp(-t / 0.11);
        double click = hp.run(noise.next()) * std::exp(-t / 0.004) * 0.5;
        return body + click;
    });
    saturate(v, 2.2);
    remove_rumble(v);
    return one_shot("kick", v, 0.95);
}

XmInstrument make_snare() {
    Noise noise;
    HighPass hp(1200.0);
    LowPass lp(12000.0);
    double phase = 0.0;
    std::vector<double> v = render(0.30, [&](double t) {
        double f = 190.0 + 110.0 * std::exp(-t / 0.01);
        phase += two_pi * f / sample_rate;
        double tone = std::sin(phase) * std::exp(-t / 0.04) * 0.8;
        double hiss = lp.run(hp.run(noise.next())) * std::exp(-t / 0.075) * 1.4;
        return tone + hiss;
    });
    saturate(v, 1.8);
    return one_shot("snare", v, 0.9, 0x78);
}

XmInstrument make_roll() {
    // Dies within a row so every hit of a roll is a fresh onset.
    Noise noise;
    HighPass hp(900.0);
    double phase = 0.0;
    std::vector<double> v = render(0.07, [&](double t) {
        phase += two_pi * (230.0 + 120.0 * std::exp(-t / 0.006)) / sample_rate;
        double env = std::exp(-t / 0.011);
        return (0.6 * std::sin(phase) + 1.3 * hp.run(noise.next())) * env;
    });
    saturate(v, 1.5);
    return one_shot("roll", v, 0.9, 0x88);
}

XmInstrument make_clap() {
    Noise noise;
    HighPass hp(900.0);
    LowPass lp(7000.0);
    std::vector<double> v = render(0.35, [&](double t) {
        // Three quick bursts, then the tail: the sound of several hands.
        double env = 0.0;
        for (int b = 0; b < 3; ++b) {
            double tb = t - b * 0.009;
            if (tb >= 0)
                env = std::max(env, std::exp(-tb / 0.006));
        }
        env = std::max(env, 0.6 * std::exp(-(t - 0.018) / 0.06) * (t > 0.018 ? 1.0 : 0.0));
        return lp.run(hp.run(noise.next())) * env;
    });
    return one_shot("clap", v, 0.9, 0x98);
}

XmInstrument make_hat(const char* name, double decay, double seconds, int pan) {
    Noise noise;
    HighPass hp(7000.0), hp2(5000.0);
    // A few detuned square partials give the metallic edge of a cymbal.
    const double partials[6] = {3.14, 4.56, 5.81, 6.93, 8.21, 10.6};
    std::vector<double> v = render(seconds, [&](double t) {
        double metal = 0.0;
        for (double p : partials)
            metal += std::sin(two_pi * p * 400.0 * t) > 0 ? 1.0 : -1.0;
        double x = noise.next() + 0.08 * metal;
        return hp2.run(hp.run(x)) * std::exp(-t / decay);
    });
    return one_shot(name, v, 0.8, pan, 40);
}

XmInstrument make_crash() {
    Noise noise;
    HighPass hp(2500.0);
    LowPass lp(14000.0);
    const double partials[8] = {2.71, 3.37, 4.19, 5.03, 5.77, 6.61, 7.93, 9.07};
    std::vector<double> v = render(2.0, [&](double t) {
        double metal = 0.0;
        for (double p : partials)
            metal += std::sin(two_pi * p * 311.0 * t + p);
        double x = noise.next() + 0.05 * metal;
        double env = 0.35 * std::exp(-t / 0.5) + 0.65 * std::exp(-t / 0.06);
        return lp.run(hp.run(x)) * env;
    });
    return one_shot("crash", v, 0.85, 0x68);
}

XmInstrument make_splash() {
    // Broadband and short: noise from the mids up, over in a fifth of a second.
    Noise noise;
    HighPass hp(600.0);
    LowPass lp(15000.0);
    std::vector<double> v = render(0.25, [&](double t) {
        return lp.run(hp.run(noise.next())) *
               (0.8 * std::exp(-t / 0.018) + 0.2 * std::exp(-t / 0.07));
    });
    return one_shot("splash", v, 0.85, 0x68);
}

XmInstrument make_riser() {
    // Noise swelling over one pattern while its band climbs: the lift before a drop.
    int n = frames_for(2.8);
    std::vector<double> v(n);
    Noise noise;
    double y1 = 0, y2 = 0;
    for (int i = 0; i < n; ++i) {
        double t = (double)i / n;
        double f = 300.0 * std::pow(30.0, t);
        // Resonant two-pole band-pass whose centre moves up.
        double r = 0.985;
        double c = 2.0 * r * std::cos(two_pi * f / sample_rate);
        double y = noise.next() * (1 - r) + c * y1 - r * r * y2;
        y2 = y1;
        y1 = y;
        v[i] = y * t * t;
    }
    return one_shot("riser", v, 0.8, 0xa0);
}

XmInstrument make_boom() {
    Noise noise;
    LowPass lp(400.0);
    double phase = 0.0;
    std::vector<double> v = render(1.6, [&](double t) {
        double f = 48.0 + 40.0 * std::exp(-t / 0.08);
        phase += two_pi * f / sample_rate;
        return std::sin(phase) * std::exp(-t / 0.45) + lp.run(noise.next()) * std::exp(-t / 0.25);
    });
    saturate(v, 1.5);
    remove_rumble(v);
    return one_shot("boom", v, 0.9);
}

XmInstrument make_pluck() {
    // A decaying saw whose upper harmonics die first: the pluck of the arpeggios.
    XmInstrument ins = band_limited(
        "pluck",
        [](double limit) {
            int n = frames_for(0.5);
            std::vector<double> v(n, 0.0);
            for (int h = 1; h <= 32 && c4_hz * h <= limit; ++h) {
                double rate = 1.0 / 0.22 + 0.9 * h;
                for (int voice = 0; voice < 2; ++voice) {
                    double f = c4_hz * h * (voice ? 1.004 : 1.0);
                    double step = two_pi * f / sample_rate;
                    double phase = h * 0.7 + voice;
                    for (int i = 0; i < n; ++i)
                        v[i] += std::sin(step * i + phase) / h * std::exp(-i / sample_rate * rate);
                }
            }
            return v;
        },
        false, 0.85, 0x50);
    // Held at full level, so a key off lets the note die away over a few ticks instead of
    // stopping it dead.
    ins.volume_envelope.points = {{0, 64}, {1, 64}};
    ins.volume_envelope.sustain = 1;
    ins.fadeout = 0xc00;
    return ins;
}

XmInstrument make_bell() {
    // Inharmonic partial pairs: a soft glassy bell for the quiet sections.
    const double ratio[4] = {1.0, 2.0, 2.76, 5.4};
    const double amp[4] = {1.0, 0.5, 0.35, 0.15};
    const double decay[4] = {0.8, 0.55, 0.3, 0.12};
    std::vector<double> v = render(1.5, [&](double t) {
        double s = 0.0;
        for (int k = 0; k < 4; ++k)
            s += amp[k] * std::sin(two_pi * c4_hz * ratio[k] * t) * std::exp(-t / decay[k]);
        return s;
    });
    XmInstrument ins = one_shot("bell", v, 0.85, 0xb0, 100);
    // Held at full level, so a key off lets the ring fade instead of stopping it.
    ins.volume_envelope.points = {{0, 64}, {1, 64}};
    ins.volume_envelope.sustain = 1;
    ins.fadeout = 0x200;
    return ins;
}

XmInstrument make_stab() {
    // Power chord (root, fifth, octave) of saws: fits every chord of the key.
    int n = frames_for(0.4);
    std::vector<double> v(n, 0.0);
    const double notes[3] = {1.0, std::pow(2.0, 7.0 / 12.0), 2.0};
    for (double ratio : notes) {
        for (int h = 1; h <= 24; ++h) {
            double f = c4_hz * ratio * h;
            if (f > 9000.0)
                break;
            double step = two_pi * f / sample_rate;
            for (int i = 0; i < n; ++i) {
                double t = i / sample_rate;
                double bright = std::exp(-t * (4.0 + 1.6 * h));
                v[i] += std::sin(step * i + h) / h * (0.35 + bright) * std::exp(-t / 0.12);
            }
        }
    }
    saturate(v, 1.4);
    return one_shot("stab", v, 0.85, 0x80, 100);
}

XmInstrument make_bass() {
    // Two saws a few cents apart, their top softened: the loop holds whole cycles of both.
    auto shape = [](int n) { return (1.0 / n) / (1.0 + (n / 9.0) * (n / 9.0)); };
    XmInstrument ins = band_limited(
        "bass",
        [&](double limit) {
            return saturated_loop(harmonic_loop(64, {{64, 1.0}, {65, 0.45}}, 40, shape, limit), 64,
                                  1.6, limit);
        },
        true, 0.9, 0x80);
    // Sounding from the first tick: a note tied to the one before restarts the sample, and an
    // envelope from zero would leave a tick of silence between them. The sample's faded start
    // keeps the attack free of a click.
    ins.volume_envelope.points = {{0, 44}, {1, 64}, {12, 52}, {40, 44}};
    ins.volume_envelope.sustain = 3;
    ins.fadeout = 0x800;
    return ins;
}

XmInstrument make_sub() {
    std::vector<double> v = harmonic_loop(
        1, {{1, 1.0}}, 2, [](int n) { return n == 1 ? 1.0 : 0.15; }, 1e9);
    XmInstrument ins;
    ins.name = "sub";
    ins.samples.push_back(make_sample("sub", v, 0.9 / peak_of(v)));
    ins.samples[0].loop_length = (int)v.size();
    ins.volume_envelope.points = {{0, 0}, {3, 64}, {60, 56}};
    ins.volume_envelope.sustain = 2;
    ins.fadeout = 0x300;
    return ins;
}

XmInstrument make_pad() {
    // A wide bed of five detuned saws over a 128-cycle loop (about 0.5 s), dark on top.
    auto shape = [](int n) { return (1.0 / n) / (1.0 + std::pow(n / 10.0, 3.0)); };
    XmInstrument ins = band_limited(
        "pad",
        [&](double limit) {
            return saturated_loop(
                harmonic_loop(128, {{128, 1.0}, {127, 0.8}, {129, 0.8}, {256, 0.3}, {126, 0.4}}, 48,
                              shape, limit),
                128, 2.5, limit);
        },
        true, 0.9, 0x80);
    ins.volume_envelope.points = {{0, 0}, {16, 64}, {80, 52}};
    ins.volume_envelope.sustain = 2;
    ins.fadeout = 0x1c0;
    return ins;
}

XmInstrument make_lead() {
    // Saw plus a narrow pulse, two voices 9 cents apart; thin enough to sit over the pad.
    auto shape = [](int n) {
        double saw = 1.0 / n;
        double pulse = std::sin(3.141592653589793 * n * 0.3) / n;
        return (0.7 * saw + 0.5 * pulse) / (1.0 + std::pow(n / 16.0, 2.0));
    };
    XmInstrument ins = band_limited(
        "lead",
        [&](double limit) {
            return saturated_loop(harmonic_loop(256, {{256, 1.0}, {257, 0.7}}, 24, shape, limit),
                                  256, 1.8, limit);
        },
        true, 0.9, 0x68);
    // From the first tick, as the bass: legato notes join without a gap.
    ins.volume_envelope.points = {{0, 40}, {2, 64}, {16, 50}, {60, 44}};
    ins.volume_envelope.sustain = 3;
    ins.fadeout = 0x380;
    ins.vibrato_type = 0;
    ins.vibrato_sweep = 40;
    ins.vibrato_depth = 3;
    ins.vibrato_rate = 12;
    return ins;
}

} // namespace

std::vector<XmInstrument> synth_instruments() {
    std::vector<XmInstrument> all;
    all.push_back(make_kick());
    all.push_back(make_snare());
    all.push_back(make_hat("hat", 0.016, 0.1, 0xb0));
    all.push_back(make_hat("open hat", 0.12, 0.45, 0x50));
    all.push_back(make_crash());
    all.push_back(make_clap());
    all.push_back(make_bass());
    all.push_back(make_pad());
    all.push_back(make_lead());
    all.push_back(make_pluck());
    all.push_back(make_stab());
    all.push_back(make_riser());
    all.push_back(make_boom());
    all.push_back(make_sub());
    all.push_back(make_bell());
    all.push_back(make_splash());
    all.push_back(make_roll());
    return all;
}
