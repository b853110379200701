#include "song.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "runtime/trigger_positions.h"
#include "synth.h"

// 64 rows make two bars of 4/4, eight rows a beat. The tempo map puts the orders where the
// scenes need them: orders 14-21 inside 39.5-59.8 s, 22-27 inside 59-79 s, 28-35 inside
// 79-102 s, 36-43 inside 101-124 s, 50-57 inside 140-162 s and 57-63 inside 159-180 s.
// Rows last speed * floor(120000 / bpm) frames at 48 kHz.
const SongSection song_sections[song_section_count] = {
    {0, 14, 4, 226, style_intro},  // 0 - 39.57 s
    {14, 8, 4, 250, style_drive},  // 39.57 - 60.05 s
    {22, 5, 4, 233, style_stomp},  // 60.05 - 73.79 s
    {27, 1, 8, 233, style_break},  // 73.79 - 79.28 s, half time
    {28, 8, 4, 233, style_groove}, // 79.28 - 101.25 s
    {36, 8, 4, 233, style_rise},   // 101.25 - 123.23 s
    {44, 6, 4, 226, style_float},  // 123.23 - 140.19 s
    {50, 8, 4, 233, style_return}, // 140.19 - 162.16 s
    {58, 6, 4, 233, style_theme},  // 162.16 - 178.64 s
    {64, 8, 4, 233, style_finale}, // 178.64 - 200.61 s
};

