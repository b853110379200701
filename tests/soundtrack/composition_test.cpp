// The song as composed, read from its patterns: accents where the picture listens with room
// before them, a main theme that develops instead of looping and keeps its phrases whole across
// sections, tunes that agree with the chords under them, a tempo that changes only where a
// section begins, a low end that stays out of the sub-bass, and an end inside the demo.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/trigger_positions.h"
#include "song.h"
#include "synth.h"

namespace {

constexpr int fx_tempo = 15;

const XmModule& song() {
    static const XmModule module = compose_song();
    return module;
}

const XmPattern& pattern_of(int order) {
    return song().patterns[song().orders[order]];
}

std::set<std::pair<int, int>> trigger_rows() {
    std::set<std::pair<int, int>> rows;
    for (const TriggerList* list : trigger_lists)
        for (int i = 0; i < list->count; ++i)
            rows.insert({list->positions[i].order, list->positions[i].row});
    return rows;
}

bool note_on(const XmCell& c) {
    return c.note >= 1 && c.note <= 96 && c.instrument != 0;
}

// The instruments that start on (order, row), by name, for messages.
std::string hits_at(int order, int row) {
    std::string names;
    const XmPattern& p = pattern_of(order);
    for (int ch = 0; ch < p.channels; ++ch) {
        const XmCell& c = p.cells[(size_t)row * p.channels + ch];
        if (note_on(c) && synth_is_accent(c.instrument))
            names += song().instruments[c.instrument - 1].name + " ";
    }
    return names;
}

TEST(SoundtrackComposition, EveryTriggerRowIsHitAndTheTwoRowsBeforeItAreNot) {
    std::set<std::pair<int, int>> triggers = trigger_rows();
    for (const auto& [order, row] : triggers) {
        EXPECT_NE(hits_at(order, row), "") << order << ":" << row;
        for (int back = 1; back <= 2; ++back) {
            int o = order, r = row - back;
            if (r < 0) {
                --o;
                r += 64;
            }
            if (o < 0 || triggers.count({o, r}))
                continue;
            EXPECT_EQ(hits_at(o, r), "")
                << o << ":" << r << ", " << back << " before " << order << ":" << row;
        }
    }
}

// Everything but the drums and effects of two orders (four bars): what is heard as the phrase.
std::vector<int> phrase(int first_order) {
    std::vector<int> cells;
    for (int order = first_order; order < first_order + 2; ++order) {
        const XmPattern& p = pattern_of(order);
        for (const XmCell& c : p.cells) {
            bool tone = note_on(c) && !synth_is_accent(c.instrument) && c.instrument != ins_hat &&
                        c.instrument != ins_open_hat && c.instrument != ins_riser &&
                        c.instrument != ins_boom;
            cells.push_back(tone ? c.note * 256 + c.instrument : 0);
        }
    }
    return cells;
}

TEST(SoundtrackComposition, NoFourBarPhraseIsHeardThreeTimesInARow) {
    int orders = (int)song().orders.size();
    for (int order = 0; order + 6 <= orders; ++order) {
        std::vector<int> first = phrase(order);
        bool silent = true;
        for (int v : first)
            silent = silent && v == 0;
        if (silent)
            continue;
        EXPECT_FALSE(first == phrase(order + 2) && first == phrase(order + 4))
            << "orders " << order << " to " << order + 5;
    }
}

TEST(SoundtrackComposition, TempoChangesOnlyWhereASectionBeginsAndTheSongEndsInTime) {
    std::set<int> section_starts;
    for (const SongSection& s : song_sections)
        section_starts.insert(s.first_order);
    ASSERT_EQ(song_sections[song_section_count - 1].first_order +
                  song_sections[song_section_count - 1].order_count,
              (int)song().orders.size());

    double seconds = 0;
    int speed = song().speed, bpm = song().bpm;
    for (int order = 0; order < (int)song().orders.size(); ++order) {
        const XmPattern& p = pattern_of(order);
        for (int row = 0; row < p.rows; ++row) {
            for (int ch = 0; ch < p.channels; ++ch) {
                const XmCell& c = p.cells[(size_t)row * p.channels + ch];
                if (c.effect != fx_tempo)
                    continue;
                EXPECT_TRUE(row == 0 && section_starts.count(order)) << order << ":" << row;
                if (c.param < 32)
                    speed = c.param;
                else
                    bpm = c.param;
            }
            // A tick lasts 2.5 / bpm seconds, as a whole number of frames at 48 kHz.
            seconds += speed * (double)(120000 / bpm) / 48000.0;
        }
    }
    // The last row ends before the demo does, with a moment to spare for the final chord's tail.
    EXPECT_LE(seconds, 199.8);
    EXPECT_GE(seconds, 195.0);
}

TEST(SoundtrackComposition, BassVoicesStayAboveE1) {
    const int lowest = 12 * 1 + 4 + 1; // E-1, 41 Hz
    for (int order = 0; order < (int)song().orders.size(); ++order) {
        const XmPattern& p = pattern_of(order);
        for (const XmCell& c : p.cells) {
            if (note_on(c) && (c.instrument == ins_bass || c.instrument == ins_sub)) {
                EXPECT_GE(c.note, lowest) << "order " << order;
            }
        }
    }
}

// The pitch classes of the pad chord sounding on every row of the song, indexed by order then
// row: a pad channel holds its note from its note-on to its key-off or the next note.
std::vector<std::vector<std::set<int>>> pad_chords() {
    std::vector<std::vector<std::set<int>>> chords;
    std::vector<int> holding(song().channels, 0);
    for (int order = 0; order < (int)song().orders.size(); ++order) {
        const XmPattern& p = pattern_of(order);
        chords.emplace_back(p.rows);
        for (int row = 0; row < p.rows; ++row) {
            for (int ch = 0; ch < p.channels; ++ch) {
                const XmCell& c = p.cells[(size_t)row * p.channels + ch];
                if (note_on(c))
                    holding[ch] = c.instrument == ins_pad ? c.note : 0;
                else if (c.note == xm_key_off)
                    holding[ch] = 0;
                if (holding[ch])
                    chords[order][row].insert((holding[ch] - 1) % 12);
            }
        }
    }
    return chords;
}

// A minor second, a major seventh or a tritone against any tone of the chord.
bool clashes(int note, const std::set<int>& chord) {
    for (int pc : chord) {
        int interval = ((note - 1) % 12 - pc + 12) % 12;
        if (interval == 1 || interval == 11 || interval == 6)
            return true;
    }
    return false;
}

// The note that starts on `ch` within `rows_ahead` rows after (order, row), with where it starts;
// 0 if none does.
int next_note(int order, int row, int ch, int rows_ahead, int* at_order, int* at_row) {
    for (int k = 1; k <= rows_ahead; ++k) {
        int o = order + (row + k) / 64, r = (row + k) % 64;
        if (o >= (int)song().orders.size())
            return 0;
        const XmPattern& p = pattern_of(o);
        const XmCell& c = p.cells[(size_t)r * p.channels + ch];
        if (c.note != 0) {
            *at_order = o;
            *at_row = r;
            return note_on(c) ? c.note : 0;
        }
    }
    return 0;
}

// The tunes stay in the harmony they are played over: an arpeggio note (or its echo) is a tone
// of the pad chord under it, and a lead, echo, doubling or bell note that starts on a beat does
// not rub a semitone or a tritone against that chord, unless it is an appoggiatura: it steps to
// a note that agrees with the chord within the beat. Passing notes between the beats are free.
TEST(SoundtrackComposition, TunesAgreeWithThePadChordUnderThem) {
    std::vector<std::vector<std::set<int>>> chords = pad_chords();
    std::string wrong;
    int count = 0;
    for (int order = 0; order < (int)song().orders.size(); ++order) {
        const XmPattern& p = pattern_of(order);
        for (int row = 0; row < p.rows; ++row) {
            const std::set<int>& chord = chords[order][row];
            if (chord.empty())
                continue;
            for (int ch = 0; ch < p.channels; ++ch) {
                const XmCell& c = p.cells[(size_t)row * p.channels + ch];
                if (!note_on(c))
                    continue;
                bool bad = false;
                if (c.instrument == ins_pluck) {
                    bad = !chord.count((c.note - 1) % 12);
                } else if ((c.instrument == ins_lead || c.instrument == ins_bell) && row % 8 == 0 &&
                           clashes(c.note, chord)) {
                    int o = 0, r = 0, next = next_note(order, row, ch, 8, &o, &r);
                    int step = std::abs(next - c.note);
                    bad = next == 0 || step < 1 || step > 2 || clashes(next, chords[o][r]);
                }
                if (bad) {
                    ++count;
                    wrong += "(" + std::to_string(order) + ", " + std::to_string(row) +
                             ") channel " + std::to_string(ch) + " note " + std::to_string(c.note) +
                             " " + song().instruments[c.instrument - 1].name + "\n";
                }
            }
        }
    }
    EXPECT_EQ(count, 0) << wrong;
}

// The line of the first channel that carries a tune in this order, as (row, interval from its
// first note): the same line played in another octave compares equal.
std::vector<std::pair<int, int>> tune_of(int order) {
    const XmPattern& p = pattern_of(order);
    for (int ch = 0; ch < p.channels; ++ch) {
        std::vector<std::pair<int, int>> line;
        for (int row = 0; row < p.rows; ++row) {
            const XmCell& c = p.cells[(size_t)row * p.channels + ch];
            if (note_on(c) && (c.instrument == ins_lead || c.instrument == ins_bell))
                line.push_back({row, c.note});
        }
        if (line.empty())
            continue;
        int first = line[0].second;
        for (auto& n : line)
            n.second -= first;
        return line;
    }
    return {};
}

// A section that takes over the tune goes on with the phrase instead of starting the two bars
// just heard over again.
TEST(SoundtrackComposition, NoSectionOpensByRepeatingTheTwoBarsBeforeIt) {
    for (int s = 1; s < song_section_count; ++s) {
        int order = song_sections[s].first_order;
        std::vector<std::pair<int, int>> before = tune_of(order - 1), after = tune_of(order);
        if (before.empty() || after.empty())
            continue;
        EXPECT_NE(before, after) << "orders " << order - 1 << " and " << order;
    }
}

} // namespace
