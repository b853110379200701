#include "synth.h"

#include <algorithm>
#include <cmath>
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

std::vector<int16_t> to_frames(const std::vector<double>& v, double peak) {
    double m = 1e-9;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    std::vector<int16_t> out(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = (int16_t)std::lround(v[i] / m * peak * 32767.0);
    return out;
}

// Short fades at both ends so one-shots start and stop without a click.
void fade_ends(std::vector<double>& v, int in_frames, int out_frames) {
    int n = (int)v.size();
    for (int i = 0; i < in_frames && i < n; ++i)
        v[i] *= (double)i / in_frames;
    for (int i = 0; i < out_frames && i < n; ++i)
        v[n - 1 - i] *= (double)i / out_frames;
}

// A loop of `cycles_total` C-4 cycles: each voice has a whole number of cycles in the loop,
// so the loop point is seamless. Harmonic n of a voice has amplitude shape(n).
struct Voice {
    int cycles;
    double amplitude;
};
template <class Shape>
std::vector<double> harmonic_loop(int loop_cycles, const std::vector<Voice>& voices, int harmonics,
                                  Shape shape) {
    int length = loop_cycles * cycle;
    std::vector<double> v(length, 0.0);
    uint32_t phase_seed = 77u;
    for (const Voice& voice : voices) {
        for (int n = 1; n <= harmonics; ++n) {
            double a = voice.amplitude * shape(n);
            // Nothing at or above the sample's Nyquist frequency: it would alias.
            if (a == 0.0 || 2 * n * voice.cycles >= length)
                continue;
            phase_seed = phase_seed * 1103515245u + 12345u;
            double phase = (double)(phase_seed >> 16) / 65536.0 * two_pi;
            double step = two_pi * n * voice.cycles / length;
            for (int i = 0; i < length; ++i)
                v[i] += a * std::sin(step * i + phase);
        }
    }
    return v;
}

XmInstrument tonal(const char* name, std::vector<double> wave, int loop_start, double peak) {
    XmInstrument ins;
    ins.name = name;
    ins.sample.name = name;
    ins.sample.frames = to_frames(wave, peak);
    ins.sample.relative_note = 24;
    ins.sample.loop_start = loop_start;
    ins.sample.loop_length = (int)wave.size() - loop_start;
    return ins;
}

XmInstrument one_shot(const char* name, std::vector<double> wave, double peak) {
    fade_ends(wave, 8, 64);
    XmInstrument ins;
    ins.name = name;
    ins.sample.name = name;
    ins.sample.frames = to_frames(wave, peak);
    ins.sample.relative_note = 24;
    return ins;
}

int frames_for(double seconds) {
    return (int)(seconds * sample_rate);
}

XmInstrument make_kick() {
    int n = frames_for(0.42);
    std::vector<double> v(n);
    double phase = 0.0;
    Noise noise;
    for (int i = 0; i < n; ++i) {
        double t = i / sample_rate;
        double f = 44.0 + 130.0 * std::exp(-t / 0.03) + 60.0 * std::exp(-t / 0.006);
        phase += two_pi * f / sample_rate;
        double body = std::sin(phase) * std::exp(-t / 0.22);
        double click = noise.next() * std::exp(-t / 0.0015) * 0.35;
        v[i] = std::tanh(1.6 * body) + click;
    }
    return one_shot("kick", v, 0.95);
}

// One-pole high-pass, enough to take the rumble out of noise.
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

XmInstrument make_snare() {
    int n = frames_for(0.32);
    std::vector<double> v(n);
    Noise noise;
    HighPass hp(1200.0);
    LowPass lp(9000.0);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        double t = i / sample_rate;
        double f = 185.0 + 90.0 * std::exp(-t / 0.01);
        phase += two_pi * f / sample_rate;
        double tone = std::sin(phase) * std::exp(-t / 0.045) * 0.8;
        double hiss = lp.run(hp.run(noise.next())) * std::exp(-t / 0.09) * 1.2;
        v[i] = tone + hiss;
    }
    return one_shot("snare", v, 0.9);
}