namespace {

enum Channel {
    ch_kick,
    ch_snare,
    ch_hat,
    ch_open_hat,
    ch_bass,
    ch_sub,
    ch_pad1,
    ch_pad2,
    ch_pad3,
    ch_lead,
    ch_lead_echo,
    ch_arp,
    ch_arp_echo, // also the bells
    ch_stab,
    ch_accent, // crash and clap on the accents; carries the speed changes
    ch_fx,     // riser and boom; carries the BPM changes
};

constexpr int rows = 64;
constexpr int bar = 32;

// Pitch classes.
enum { C = 0, Cs = 1, D = 2, Ds = 3, E = 4, F = 5, Fs = 6, G = 7, Gs = 8, A = 9, As = 10, B = 11 };

struct Chord {
    int root;
    bool minor;
    int third() const { return (root + (minor ? 3 : 4)) % 12; }
    int fifth() const { return (root + 7) % 12; }
};

const Chord Dm{D, true}, Bb{As, false}, Fmaj{F, false}, Cmaj{C, false}, Am{A, true}, Amaj{A, false},
    Gm{G, true};

// One chord per bar, repeating over the section.
const std::vector<Chord> prog_main = {Dm, Bb, Fmaj, Cmaj};
const std::vector<Chord> prog_dark = {Dm, Dm, Bb, Amaj};
const std::vector<Chord> prog_break = {Bb, Amaj};
const std::vector<Chord> prog_groove = {Dm, Cmaj, Bb, Cmaj};
const std::vector<Chord> prog_rise = {Bb, Cmaj, Am, Dm};
const std::vector<Chord> prog_finale = {Bb, Cmaj, Am,   Dm,   Dm, Bb,   Fmaj, Cmaj,
                                        Dm, Bb,   Fmaj, Cmaj, Bb, Cmaj, Dm,   Dm};

int xm_note(int pc, int octave) {
    return 12 * octave + pc + 1;
}

// Levels are written on a 0..64 scale and lifted by half: the mix then peaks a few dB below
// full scale at libopenmpt's default settings.
uint8_t vol(int v) {
    v = v * 3 / 2;
    return (uint8_t)(0x10 + (v < 0 ? 0 : v > 64 ? 64 : v));
}

// A melody: notes with start and length in rows over a phrase of two patterns (four bars).
struct MelodyNote {
    int start;
    int note; // 0 = rest
    int length;
};
using Melody = std::vector<MelodyNote>;

// "A#4:8 D5:4 -:4 | ..." -> notes; '|' marks a bar line and is checked.
Melody parse_melody(const char* text) {
    Melody m;
    int row = 0, bar_start = 0;
    std::string s(text);
    size_t i = 0;
    auto fail = [&](const char* why) {
        std::fprintf(stderr, "compose: bad melody (%s): %s\n", why, text);
        std::exit(2);
    };
    while (i < s.size()) {
        if (s[i] == ' ') {
            ++i;
            continue;
        }
        if (s[i] == '|') {
            if (row - bar_start != bar)
                fail("bar length");
            bar_start = row;
            ++i;
            continue;
        }
        size_t colon = s.find(':', i);
        if (colon == std::string::npos)
            fail("no length");
        std::string name = s.substr(i, colon - i);
        size_t end = colon + 1;
        while (end < s.size() && s[end] >= '0' && s[end] <= '9')
            ++end;
        int length = std::atoi(s.substr(colon + 1, end - colon - 1).c_str());
        int note = 0;
        if (name != "-") {
            static const int letter_pc[7] = {A, B, C, D, E, F, G};
            int pc = letter_pc[name[0] - 'A'];
            size_t k = 1;
            if (k < name.size() && name[k] == '#') {
                pc = (pc + 1) % 12;
                ++k;
            }
            note = xm_note(pc, name[k] - '0');
        }
        m.push_back({row, note, length});
        row += length;
        i = end;
    }
    if (row != 2 * rows || row - bar_start != bar)
        fail("phrase length");
    return m;
}

// Main theme over Dm Bb F C; second theme over Bb C Am Dm; the dark riff over Dm Dm Bb A;
// the bell line of the groove over Dm C Bb C.
const char* theme_a_text = "A4:8 D5:4 E5:4 F5:8 E5:4 D5:4 | D5:12 C5:4 A#4:8 F4:8 |"
                           "A4:8 C5:4 F5:4 A5:8 G5:4 F5:4 | E5:12 G5:4 E5:8 D5:4 -:4";
const char* theme_b_text = "F5:8 D5:8 A#4:4 C5:4 D5:8 | E5:8 G5:8 E5:4 D5:4 C5:8 |"
                           "E5:12 C5:4 A4:8 C5:8 | D5:24 -:8";
const char* theme_d_text = "A5:8 F5:8 D5:8 F5:8 | G5:8 E5:8 C5:8 E5:8 |"
                           "F5:8 D5:8 A#4:8 D5:8 | E5:8 G5:8 C6:12 -:4";
const char* theme_c_text = "D5:4 -:4 D5:4 F5:4 -:4 E5:4 D5:4 C5:4 | D5:16 A4:12 -:4 |"
                           "A#4:8 D5:8 F5:8 D5:8 | C#5:16 E5:8 -:8";

struct Song {
    XmModule module;
    std::set<std::pair<int, int>> accents; // (order, row) of every trigger
    Melody theme_a, theme_b, theme_c, theme_d;
};

struct Pattern {
    XmPattern& p;

