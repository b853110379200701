// The XM module as the composer builds it, and its serialisation to FastTracker II's layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XmCell {
    uint8_t note = 0; // 1..96, 97 = key off
    uint8_t instrument = 0;
    uint8_t volume = 0; // volume column byte
    uint8_t effect = 0;
    uint8_t param = 0;
};

constexpr uint8_t xm_key_off = 97;

struct XmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<XmCell> cells; // row-major: row 0 channel 0, row 0 channel 1, ...

    XmPattern(int rows_, int channels_)
        : rows(rows_), channels(channels_), cells((size_t)rows_ * channels_) {}
    XmCell& at(int row, int channel) { return cells[(size_t)row * channels + channel]; }
};

struct XmEnvelope {
    std::vector<std::pair<int, int>> points; // (tick, value); at most 12
    int sustain = -1;                        // point index, -1 none
};

struct XmSample {
    std::vector<int16_t> frames;
    int loop_start = 0;  // in frames
    int loop_length = 0; // in frames; 0 = one-shot
    int volume = 64;
    int finetune = 0;
    int panning = 128;
    int relative_note = 0;
    std::string name;
};

struct XmInstrument {
    std::string name;
    // One sample, or one per range of notes (band-limited copies of a tone, so that high notes
    // hold no partials above what the output can carry); note_sample picks it for each note.
    std::vector<XmSample> samples;
    uint8_t note_sample[96] = {};
    XmEnvelope volume_envelope;
    int fadeout = 0;
    int vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
};

struct XmModule {
    std::string name;
    std::string tracker;
    int channels = 0;
    int speed = 6;
    int bpm = 125;
    int restart = 0;
    std::vector<int> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The module as the bytes of an .xm file (version 0x0104, linear frequency table, 16-bit
// delta-coded samples).
std::vector<uint8_t> xm_serialise(const XmModule& module);
