// The song as composed, read from its patterns: accents where the picture listens with room
// before them, a main theme that develops instead of looping, a tempo that changes only where
// a section begins, a low end that stays out of the sub-bass, and an end inside the demo.
#include <gtest/gtest.h>

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

} // namespace
