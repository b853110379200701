#include "song.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "runtime/trigger_positions.h"
#include "synth.h"

// 64 rows make two bars of 4/4, eight rows a beat. The tempo map puts the orders where the
// scenes need them: orders 14-21 inside 39.5-59.8 s, 22-27 inside 59-79 s, 28-35 inside
// 79-102 s, 36-43 inside 101-124 s, 50-57 inside 140-162 s and 57-63 inside 159-180 s; each
// section begins with a scene, and the tempo changes only where a section begins.
// Rows last speed * floor(120000 / bpm) frames at 48 kHz.
const SongSection song_sections[song_section_count] = {
    {0, 7, 4, 226, style_intro},   // 0 - 19.79 s
    {7, 7, 4, 226, style_build},   // 19.79 - 39.57 s
    {14, 8, 4, 250, style_drive},  // 39.57 - 60.05 s
    {22, 5, 4, 233, style_stomp},  // 60.05 - 73.79 s
    {27, 1, 8, 233, style_break},  // 73.79 - 79.28 s, half time
    {28, 8, 4, 233, style_groove}, // 79.28 - 101.25 s
    {36, 8, 4, 233, style_rise},   // 101.25 - 123.23 s
    {44, 6, 4, 226, style_float},  // 123.23 - 140.19 s
    {50, 8, 4, 233, style_return}, // 140.19 - 162.16 s
    {58, 6, 4, 233, style_theme},  // 162.16 - 178.64 s
    {64, 8, 4, 250, style_finale}, // 178.64 - 199.12 s; the last chord has died by 198.6 s
};