    void note(int row, int ch, int note, int ins, int v) {
        if (row < 0 || row >= rows)
            return;
        XmCell& c = p.at(row, ch);
        c.note = (uint8_t)note;
        c.instrument = (uint8_t)ins;
        c.volume = vol(v);
    }
    void off(int row, int ch) {
        if (row < 0 || row >= rows)
            return;
        XmCell& c = p.at(row, ch);
        if (c.note == 0)
            c.note = xm_key_off;
    }
    void effect(int row, int ch, int type, int param) {
        XmCell& c = p.at(row, ch);
        c.effect = (uint8_t)type;
        c.param = (uint8_t)param;
    }
    bool free(int row, int ch) { return p.at(row, ch).note == 0; }
};

constexpr int fx_panning = 8;
constexpr int fx_tempo = 15;
constexpr int fx_global_volume = 16;

Chord chord_at(const std::vector<Chord>& prog, int bar_index) {
    return prog[bar_index % prog.size()];
}

// ---- drums -------------------------------------------------------------------------------

void drums_breakbeat(Pattern& pat, int b, int intensity) {
    pat.note(b + 0, ch_kick, xm_note(C, 4), ins_kick, 60);
    pat.note(b + 20, ch_kick, xm_note(C, 4), ins_kick, 54);
    if (b == bar)
        pat.note(b + 26, ch_kick, xm_note(C, 4), ins_kick, 40);
    pat.note(b + 8, ch_snare, xm_note(C, 4), ins_snare, 46);
    pat.note(b + 24, ch_snare, xm_note(C, 4), ins_snare, 46);
    if (intensity >= 2)
        pat.note(b + 30, ch_snare, xm_note(C, 4), ins_snare, 14); // ghost note
    int step = intensity >= 2 ? 2 : 4;
    for (int r = 0; r < bar; r += step)
        pat.note(b + r, ch_hat, xm_note(C, 4), ins_hat, (r % 8 == 4) ? 24 : 14);
    if (intensity >= 1)
        pat.note(b + 28, ch_open_hat, xm_note(C, 4), ins_open_hat, 18);
}

void drums_stomp(Pattern& pat, int b) {
    for (int r = 0; r < bar; r += 8)
        pat.note(b + r, ch_kick, xm_note(C, 4), ins_kick, 60);
    pat.note(b + 8, ch_snare, xm_note(C, 4), ins_clap, 40);
    pat.note(b + 24, ch_snare, xm_note(C, 4), ins_clap, 40);
    for (int r = 0; r < bar; r += 2)
        if (r % 8 != 4)
            pat.note(b + r, ch_hat, xm_note(C, 4), ins_hat, r % 4 == 0 ? 12 : 18);
    for (int r = 4; r < bar; r += 8)
        pat.note(b + r, ch_open_hat, xm_note(C, 4), ins_open_hat, 20);
}

void drums_half_time(Pattern& pat, int b) {
    pat.note(b + 0, ch_kick, xm_note(C, 4), ins_kick, 58);
    pat.note(b + 16, ch_snare, xm_note(C, 4), ins_snare, 46);
    for (int r = 0; r < bar; r += 4)
        pat.note(b + r, ch_hat, xm_note(C, 4), ins_hat, r % 8 == 4 ? 20 : 12);
}

// A short snare fill over the last beat, every fourth pattern, to mark the phrase.
void drum_fill(Pattern& pat, int i) {
    if (i % 4 != 3)
        return;
    const int fill[6] = {56, 58, 60, 61, 62, 63};
    for (int k = 0; k < 6; ++k)
        pat.note(fill[k], ch_snare, xm_note(C, 4), ins_snare, 26 + 5 * k);
}

// A snare build: quarters, eighths, sixteenths, then every row, louder all the way, and a
// breath of silence before the drop.
void drums_build(Pattern& pat) {
    for (int r = 0; r < 56;) {
        int v = 18 + r * 38 / 56;
        pat.note(r, ch_snare, xm_note(C, 4), ins_snare, v);
        r += r < 24 ? 8 : r < 40 ? 4 : r < 48 ? 2 : 1;
    }
    pat.note(0, ch_kick, xm_note(C, 4), ins_kick, 56);
    pat.note(32, ch_kick, xm_note(C, 4), ins_kick, 50);
}

// ---- harmony -----------------------------------------------------------------------------

void pads(Pattern& pat, const std::vector<Chord>& prog, int first_bar, int v) {
    static const int pans[3] = {0x50, 0x80, 0xb0};
    const int chans[3] = {ch_pad1, ch_pad2, ch_pad3};
    for (int k = 0; k < 2; ++k) {
        Chord c = chord_at(prog, first_bar + k);
        int tones[3] = {c.root, c.third(), c.fifth()};
        for (int voice = 0; voice < 3; ++voice) {
            pat.note(k * bar, chans[voice], xm_note(tones[voice], 4), ins_pad, v);
            pat.effect(k * bar, chans[voice], fx_panning, pans[voice]);
        }
    }
}

int bass_root(const Chord& c) {
    return xm_note(c.root, c.root >= Gs ? 1 : 2);
}

struct BassStep {
    int row, interval, length;
};
const std::vector<BassStep> bass_drive = {{0, 0, 6},  {8, 0, 2},  {12, 12, 4},
                                          {20, 0, 4}, {24, 7, 4}, {28, 12, 2}};
const std::vector<BassStep> bass_stomp = {{0, 0, 3},  {4, 0, 3},  {8, 0, 3},   {12, 12, 3},
                                          {16, 0, 3}, {20, 0, 3}, {24, 10, 3}, {28, 12, 3}};
const std::vector<BassStep> bass_groove = {{0, 0, 10}, {12, 0, 4}, {20, 12, 4}, {26, 7, 6}};
const std::vector<BassStep> bass_long = {{0, 0, 30}};

void bass(Pattern& pat, const std::vector<Chord>& prog, int first_bar,
          const std::vector<BassStep>& steps, int v, int ch = ch_bass, int ins = ins_bass) {
    for (int k = 0; k < 2; ++k) {
        int root = bass_root(chord_at(prog, first_bar + k));
        for (const BassStep& s : steps) {
            pat.note(k * bar + s.row, ch, root + s.interval, ins, v);
            int end = s.row + s.length;
            bool next_note = false;
            for (const BassStep& t : steps)
                next_note = next_note || t.row == end || (end == bar && t.row == 0);
            if (!next_note)
                pat.off(k * bar + end, ch);
        }
    }
}

// Sixteenth-note arpeggio over the chord, echoed a dotted eighth later on the right.
void arpeggio(Pattern& pat, const std::vector<Chord>& prog, int first_bar, int v, bool echo) {
    static const int shape[8] = {0, 7, 12, 15, 19, 15, 12, 7};
    for (int k = 0; k < 2; ++k) {
        Chord c = chord_at(prog, first_bar + k);
        int root = xm_note(c.root, c.root >= G ? 3 : 4);
        for (int step = 0; step < 16; ++step) {
            int interval = shape[step % 8];
            if (interval == 15 || interval == 27)
                interval = c.minor ? 15 : 16;
            int row = k * bar + step * 2;
            pat.note(row, ch_arp, root + interval, ins_pluck, v - (step % 4 ? 6 : 0));
            if (echo && row + 6 < rows) {
                pat.note(row + 6, ch_arp_echo, root + interval, ins_pluck, v / 2);
                pat.effect(row + 6, ch_arp_echo, fx_panning, 0xd0);
            }
        }
    }
}

// Places the part of a four-bar melody that falls in this pattern (half 0 or 1 of the phrase).
void melody(Pattern& pat, const Melody& m, int half, int transpose, int ch, int ins, int v,
            int echo_ch, int echo_pan) {
    auto place = [&](int channel, int delay, int volume, int pan) {
        for (size_t i = 0; i < m.size(); ++i) {
            const MelodyNote& n = m[i];
            for (int wrap = 0; wrap <= 1; ++wrap) {
                int start = n.start + delay - wrap * 2 * rows - half * rows;
                if (n.note == 0) {
                    pat.off(start, channel);
                    continue;
                }
                if (start >= 0 && start < rows) {
                    pat.note(start, channel, n.note + transpose, ins, volume);
                    if (pan >= 0)
                        pat.effect(start, channel, fx_panning, pan);
                }
                int end = start + n.length;
                bool legato = i + 1 < m.size() && m[i + 1].note != 0;
                if (!legato)
                    pat.off(end, channel);
            }
        }
    };
    place(ch, 0, v, -1);
    if (echo_ch >= 0)
        place(echo_ch, 6, v * 5 / 10, echo_pan);
}

// Silences the melodic channels at the top of a section unless something starts there.
void release_all(Pattern& pat) {
    const int chans[] = {ch_bass, ch_sub,       ch_pad1, ch_pad2,    ch_pad3,
                         ch_lead, ch_lead_echo, ch_arp,  ch_arp_echo};
    for (int ch : chans)
        pat.off(0, ch);
}

// ---- accents -----------------------------------------------------------------------------

// Every trigger position gets a power-chord stab and a clap, or a crash on the downbeat, so
// the picture's flashes and cuts land on something heard.
void accents(Song& song, Pattern& pat, int order, const std::vector<Chord>& prog, int first_bar,
             bool roll) {
    for (int row = 0; row < rows; ++row) {
        if (!song.accents.count({order, row}))
            continue;
        if (roll) {
            // The snare roll is itself the accent here.
            pat.note(row, ch_snare, xm_note(C, 4), ins_snare, 28 + row * 36 / 46);
            continue;
        }
        Chord c = chord_at(prog, first_bar + row / bar);
        pat.note(row, ch_stab, xm_note(c.root, c.root >= G ? 3 : 4), ins_stab, 48);
        // A kick under every accent that has none gives it weight in the low end too.
        if (pat.free(row, ch_kick))
            pat.note(row, ch_kick, xm_note(C, 4), ins_kick, 50);
        if (row == 0)
            pat.note(row, ch_accent, xm_note(C, 4), ins_crash, 34);
        else
            pat.note(row, ch_accent, xm_note(C, 4), ins_clap, 34);
    }
}

// ---- sections ----------------------------------------------------------------------------

void compose_order(Song& song, Pattern& pat, const SongSection& sec, int order) {
    int i = order - sec.first_order; // pattern index inside the section
    int first_bar = 2 * i;
    int half = i % 2;
    const Melody& theme_a = song.theme_a;
    const Melody& theme_b = song.theme_b;
    const std::vector<Chord>* prog = &prog_main;
    bool roll = false;

    switch (sec.style) {
    case style_intro:
        pads(pat, prog_main, first_bar, i == 0 ? 18 : i == 1 ? 24 : 28);
        if (i == 0)
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 30);
        if (i >= 2 && i < 8)
            melody(pat, theme_a, half, 12, ch_arp_echo, ins_bell, 22, -1, 0);
        if (i >= 2)
            arpeggio(pat, prog_main, first_bar, i < 6 ? 10 + 3 * i : 26, false);
        if (i >= 4 && i < 7) {
            bass(pat, prog_main, first_bar, bass_long, 40, ch_sub, ins_sub);
            for (int r = 4; r < rows; r += 8)
                pat.note(r, ch_hat, xm_note(C, 4), ins_hat, 8 + 2 * i);
        }
        if (i == 6)
            for (int r = 0; r < rows; r += 16)
                pat.note(r, ch_kick, xm_note(C, 4), ins_kick, 44);
        if (i == 7) {
            pat.note(0, ch_accent, xm_note(C, 4), ins_crash, 30);
            pat.off(0, ch_sub);
        }
        if (i >= 7 && i < 12) {
            bass(pat, prog_main, first_bar, bass_groove, 38);
            drums_breakbeat(pat, 0, i >= 9 ? 1 : 0);
            drums_breakbeat(pat, bar, i >= 9 ? 1 : 0);
        }
        if (i >= 8 && i < 12)
            melody(pat, theme_a, half, 0, ch_lead, ins_lead, 26, ch_lead_echo, 0x30);
        if (i == 12) {
            bass(pat, prog_main, first_bar, bass_drive, 38);
            drums_breakbeat(pat, 0, 1);
            drums_breakbeat(pat, bar, 1);
            for (int r = bar; r < rows; r += 4)
                pat.note(r, ch_snare, xm_note(C, 4), ins_snare, 20 + (r - bar));
            melody(pat, theme_a, 0, 0, ch_lead, ins_lead, 28, ch_lead_echo, 0x30);
        }
        if (i == 13) {
            drums_build(pat);
            pat.note(0, ch_fx, xm_note(C, 4), ins_riser, 40);
            bass(pat, prog_main, first_bar, bass_long, 36);
            pat.off(56, ch_bass);
            pat.off(0, ch_lead);
            pat.off(0, ch_lead_echo);
        }
        break;

    case style_drive:
        if (i == 0)
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 44);
        pads(pat, prog_main, first_bar, 22);
        bass(pat, prog_main, first_bar, bass_drive, 44);
        drums_breakbeat(pat, 0, 2);
        drums_breakbeat(pat, bar, 2);
        drum_fill(pat, i);
        melody(pat, theme_a, half, i >= 6 ? 12 : 0, ch_lead, ins_lead, 32, ch_lead_echo, 0x30);
        arpeggio(pat, prog_main, first_bar, 16, false);
        break;