XmInstrument make_clap() {
    int n = frames_for(0.35);
    std::vector<double> v(n);
    Noise noise;
    HighPass hp(900.0);
    LowPass lp(5000.0);
    for (int i = 0; i < n; ++i) {
        double t = i / sample_rate;
        // Three quick bursts, then the tail: the sound of several hands.
        double env = 0.0;
        for (int b = 0; b < 3; ++b) {
            double tb = t - b * 0.011;
            if (tb >= 0)
                env = std::max(env, std::exp(-tb / 0.006));
        }
        env = std::max(env, 0.6 * std::exp(-(t - 0.022) / 0.07) * (t > 0.022 ? 1.0 : 0.0));
        v[i] = lp.run(hp.run(noise.next())) * env;
    }
    return one_shot("clap", v, 0.9);
}

XmInstrument make_hat(const char* name, double decay, double seconds) {
    int n = frames_for(seconds);
    std::vector<double> v(n);
    Noise noise;
    HighPass hp(7000.0), hp2(5000.0);
    // A few detuned square partials give the metallic edge of a cymbal.
    const double partials[6] = {3.14, 4.56, 5.81, 6.93, 8.21, 10.6};
    for (int i = 0; i < n; ++i) {
        double t = i / sample_rate;
        double metal = 0.0;
        for (double p : partials)
            metal += std::sin(two_pi * p * 400.0 * t) > 0 ? 1.0 : -1.0;
        double x = noise.next() + 0.08 * metal;
        v[i] = hp2.run(hp.run(x)) * std::exp(-t / decay);
    }
    return one_shot(name, v, 0.8);
}

XmInstrument make_crash() {
    int n = frames_for(2.2);
    std::vector<double> v(n);
    Noise noise;
    HighPass hp(3500.0);
    LowPass lp(12000.0);
    const double partials[8] = {2.71, 3.37, 4.19, 5.03, 5.77, 6.61, 7.93, 9.07};
    for (int i = 0; i < n; ++i) {
        double t = i / sample_rate;
        double metal = 0.0;
        for (double p : partials)
            metal += std::sin(two_pi * p * 311.0 * t + p);
        double x = noise.next() + 0.05 * metal;
        double env = std::exp(-t / 0.55) * (1.0 - std::exp(-t / 0.002));
        v[i] = lp.run(hp.run(x)) * env;
    }
    return one_shot("crash", v, 0.85);
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
    return one_shot("riser", v, 0.8);
}

XmInstrument make_boom() {
    int n = frames_for(1.8);
    std::vector<double> v(n);
    Noise noise;
    LowPass lp(400.0);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        double t = i / sample_rate;
        double f = 38.0 + 40.0 * std::exp(-t / 0.08);
        phase += two_pi * f / sample_rate;
        v[i] = std::sin(phase) * std::exp(-t / 0.6) + lp.run(noise.next()) * std::exp(-t / 0.3);
    }
    return one_shot("boom", v, 0.9);
}

// A decaying band-limited saw whose upper harmonics die first: the pluck of the arpeggios.
std::vector<double> decaying_saw(double seconds, int harmonics, double base_decay,
                                 double decay_per_harmonic, double detune) {
    int n = frames_for(seconds);
    std::vector<double> v(n, 0.0);
    double f0 = sample_rate / cycle;
    for (int h = 1; h <= harmonics; ++h) {
        double rate = 1.0 / base_decay + decay_per_harmonic * h;
        for (int voice = 0; voice < 2; ++voice) {
            double f = f0 * h * (voice ? 1.0 + detune : 1.0);
            double step = two_pi * f / sample_rate;
            double phase = h * 0.7 + voice;
            for (int i = 0; i < n; ++i) {
                double t = i / sample_rate;
                v[i] += std::sin(step * i + phase) / h * std::exp(-t * rate);
            }
        }
    }
    return v;
}

XmInstrument make_pluck() {
    std::vector<double> v = decaying_saw(0.6, 24, 0.25, 0.9, 0.004);
    return one_shot("pluck", v, 0.85);
}

