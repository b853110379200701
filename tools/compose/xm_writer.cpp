#include "xm_writer.h"

#include <stdexcept>

namespace {

struct Bytes {
    std::vector<uint8_t> data;

    void u8(int v) { data.push_back((uint8_t)v); }
    void u16(int v) {
        u8(v & 0xff);
        u8((v >> 8) & 0xff);
    }
    void u32(uint32_t v) {
        u16((int)(v & 0xffff));
        u16((int)(v >> 16));
    }
    void text(const std::string& s, size_t width) {
        for (size_t i = 0; i < width; ++i)
            u8(i < s.size() ? s[i] : ' ');
    }
    void zeros(size_t n) { data.insert(data.end(), n, 0); }
    void patch_u16(size_t at, int v) {
        data[at] = (uint8_t)(v & 0xff);
        data[at + 1] = (uint8_t)((v >> 8) & 0xff);
    }
};

void write_pattern(Bytes& out, const XmPattern& pattern) {
    out.u32(9);
    out.u8(0);
    out.u16(pattern.rows);
    size_t size_at = out.data.size();
    out.u16(0);
    size_t start = out.data.size();
    // Every cell is written, trailing empty ones too: some readers reject short data.
    for (const XmCell& c : pattern.cells) {
        if (c.note && c.instrument && c.volume && c.effect && c.param) {
            out.u8(c.note);
            out.u8(c.instrument);
            out.u8(c.volume);
            out.u8(c.effect);
            out.u8(c.param);
            continue;
        }
        int mask = 0x80 | (c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) |
                   (c.effect ? 8 : 0) | (c.param ? 16 : 0);
        out.u8(mask);
        if (c.note)
            out.u8(c.note);
        if (c.instrument)
            out.u8(c.instrument);
        if (c.volume)
            out.u8(c.volume);
        if (c.effect)
            out.u8(c.effect);
        if (c.param)
            out.u8(c.param);
    }
    size_t packed = out.data.size() - start;
    if (packed > 0xffff)
        throw std::runtime_error("pattern too large");
    out.patch_u16(size_at, (int)packed);
}

void write_envelope_points(Bytes& out, const XmEnvelope& env) {
    for (size_t i = 0; i < 12; ++i) {
        if (i < env.points.size()) {
            out.u16(env.points[i].first);
            out.u16(env.points[i].second);
        } else {
            out.u16(0);
            out.u16(0);
        }
    }
}

void write_sample_header(Bytes& out, const XmSample& s) {
    // Lengths and loop points are in bytes for 16-bit data.
    out.u32((uint32_t)s.frames.size() * 2);
    out.u32((uint32_t)s.loop_start * 2);
    out.u32((uint32_t)s.loop_length * 2);
    out.u8(s.volume);
    out.u8((uint8_t)(int8_t)s.finetune);
    out.u8(0x10 | (s.loop_length > 0 ? 1 : 0));
    out.u8(s.panning);
    out.u8((uint8_t)(int8_t)s.relative_note);
    out.u8(0);
    out.text(s.name, 22);
}

void write_instrument(Bytes& out, const XmInstrument& ins) {
    if (ins.samples.empty() || ins.samples.size() > 16)
        throw std::runtime_error("instrument without samples or with too many");
    out.u32(263);
    out.text(ins.name, 22);
    out.u8(0);
    out.u16((int)ins.samples.size());
    out.u32(40);
    for (uint8_t s : ins.note_sample) {
        if (s >= ins.samples.size())
            throw std::runtime_error("note mapped to a missing sample");
        out.u8(s);
    }
    write_envelope_points(out, ins.volume_envelope);
    write_envelope_points(out, XmEnvelope{});
    out.u8((int)ins.volume_envelope.points.size());
    out.u8(0);
    int sustain = ins.volume_envelope.sustain;
    out.u8(sustain >= 0 ? sustain : 0);
    out.u8(0);
    out.u8(0);
    out.zeros(3);
    int type = ins.volume_envelope.points.empty() ? 0 : (1 | (sustain >= 0 ? 2 : 0));
    out.u8(type);
    out.u8(0);
    out.u8(ins.vibrato_type);
    out.u8(ins.vibrato_sweep);
    out.u8(ins.vibrato_depth);
    out.u8(ins.vibrato_rate);
    out.u16(ins.fadeout);
    out.zeros(7 + 15);

    // All sample headers first, then the data of each, delta-coded.
    for (const XmSample& s : ins.samples)
        write_sample_header(out, s);
    for (const XmSample& s : ins.samples) {
        int16_t previous = 0;
        for (int16_t f : s.frames) {
            out.u16((uint16_t)(f - previous));
            previous = f;
        }
    }
}

} // namespace

std::vector<uint8_t> xm_serialise(const XmModule& m) {
    if (m.orders.empty() || m.orders.size() > 256 || m.channels < 2 || m.channels > 32 ||
        (m.channels & 1) || m.patterns.size() > 256 || m.instruments.size() > 128)
        throw std::runtime_error("module outside the XM limits");
    Bytes out;
    out.text("Extended Module: ", 17);
    out.text(m.name, 20);
    out.u8(0x1a);
    out.text(m.tracker, 20);
    out.u16(0x0104);
    out.u32(276);
    out.u16((int)m.orders.size());
    out.u16(m.restart);
    out.u16(m.channels);
    out.u16((int)m.patterns.size());
    out.u16((int)m.instruments.size());
    out.u16(1); // linear frequency table
    out.u16(m.speed);
    out.u16(m.bpm);
    for (int i = 0; i < 256; ++i)
        out.u8(i < (int)m.orders.size() ? m.orders[i] : 0);
    for (const XmPattern& p : m.patterns)
        write_pattern(out, p);
    for (const XmInstrument& ins : m.instruments)
        write_instrument(out, ins);
    return out.data;
}