    case style_stomp:
        prog = &prog_dark;
        if (i == 0) {
            release_all(pat);
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 44);
        }
        pads(pat, prog_dark, first_bar, 22);
        bass(pat, prog_dark, first_bar, bass_stomp, 42);
        drums_stomp(pat, 0);
        drums_stomp(pat, bar);
        melody(pat, song.theme_c, half, 0, ch_lead, ins_lead, 30, ch_lead_echo, 0xd0);
        break;

    case style_break:
        prog = &prog_break;
        release_all(pat);
        pads(pat, prog_break, 0, 26);
        bass(pat, prog_break, 0, bass_long, 40);
        drums_half_time(pat, 0);
        drums_half_time(pat, bar);
        pat.note(32, ch_fx, xm_note(C, 4), ins_riser, 40);
        break;

    case style_groove:
        prog = &prog_groove;
        if (i == 0) {
            release_all(pat);
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 44);
        }
        pads(pat, prog_groove, first_bar, 20);
        bass(pat, prog_groove, first_bar, bass_groove, 44);
        drums_breakbeat(pat, 0, 1);
        drums_breakbeat(pat, bar, 1);
        drum_fill(pat, i);
        arpeggio(pat, prog_groove, first_bar, 30, true);
        if (i >= 4)
            melody(pat, song.theme_d, half, 0, ch_lead, ins_bell, 22, -1, 0);
        break;

    case style_rise:
        prog = &prog_rise;
        if (i == 0) {
            release_all(pat);
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 44);
        }
        pads(pat, prog_rise, first_bar, 22);
        bass(pat, prog_rise, first_bar, bass_drive, 44);
        drums_breakbeat(pat, 0, 2);
        drums_breakbeat(pat, bar, 2);
        drum_fill(pat, i);
        melody(pat, theme_b, half, i >= 4 ? 12 : 0, ch_lead, ins_lead, 30, ch_lead_echo, 0x30);
        arpeggio(pat, prog_rise, first_bar, 18, false);
        break;

    case style_float:
        prog = &prog_rise;
        if (i == 0)
            release_all(pat);
        pads(pat, prog_rise, first_bar, 30);
        bass(pat, prog_rise, first_bar, bass_long, 38, ch_sub, ins_sub);
        melody(pat, theme_b, half, 0, ch_arp_echo, ins_bell, 26, -1, 0);
        arpeggio(pat, prog_rise, first_bar, 14, false);
        if (i >= 3)
            for (int r = 4; r < rows; r += 8)
                pat.note(r, ch_hat, xm_note(C, 4), ins_hat, 10 + 2 * i);
        if (i == 5) {
            drums_build(pat);
            pat.note(0, ch_fx, xm_note(C, 4), ins_riser, 40);
        }
        break;

    case style_return:
        if (i == 0) {
            release_all(pat);
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 48);
        }
        pads(pat, prog_main, first_bar, 22);
        if (i == 2) {
            // The snare roll: the drums hold back and the riser lifts into the drop.
            roll = true;
            pat.note(0, ch_kick, xm_note(C, 4), ins_kick, 56);
            pat.note(0, ch_fx, xm_note(C, 4), ins_riser, 40);
            bass(pat, prog_main, first_bar, bass_long, 36);
            pat.off(48, ch_bass);
            pat.off(0, ch_lead);
            pat.off(0, ch_lead_echo);
            break;
        }
        if (i == 3)
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 48);
        bass(pat, prog_main, first_bar, bass_drive, 44);
        drums_breakbeat(pat, 0, i >= 3 ? 2 : 1);
        drums_breakbeat(pat, bar, i >= 3 ? 2 : 1);
        drum_fill(pat, i);
        // Order 57 is where scene 9 joins: the theme moves up an octave there.
        melody(pat, theme_a, half, i == 7 ? 12 : 0, ch_lead, ins_lead, 30, ch_lead_echo, 0x30);
        arpeggio(pat, prog_main, first_bar, 16, i >= 3);
        break;

    case style_theme:
        if (i == 0)
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 48);
        pads(pat, prog_main, first_bar, 24);
        bass(pat, prog_main, first_bar, bass_drive, 46);
        drums_breakbeat(pat, 0, 2);
        drums_breakbeat(pat, bar, 2);
        drum_fill(pat, i);
        melody(pat, theme_a, half, 12, ch_lead, ins_lead, 30, ch_lead_echo, 0x30);
        arpeggio(pat, prog_main, first_bar, 20, true);
        break;

    case style_finale:
        prog = &prog_finale;
        if (i == 0)
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 48);
        if (i < 7)
            pads(pat, prog_finale, first_bar, i < 6 ? 24 : 28);
        if (i < 4) {
            bass(pat, prog_finale, first_bar, bass_drive, 44);
            drums_breakbeat(pat, 0, 2);
            drums_breakbeat(pat, bar, 2);
            melody(pat, i < 2 ? theme_b : theme_a, half, 12, ch_lead, ins_lead, 30, ch_lead_echo,
                   0x30);
            arpeggio(pat, prog_finale, first_bar, 20, true);
        } else if (i < 6) {
            bass(pat, prog_finale, first_bar, bass_groove, 40);
            drums_half_time(pat, 0);
            drums_half_time(pat, bar);
            melody(pat, theme_a, half, 0, ch_lead, ins_lead, 26, ch_lead_echo, 0x30);
            arpeggio(pat, prog_finale, first_bar, 16, false);
        } else if (i == 6) {
            release_all(pat);
            bass(pat, prog_finale, first_bar, bass_long, 36, ch_sub, ins_sub);
            melody(pat, theme_b, 0, 12, ch_arp_echo, ins_bell, 24, -1, 0);
        } else {
            // The last chord: D minor, a crash and a boom, then everything lets go.
            release_all(pat);
            const int tones[3] = {D, F, A};
            const int chans[3] = {ch_pad1, ch_pad2, ch_pad3};
            for (int v = 0; v < 3; ++v) {
                pat.note(0, chans[v], xm_note(tones[v], 4), ins_pad, 30);
                pat.off(8, chans[v]);
            }
            pat.note(0, ch_sub, xm_note(D, 2), ins_sub, 40);
            pat.off(8, ch_sub);
            pat.note(0, ch_arp_echo, xm_note(D, 5), ins_bell, 30);
            pat.note(0, ch_accent, xm_note(C, 4), ins_crash, 30);
            pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 44);
        }
        break;
    }
    accents(song, pat, order, *prog, first_bar, roll);
}

} // namespace