XmInstrument make_bell() {
    // Two inharmonic partial pairs: a soft glassy bell for the quiet sections.
    int n = frames_for(1.6);
    std::vector<double> v(n);
    double f0 = sample_rate / cycle;
    const double ratio[4] = {1.0, 2.0, 2.76, 5.4};
    const double amp[4] = {1.0, 0.5, 0.35, 0.15};
    const double decay[4] = {0.9, 0.6, 0.35, 0.15};
    for (int i = 0; i < n; ++i) {
        double t = i / sample_rate;
        double s = 0.0;
        for (int k = 0; k < 4; ++k)
            s += amp[k] * std::sin(two_pi * f0 * ratio[k] * t) * std::exp(-t / decay[k]);
        v[i] = s;
    }
    XmInstrument ins = one_shot("bell", v, 0.85);
    // Held at full level, so a key off lets the ring fade instead of stopping it.
    ins.volume_envelope.points = {{0, 64}, {1, 64}};
    ins.volume_envelope.sustain = 1;
    ins.fadeout = 0x180;
    return ins;
}

XmInstrument make_stab() {
    // Power chord (root, fifth, octave) of saws: fits every chord of the key.
    int n = frames_for(0.5);
    std::vector<double> v(n, 0.0);
    double f0 = sample_rate / cycle;
    const double notes[3] = {1.0, std::pow(2.0, 7.0 / 12.0), 2.0};
    for (double ratio : notes) {
        for (int h = 1; h <= 16; ++h) {
            double f = f0 * ratio * h;
            if (f > 9000.0)
                break;
            double step = two_pi * f / sample_rate;
            for (int i = 0; i < n; ++i) {
                double t = i / sample_rate;
                double bright = std::exp(-t * (4.0 + 1.6 * h));
                v[i] += std::sin(step * i + h) / h * (0.35 + bright) * std::exp(-t / 0.16);
            }
        }
    }
    return one_shot("stab", v, 0.85);
}

XmInstrument make_bass() {
    // Two saws a few cents apart, their top softened: 32 cycles loop seamlessly.
    auto shape = [](int n) { return (1.0 / n) / (1.0 + (n / 9.0) * (n / 9.0)); };
    std::vector<double> v = harmonic_loop(64, {{64, 1.0}, {65, 0.35}, {32, 0.5}}, 40, shape);
    XmInstrument ins = tonal("bass", v, 0, 0.9);
    ins.volume_envelope.points = {{0, 0}, {1, 64}, {12, 52}, {40, 44}};
    ins.volume_envelope.sustain = 3;
    ins.fadeout = 0x600;
    return ins;
}

XmInstrument make_sub() {
    std::vector<double> v =
        harmonic_loop(1, {{1, 1.0}}, 2, [](int n) { return n == 1 ? 1.0 : 0.15; });
    XmInstrument ins = tonal("sub", v, 0, 0.9);
    ins.volume_envelope.points = {{0, 0}, {3, 64}, {60, 56}};
    ins.volume_envelope.sustain = 2;
    ins.fadeout = 0x300;
    return ins;
}

XmInstrument make_pad() {
    // A wide bed of five detuned saws over a 128-cycle loop (about 0.5 s), dark on top.
    auto shape = [](int n) { return (1.0 / n) / (1.0 + std::pow(n / 7.0, 3.0)); };
    std::vector<double> v =
        harmonic_loop(128, {{128, 1.0}, {127, 0.8}, {129, 0.8}, {256, 0.3}, {126, 0.4}}, 48, shape);
    XmInstrument ins = tonal("pad", v, 0, 0.9);
    ins.volume_envelope.points = {{0, 0}, {40, 64}, {90, 52}};
    ins.volume_envelope.sustain = 2;
    ins.fadeout = 0x0c0;
    return ins;
}

XmInstrument make_lead() {
    // Saw plus a narrow pulse, two voices 9 cents apart; thin enough to sit over the pad.
    auto shape = [](int n) {
        double saw = 1.0 / n;
        double pulse = std::sin(3.141592653589793 * n * 0.3) / n;
        return (0.7 * saw + 0.5 * pulse) / (1.0 + std::pow(n / 12.0, 2.0));
    };
    std::vector<double> v = harmonic_loop(192, {{192, 1.0}, {193, 0.7}}, 20, shape);
    XmInstrument ins = tonal("lead", v, 0, 0.9);
    ins.volume_envelope.points = {{0, 0}, {2, 64}, {16, 50}, {60, 44}};
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
    all.push_back(make_hat("hat", 0.018, 0.12));
    all.push_back(make_hat("open hat", 0.14, 0.5));
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
    return all;
}