namespace {

enum Channel {
    ch_kick,
    ch_snare, // snare, clap and roll
    ch_hat,
    ch_open_hat, // also the splash on the accents
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
    ch_accent, // the crash on the accents; carries the speed changes
    ch_fx,     // riser and boom; carries the BPM changes
    ch_pad4,   // the pads' upper layer, an inversion higher on the other side
    ch_pad5,
    ch_pad6,
    ch_double, // the lead an octave down where the theme is at full strength
    // A second set of pad channels: chords alternate between the two sets bar by bar, so the
    // outgoing chord releases while the next swells in.
    ch_padb1,
    ch_padb2,
    ch_padb3,
    ch_padb4,
    ch_padb5,
    ch_padb6,
};

const int pad_channels[2][6] = {{ch_pad1, ch_pad2, ch_pad3, ch_pad4, ch_pad5, ch_pad6},
                                {ch_padb1, ch_padb2, ch_padb3, ch_padb4, ch_padb5, ch_padb6}};

constexpr int rows = 64;
constexpr int bar = 32;

// Pitch classes.
enum { C = 0, Cs = 1, D = 2, Ds = 3, E = 4, F = 5, Fs = 6, G = 7, Gs = 8, A = 9, As = 10, B = 11 };

struct Chord {
    int root;
    bool minor;
    int third() const { return (root + (minor ? 3 : 4)) % 12; }
    int fifth() const { return (root + 7) % 12; }
    bool is(const Chord& o) const { return root == o.root && minor == o.minor; }
};

const Chord Dm{D, true}, Bb{As, false}, Fmaj{F, false}, Cmaj{C, false}, Am{A, true}, Amaj{A, false},
    Gm{G, true}, Dmaj{D, false};

// One chord per bar, repeating over the section. The main theme (theme A) keeps its own
// prog_main where it is first heard (the build) and where it is remembered (the first half of
// the drive, the return before the roll, the finale); everywhere else it is reharmonised, each
// bar under a chord its notes on the beats belong to, and always ending on A major, the
// dominant that leads back round.
const std::vector<Chord> prog_main = {Dm, Bb, Fmaj, Cmaj};
const std::vector<Chord> prog_intro = {Dm, Gm, Dm, Amaj}; // the minor plagal turn, iv to i
const std::vector<Chord> prog_drive = {Bb, Gm, Dm, Amaj};
const std::vector<Chord> prog_dark = {Dm, Dm, Bb, Amaj};
const std::vector<Chord> prog_break = {Bb, Amaj};
const std::vector<Chord> prog_groove = {Dm, Cmaj, Bb, Cmaj};
const std::vector<Chord> prog_rise = {Bb, Cmaj, Am, Dm};
const std::vector<Chord> prog_float = {Bb, Gm, Fmaj, Amaj};
const std::vector<Chord> prog_return = {Dm, Gm, Fmaj, Amaj};
const std::vector<Chord> prog_theme = {Gm, Bb, Fmaj, Amaj};

int xm_note(int pc, int octave) {
    return 12 * octave + pc + 1;
}

// Volume column byte for a level 0..64.
uint8_t vol(int v) {
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

// The mix bus: every level written for an instrument is scaled by its trim here, so that the
// sustained parts carry the loudness and the hits keep the peaks in check.
const int mix_trim_percent[synth_instrument_count + 1] = {
    0,
    65,  // kick
    75,  // snare
    230, // hat
    100, // open hat
    85,  // crash
    75,  // clap
    85,  // bass
    200, // pad
    160, // lead
    200, // pluck
    80,  // stab
    100, // riser
    100, // boom
    150, // sub
    170, // bell
    85,  // splash
    100, // roll
};

struct Song {
    XmModule module;
    std::set<std::pair<int, int>> accents; // (order, row) of every trigger
    Melody theme_a, theme_b, theme_c, theme_d;

    // Rows may run past either end of the pattern into the neighbouring orders.
    bool accent_at(int order, int row) const {
        while (row >= rows) {
            row -= rows;
            ++order;
        }
        while (row < 0) {
            row += rows;
            --order;
        }
        return accents.count({order, row}) > 0;
    }
    // The two rows before an accent stay free of hits, so that the accent starts on a quiet bed
    // and is heard as a new onset.
    bool clear_before_accent(int order, int row) const {
        return !accent_at(order, row) && (accent_at(order, row + 1) || accent_at(order, row + 2));
    }
};

struct Pattern {
    XmPattern& p;
    const Song& song;
    int order;

    void note(int row, int ch, int note, int ins, int v) {
        if (row < 0 || row >= rows)
            return;
        XmCell& c = p.at(row, ch);
        c.note = (uint8_t)note;
        c.instrument = (uint8_t)ins;
        c.volume = vol(v * mix_trim_percent[ins] / 100);
    }
    // A drum or hit: left out where it would mask the accent that follows.
    void hit(int row, int ch, int ins, int v, int pitch = xm_note(C, 4)) {
        if (row < 0 || row >= rows || song.clear_before_accent(order, row))
            return;
        note(row, ch, pitch, ins, v);
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
    bool accent(int row) const { return song.accent_at(order, row); }
};

constexpr int fx_panning = 8;
constexpr int fx_tempo = 15;
constexpr int fx_global_volume = 16;

Chord chord_at(const std::vector<Chord>& prog, int bar_index) {
    return prog[bar_index % prog.size()];
}

// The main theme fitted to a reharmonisation. Under Gm or Bb the A that opens it would rub a
// semitone against the B flat, so it opens on the B flat itself; under A major the D on the last
// beat would hang as a fourth over the C#, so the line falls to the C# and leads home.
Melody theme_a_over(const Melody& theme, const std::vector<Chord>& prog) {
    Melody m = theme;
    Chord first = chord_at(prog, 0), last = chord_at(prog, 3);
    for (MelodyNote& n : m) {
        if (n.start == 0 && n.note == xm_note(A, 4) && (first.is(Gm) || first.is(Bb)))
            n.note = xm_note(As, 4);
        if (n.start == 3 * bar + 24 && n.note == xm_note(D, 5) && last.is(Amaj))
            n.note = xm_note(Cs, 5);
    }
    return m;
}

// Mix levels of the parts (0..64 before the instrument's trim), set once here so that the
// balance is read in one place.
constexpr int lv_kick = 60, lv_snare = 52, lv_clap = 50, lv_splash = 46, lv_crash = 44,
              lv_stab = 34, lv_hat = 16, lv_bass = 46, lv_lead = 34, lv_arp = 22, lv_pad = 24;

// ---- drums -------------------------------------------------------------------------------

// The groove of the sections without accents to place: a breakbeat of two bars.
void drums_breakbeat(Pattern& pat, int b, int intensity) {
    pat.hit(b + 0, ch_kick, ins_kick, lv_kick);
    pat.hit(b + 20, ch_kick, ins_kick, lv_kick - 6);
    if (b == bar)
        pat.hit(b + 26, ch_kick, ins_kick, lv_kick - 16);
    pat.hit(b + 8, ch_snare, ins_snare, lv_snare - 4);
    pat.hit(b + 24, ch_snare, ins_snare, lv_snare - 4);
    if (intensity >= 2)
        pat.hit(b + 30, ch_snare, ins_snare, 14); // ghost note
    int step = intensity >= 2 ? 2 : 4;
    for (int r = 0; r < bar; r += step)
        pat.hit(b + r, ch_hat, ins_hat, (r % 8 == 4) ? lv_hat + 6 : lv_hat - 2);
    if (intensity >= 1)
        pat.hit(b + 28, ch_open_hat, ins_open_hat, 20);
}

void drums_half_time(Pattern& pat, int b) {
    pat.hit(b + 0, ch_kick, ins_kick, lv_kick - 4);
    pat.hit(b + 16, ch_snare, ins_snare, lv_snare - 4);
    for (int r = 0; r < bar; r += 4)
        pat.hit(b + r, ch_hat, ins_hat, r % 8 == 4 ? lv_hat + 4 : lv_hat - 4);
}

// A snare build: quarters, eighths, sixteenths, then every row, louder all the way, and a
// breath of silence before the drop.
void drums_build(Pattern& pat, int from, int loudest) {
    for (int r = from; r < 56;) {
        int v = loudest - 30 + (r - from) * 30 / (56 - from);
        pat.hit(r, ch_snare, ins_snare, v);
        r += r < 24 ? 8 : r < 40 ? 4 : r < 48 ? 2 : 1;
    }
}

// Where the picture has its accents the groove is made of them: kick, snare or clap on every
// trigger row, with a splash across the top of the spectrum and a power-chord stab, while
// the beats in between carry only the hats, the bass and the harmony.
void accent_hits(Pattern& pat, const std::vector<Chord>& prog, int first_bar) {
    for (int row = 0; row < rows; ++row) {
        if (!pat.accent(row))
            continue;
        bool open_after = true; // nothing else for a beat and a half: room for a crash
        for (int k = 1; k < 12; ++k)
            open_after = open_after && !pat.accent(row + k);
        if (row % 8 == 0) {
            pat.note(row, ch_kick, xm_note(C, 4), ins_kick, lv_kick);
            pat.note(row, ch_snare, xm_note(C, 4), ins_clap, lv_clap);
        } else if (row % 16 == 4) {
            pat.note(row, ch_kick, xm_note(C, 4), ins_kick, lv_kick - 4);
            pat.note(row, ch_snare, xm_note(C, 4), ins_snare, lv_snare - 6);
        } else {
            pat.note(row, ch_snare, xm_note(C, 4), ins_snare, lv_snare);
        }
        if (row % 32 == 0 && open_after)
            pat.note(row, ch_accent, xm_note(C, 4), ins_crash, lv_crash);
        pat.note(row, ch_open_hat, xm_note(C, 4), ins_splash, lv_splash);
        Chord c = chord_at(prog, first_bar + row / bar);
        pat.note(row, ch_stab, xm_note(c.root, c.root >= G ? 3 : 4), ins_stab, lv_stab);
    }
}

// What moves between the accents, all of it off the beat so that the beats stay quiet: hats
// on the sixteenths, a little louder on the "and", a ghost snare before every other beat and
// a soft syncopated kick.
void accent_bed(Pattern& pat, int loud) {
    for (int r = 2; r < rows; r += 2) {
        if (r % 8 == 0 || pat.accent(r))
            continue;
        pat.hit(r, ch_hat, ins_hat, r % 8 == 4 ? loud : loud - 6);
        if (r % 16 == 14)
            pat.hit(r, ch_snare, ins_snare, 16);
        if (r % 32 == 26)
            pat.hit(r, ch_kick, ins_kick, lv_kick / 2);
    }
}

// The roll of order 52: two-row hits, then every row, rising in pitch and level over a ducked
// mix. Each beat of it stands above the roll: a kick under a much louder hit, and while the
// hits are two rows apart a splash too (when they come every row its tail would mask the
// next).
void snare_roll(Pattern& pat) {
    for (int r = 0; r <= 46; r += r < 32 ? 2 : 1) {
        bool beat = r % 8 == 0;
        int v = 22 + r * 26 / 46 + (beat ? 14 : 0);
        pat.note(r, ch_snare, xm_note(C, 4) + r * 12 / 46, ins_roll, v);
        if (beat)
            pat.note(r, ch_kick, xm_note(C, 4), ins_kick, 100); // full level after the trim
        if (beat && r < 32)
            pat.note(r, ch_open_hat, xm_note(C, 4), ins_splash, lv_splash - 10 + r / 4);
    }
}

// ---- harmony -----------------------------------------------------------------------------

// Two layers of three voices: the triad in root position spread left to right, and its first
// inversion above, spread right to left, so the harmony fills the stereo field. Bars alternate
// between the two sets of pad channels; the other set is let go where the chord starts.
void chord(Pattern& pat, int row, const Chord& c, int v) {
    static const int pans[6] = {0x28, 0x80, 0xd8, 0xd0, 0x90, 0x30};
    int set = (pat.order * 2 + row / bar) % 2;
    int third = c.minor ? 3 : 4;
    const int intervals[6] = {0, third, 7, third + 12, 19, 24};
    int root = xm_note(c.root, c.root >= G ? 3 : 4);
    for (int voice = 0; voice < 6; ++voice) {
        int ch = pad_channels[set][voice];
        pat.note(row, ch, root + intervals[voice], ins_pad, voice < 3 ? v : v * 3 / 4);
        pat.effect(row, ch, fx_panning, pans[voice]);
        pat.off(row, pad_channels[1 - set][voice]);
    }
}

void pads_off(Pattern& pat, int row) {
    for (const auto& set : pad_channels)
        for (int ch : set)
            pat.off(row, ch);
}

void pads(Pattern& pat, const std::vector<Chord>& prog, int first_bar, int v) {
    for (int k = 0; k < 2; ++k) {
        Chord c = chord_at(prog, first_bar + k);
        // A chord held over the bar line rings on instead of swelling in again.
        if (first_bar + k > 0) {
            Chord before = chord_at(prog, first_bar + k - 1);
            if (before.is(c) && pat.free(k * bar, ch_pad1) && pat.free(k * bar, ch_padb1))
                continue;
        }
        chord(pat, k * bar, c, v);
    }
}

// Bass roots stay at A1 (55 Hz) or above: nothing in the low end below 30 Hz.
int bass_root(const Chord& c) {
    return xm_note(c.root, c.root >= Gs ? 1 : 2);
}

struct BassStep {
    int row, interval, length;
};
const std::vector<BassStep> bass_drive = {{0, 0, 6},  {8, 0, 2},  {12, 12, 4},
                                          {20, 0, 4}, {24, 7, 4}, {28, 12, 2}};
const std::vector<BassStep> bass_stomp = {{2, 0, 2},  {6, 0, 2},   {10, 12, 2}, {14, 0, 2},
                                          {18, 0, 2}, {22, 10, 2}, {26, 12, 2}, {30, 7, 2}};
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

// Sixteenth-note arpeggio over the chord, echoed a dotted eighth later on the other side. The
// echo stops at the bar line: carried over, it would sound the old chord against the new one.
void arpeggio(Pattern& pat, const std::vector<Chord>& prog, int first_bar, int v, bool echo) {
    static const int shape[8] = {0, 7, 12, 15, 19, 15, 12, 7};
    for (int k = 0; k < 2; ++k) {
        Chord c = chord_at(prog, first_bar + k);
        int root = xm_note(c.root, c.root >= G ? 3 : 4);
        for (int step = 0; step < 16; ++step) {
            int interval = shape[step % 8];
            if (interval == 15)
                interval = c.minor ? 15 : 16;
            int row = k * bar + step * 2;
            pat.note(row, ch_arp, root + interval, ins_pluck, v - (step % 4 ? 6 : 0));
            if (echo && step * 2 + 6 < bar) {
                pat.note(row + 6, ch_arp_echo, root + interval, ins_pluck, v / 2);
                pat.effect(row + 6, ch_arp_echo, fx_panning, 0xd0);
            }
        }
    }
}

// Places the part of a four-bar melody that falls in this pattern (half 0 or 1 of the phrase),
// `delay` rows late; the echo plays it again six rows later, quieter, panned to the other side.
void melody(Pattern& pat, const Melody& m, int half, int transpose, int ch, int ins, int v,
            int echo_ch = -1, int echo_pan = 0, int delay = 0) {
    auto place = [&](int channel, int late, int volume, int pan) {
        for (size_t i = 0; i < m.size(); ++i) {
            const MelodyNote& n = m[i];
            for (int wrap = 0; wrap <= 1; ++wrap) {
                int start = n.start + late - wrap * 2 * rows - half * rows;
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
    place(ch, delay, v, -1);
    if (echo_ch >= 0)
        place(echo_ch, delay + 6, v * 5 / 10, echo_pan);
}

// Silences the melodic channels at the top of a section unless something starts there.
void release_all(Pattern& pat) {
    const int chans[] = {ch_bass, ch_sub, ch_lead, ch_double, ch_lead_echo, ch_arp, ch_arp_echo};
    for (int ch : chans)
        pat.off(0, ch);
    pads_off(pat, 0);
}

// ---- sections ----------------------------------------------------------------------------

// A section's first pattern: what rang before stops, and a boom marks the change.
void open_section(Pattern& pat, int boom) {
    release_all(pat);
    pat.note(0, ch_fx, xm_note(C, 4), ins_boom, boom);
}

// Under the accents: the chords, the bass line and the off-beat bed.
void accent_backing(Pattern& pat, const std::vector<Chord>& prog, int first_bar, int pad,
                    const std::vector<BassStep>& steps, int hat) {
    pads(pat, prog, first_bar, pad);
    bass(pat, prog, first_bar, steps, lv_bass);
    accent_bed(pat, hat);
}

// i: pattern index inside the section. Melodies span two patterns; `half` says which.
void intro(Song& song, Pattern& pat, int i) {
    int first_bar = 2 * i, half = i % 2;
    pads(pat, prog_intro, first_bar, 7 + 2 * i);
    if (i == 0)
        pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 26);
    if (i < 2)
        for (int k = 0; k < 2; ++k) {
            Chord c = chord_at(prog_intro, first_bar + k);
            pat.note(k * bar + 8, ch_lead, xm_note(c.fifth(), 5), ins_bell, 18);
            pat.note(k * bar + 20, ch_lead, xm_note(c.third(), 5), ins_bell, 14);
        }
    if (i >= 1)
        bass(pat, prog_intro, first_bar, bass_long, 18 + 3 * i, ch_sub, ins_sub);
    // The theme, first heard on bells in a minor-plagal harmony; the second time with an echo.
    if (i >= 2 && i < 6)
        melody(pat, theme_a_over(song.theme_a, prog_intro), half, 12, ch_lead, ins_bell, 24,
               i >= 4 ? ch_lead_echo : -1, 0xd8);
    if (i >= 4)
        arpeggio(pat, prog_intro, first_bar, 10 + 2 * i, i >= 5);
    if (i == 6) {
        pat.note(0, ch_fx, xm_note(C, 4), ins_riser, 30);
        for (int r = 4; r < rows; r += 8)
            pat.hit(r, ch_hat, ins_hat, 6 + r / 4);
    }
}

void build(Song& song, Pattern& pat, int i) {
    // One bar-pair earlier in the progression: order 7 is the F-C pickup to the theme's Dm.
    int first_bar = 2 * (i + 1), half = (i + 1) % 2;
    if (i == 0) {
        release_all(pat);
        pat.note(0, ch_accent, xm_note(C, 4), ins_crash, lv_crash - 6);
        pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 36);
    }
    pads(pat, prog_main, first_bar, lv_pad - 1);
    if (i < 6) {
        bass(pat, prog_main, first_bar, i < 5 ? bass_groove : bass_drive, lv_bass - 6);
        drums_breakbeat(pat, 0, i >= 3 ? 1 : 0);
        drums_breakbeat(pat, bar, i >= 3 ? 1 : 0);
        arpeggio(pat, prog_main, first_bar, lv_arp - 6, false);
    }
    // The main theme as it was written, twice; then its opening an octave up over a snare climb.
    if (i >= 1 && i < 5)
        melody(pat, song.theme_a, half, 0, ch_lead, ins_lead, lv_lead - 4, ch_lead_echo, 0xc8);
    if (i == 5) {
        melody(pat, song.theme_a, 0, 12, ch_lead, ins_lead, lv_lead - 4, ch_lead_echo, 0xc8);
        for (int r = bar; r < rows; r += 4)
            pat.hit(r, ch_snare, ins_snare, 20 + (r - bar));
    }
    if (i == 6) {
        drums_build(pat, 0, lv_snare - 4);
        pat.note(0, ch_kick, xm_note(C, 4), ins_kick, lv_kick - 6);
        pat.note(0, ch_fx, xm_note(C, 4), ins_riser, 36);
        bass(pat, prog_main, first_bar, bass_long, lv_bass - 10);
        pat.off(56, ch_bass);
        pat.off(0, ch_lead);
        pat.off(0, ch_lead_echo);
        pat.off(0, ch_arp);
    }
}

// Scene 3: faster, the theme an octave up over its own chords, then over Bb Gm Dm A.
void drive(Song& song, Pattern& pat, int i, const std::vector<Chord>*& prog) {
    int first_bar = 2 * i, half = i % 2;
    prog = i < 4 ? &prog_main : &prog_drive;
    if (i == 0) {
        open_section(pat, 40);
    }
    accent_backing(pat, *prog, first_bar, lv_pad, bass_drive, lv_hat);
    melody(pat, theme_a_over(song.theme_a, *prog), half, i < 4 ? 12 : 0, ch_lead, ins_lead, lv_lead,
           ch_lead_echo, 0xc8);
    if (i < 4)
        melody(pat, song.theme_a, half, 0, ch_double, ins_lead, lv_lead - 8);
    arpeggio(pat, *prog, first_bar, lv_arp - 4, i >= 4);
}

// Scene 4: the dark riff over Dm Dm Bb A; the last pattern drops to bass and riff alone.
void stomp(Song& song, Pattern& pat, int i) {
    int first_bar = 2 * i, half = i % 2;
    if (i == 0) {
        open_section(pat, 44);
    }
    if (i < 4) {
        pads(pat, prog_dark, first_bar, lv_pad + 2);
        accent_bed(pat, lv_hat + 2);
    } else {
        pads_off(pat, 0);
    }
    bass(pat, prog_dark, first_bar, bass_stomp, lv_bass - 8);
    melody(pat, song.theme_c, half, 0, ch_lead, ins_lead, lv_lead - 2, ch_lead_echo, 0xd0);
    // The second time round bells double the riff two octaves up.
    if (i >= 2 && i < 4)
        melody(pat, song.theme_c, half, 12, ch_arp_echo, ins_bell, 20);
}

// Still scene 4, at half time: the harmony thins to Bb and A and three hits lead to the drop.
void break_section(Pattern& pat) {
    release_all(pat);
    pads(pat, prog_break, 0, 15);
    bass(pat, prog_break, 0, bass_long, 28, ch_sub, ins_sub);
    for (int k = 0; k < 2; ++k) {
        Chord c = chord_at(prog_break, k);
        const int tones[4] = {c.root, c.fifth(), c.third(), c.fifth()};
        for (int n = 0; n < 4; ++n)
            pat.note(k * bar + 8 * n, ch_arp_echo, xm_note(tones[n], 5), ins_bell, 18);
    }
    for (int r = 4; r < rows; r += 8)
        pat.hit(r, ch_hat, ins_hat, lv_hat - 4);
    pat.note(32, ch_fx, xm_note(C, 4), ins_riser, 34);
}

// Scene 5: the rolling groove, the arpeggio in front, the bell line joining halfway.
void groove(Song& song, Pattern& pat, int i) {
    int first_bar = 2 * i, half = i % 2;
    if (i == 0) {
        open_section(pat, 44);
    }
    accent_backing(pat, prog_groove, first_bar, lv_pad + 1, bass_groove, lv_hat);
    arpeggio(pat, prog_groove, first_bar, lv_arp + 4, true);
    if (i >= 4)
        melody(pat, song.theme_d, half, 0, ch_lead, ins_bell, 28, ch_lead_echo, 0x30);
}

// Scene 6: the second theme over the lifted progression, an octave up the second time.
void rise(Song& song, Pattern& pat, int i) {
    int first_bar = 2 * i, half = i % 2;
    if (i == 0) {
        open_section(pat, 44);
    }
    accent_backing(pat, prog_rise, first_bar, lv_pad, bass_drive, lv_hat);
    melody(pat, song.theme_b, half, i >= 4 ? 12 : 0, ch_lead, ins_lead, lv_lead, ch_lead_echo,
           0x30);
    if (i >= 4)
        melody(pat, song.theme_b, half, 0, ch_double, ins_lead, lv_lead - 8);
    arpeggio(pat, prog_rise, first_bar, lv_arp - 2, i >= 4);
}

// Scene 7, no drums: the main theme on bells over Bb Gm F A, pads and a sub; then a soft lift.
void float_section(Song& song, Pattern& pat, int i) {
    int first_bar = 2 * i, half = i % 2;
    if (i == 0)
        release_all(pat);
    pads(pat, prog_float, first_bar, 14);
    bass(pat, prog_float, first_bar, bass_long, 26, ch_sub, ins_sub);
    if (i < 4)
        melody(pat, theme_a_over(song.theme_a, prog_float), half, 12, ch_lead, ins_bell, 24,
               i >= 2 ? ch_lead_echo : -1, 0x30);
    if (i >= 2)
        arpeggio(pat, prog_float, first_bar, 12, false);
    if (i >= 3)
        for (int r = 4; r < rows; r += 8)
            pat.hit(r, ch_hat, ins_hat, 6 + 2 * i);
    if (i == 5) {
        drums_build(pat, 24, 34);
        pat.note(0, ch_fx, xm_note(C, 4), ins_riser, 30);
    }
}

// The bar of its progression where pattern i of the return starts; its half of the theme follows.
// After the roll the theme starts again from its first bar. Order 57, where scene 9 joins, does
// not begin the phrase that the theme section begins at order 58: it plays the cadence once
// more, an octave up, so the phrase is whole on both sides of the section boundary.
int return_bar(int i) {
    return i < 2 ? 2 * i : i == 7 ? 6 : 2 * (i - 3);
}

// Scene 8: the drums return under the theme, displaced by a sixteenth; the roll; then the theme
// over Dm Gm F A.
void return_section(Song& song, Pattern& pat, int i, const std::vector<Chord>*& prog) {
    int first_bar = return_bar(i), half = first_bar / 2 % 2;
    prog = i < 2 ? &prog_main : &prog_return;
    if (i == 0) {
        open_section(pat, 48);
    }
    if (i == 2) {
        // The roll: everything else steps back so that every hit is heard.
        const int chans[] = {ch_bass, ch_lead, ch_lead_echo, ch_arp, ch_arp_echo};
        for (int ch : chans)
            pat.off(0, ch);
        pads(pat, prog_main, 4, 10);
        pat.note(0, ch_sub, xm_note(D, 2), ins_sub, 30);
        pat.off(48, ch_sub);
        pat.note(0, ch_fx, xm_note(C, 4), ins_riser, 26);
        snare_roll(pat);
        return;
    }
    if (i == 3) {
        open_section(pat, 48);
    }
    accent_backing(pat, *prog, first_bar, lv_pad, bass_drive, lv_hat);
    // Order 57 is where scene 9 joins: the theme moves up an octave there.
    melody(pat, theme_a_over(song.theme_a, *prog), half, i == 7 ? 12 : 0, ch_lead, ins_lead,
           lv_lead, ch_lead_echo, 0xc8, i < 2 ? 2 : 0);
    arpeggio(pat, *prog, first_bar, lv_arp - 4, i >= 3);
}

// Scene 9: the main theme at full strength over Gm Bb F A; the third time down an octave with
// bells above it.
void theme(Song& song, Pattern& pat, int i) {
    int first_bar = 2 * i, half = i % 2;
    if (i == 0)
        pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 48);
    accent_backing(pat, prog_theme, first_bar, lv_pad, bass_drive, lv_hat + 2);
    Melody tune = theme_a_over(song.theme_a, prog_theme);
    if (i < 4) {
        melody(pat, tune, half, 12, ch_lead, ins_lead, lv_lead, ch_lead_echo, 0xc8);
        melody(pat, tune, half, 0, ch_double, ins_lead, lv_lead - 6);
        arpeggio(pat, prog_theme, first_bar, lv_arp, true);
    } else {
        melody(pat, tune, half, 0, ch_lead, ins_lead, lv_lead + 2, ch_lead_echo, 0x30);
        melody(pat, tune, half, 24, ch_arp_echo, ins_bell, 22);
        arpeggio(pat, prog_theme, first_bar, lv_arp, false);
    }
}

// Scene 10: the second theme, the main theme home in its first harmony with bells doubling it,
// a half-time last statement, and the final chord, short enough to die before the picture ends.
void finale(Song& song, Pattern& pat, int i) {
    int first_bar = 2 * i, half = i % 2;
    if (i == 0) {
        open_section(pat, 48);
        pat.note(0, ch_accent, xm_note(C, 4), ins_crash, lv_crash);
    }
    if (i < 2) {
        pads(pat, prog_rise, first_bar, lv_pad);
        bass(pat, prog_rise, first_bar, bass_drive, lv_bass);
        drums_breakbeat(pat, 0, 2);
        drums_breakbeat(pat, bar, 2);
        melody(pat, song.theme_b, half, 12, ch_lead, ins_lead, lv_lead, ch_lead_echo, 0xc8);
        melody(pat, song.theme_b, half, 0, ch_double, ins_lead, lv_lead - 8);
        arpeggio(pat, prog_rise, first_bar, lv_arp, true);
    } else if (i < 4) {
        pads(pat, prog_main, first_bar, lv_pad);
        bass(pat, prog_main, first_bar, bass_drive, lv_bass);
        drums_breakbeat(pat, 0, 2);
        drums_breakbeat(pat, bar, 2);
        melody(pat, song.theme_a, half, 0, ch_lead, ins_lead, lv_lead, ch_lead_echo, 0xc8);
        melody(pat, song.theme_a, half, 12, ch_arp_echo, ins_bell, 24);
        arpeggio(pat, prog_main, first_bar, lv_arp - 2, false);
    } else if (i < 6) {
        pads(pat, prog_main, first_bar, lv_pad - 2);
        bass(pat, prog_main, first_bar, bass_groove, lv_bass - 4);
        drums_half_time(pat, 0);
        drums_half_time(pat, bar);
        melody(pat, song.theme_a, half, -12, ch_lead, ins_lead, lv_lead + 4, ch_lead_echo, 0x30);
        arpeggio(pat, prog_main, first_bar, lv_arp - 4, true);
    } else if (i == 6) {
        release_all(pat);
        pads(pat, prog_rise, 0, lv_pad - 2);
        bass(pat, prog_rise, 0, bass_long, 34, ch_sub, ins_sub);
        melody(pat, song.theme_b, 0, 12, ch_lead, ins_bell, 26, ch_lead_echo, 0x30);
        for (int r = 4; r < rows; r += 8)
            pat.hit(r, ch_hat, ins_hat, lv_hat - 4);
    } else {
        // The last chord: D major, a crash and a boom, then everything lets go.
        release_all(pat);
        chord(pat, 0, Dmaj, lv_pad + 4);
        pads_off(pat, 10);
        pat.note(0, ch_sub, xm_note(D, 2), ins_sub, 36);
        pat.off(10, ch_sub);
        pat.note(0, ch_lead, xm_note(D, 5), ins_bell, 30);
        pat.note(0, ch_lead_echo, xm_note(A, 5), ins_bell, 22);
        pat.off(12, ch_lead);
        pat.off(12, ch_lead_echo);
        pat.note(0, ch_kick, xm_note(C, 4), ins_kick, lv_kick);
        pat.note(0, ch_accent, xm_note(C, 4), ins_crash, lv_crash);
        pat.note(0, ch_fx, xm_note(C, 4), ins_boom, 40);
    }
}

void compose_order(Song& song, Pattern& pat, const SongSection& sec, int order) {
    int i = order - sec.first_order;
    const std::vector<Chord>* prog = &prog_main;
    int first_bar = 2 * i;
    switch (sec.style) {
    case style_intro:
        intro(song, pat, i);
        break;
    case style_build:
        build(song, pat, i);
        break;
    case style_drive:
        drive(song, pat, i, prog);
        break;
    case style_stomp:
        prog = &prog_dark;
        stomp(song, pat, i);
        break;
    case style_break:
        prog = &prog_break;
        break_section(pat);
        break;
    case style_groove:
        prog = &prog_groove;
        groove(song, pat, i);
        break;
    case style_rise:
        prog = &prog_rise;
        rise(song, pat, i);
        break;
    case style_float:
        float_section(song, pat, i);
        break;
    case style_return:
        return_section(song, pat, i, prog);
        first_bar = return_bar(i);
        break;
    case style_theme:
        prog = &prog_theme;
        theme(song, pat, i);
        break;
    case style_finale:
        finale(song, pat, i);
        break;
    }
    if (!(sec.style == style_return && i == 2)) // the roll is its own accent
        accent_hits(pat, *prog, first_bar);
}

// A held tone that a new note replaces would stop dead, with a click; instead it fades out over
// the row before (a fast volume-column slide), wherever that row is free.
void fade_before_new_notes(XmModule& m) {
    std::vector<int> chans = {ch_bass, ch_sub};
    for (const auto& set : pad_channels)
        chans.insert(chans.end(), set, set + 6);
    const uint8_t slide_down_fast = 0x6f;
    for (int ch : chans) {
        XmCell* before = nullptr;
        for (int pattern : m.orders) {
            for (int row = 0; row < rows; ++row) {
                XmCell& c = m.patterns[pattern].at(row, ch);
                bool note_on = c.note >= 1 && c.note <= 96;
                if (note_on && before && before->note == 0 && before->volume == 0)
                    before->volume = slide_down_fast;
                before = &c;
            }
        }
    }
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
            Pattern pat{m.patterns.back(), song, order};
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
    fade_before_new_notes(m);
    return m;
}