XmModule compose_song() {
    Song song;
    song.theme_a = parse_melody(theme_a_text);
    song.theme_b = parse_melody(theme_b_text);
    song.theme_c = parse_melody(theme_c_text);
    song.theme_d = parse_melody(theme_d_text);
    for (const TriggerList* list : trigger_lists)
        for (int k = 0; k < list->count; ++k)
            song.accents.insert({list->positions[k].order, list->positions[k].row});

    XmModule& m = song.module;
    m.name = "OSKE";
    m.tracker = "OSKE compose";
    m.channels = song_channels;
    m.speed = song_sections[0].speed;
    m.bpm = song_sections[0].bpm;
    m.restart = 0;
    m.instruments = synth_instruments();

    for (const SongSection& sec : song_sections) {
        for (int order = sec.first_order; order < sec.first_order + sec.order_count; ++order) {
            m.patterns.emplace_back(rows, song_channels);
            Pattern pat{m.patterns.back()};
            compose_order(song, pat, sec, order);
            if (order == sec.first_order) {
                pat.effect(0, ch_accent, fx_tempo, sec.speed);
                pat.effect(0, ch_fx, fx_tempo, sec.bpm);
            }
            if (order == 0)
                pat.effect(0, ch_stab, fx_global_volume, 0x40);
            m.orders.push_back(order);
        }
    }
    return m;
}
