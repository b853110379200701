// How strongly each trigger position is heard: its onset strength against the trigger-free
// beats of its section.
//
// A trigger-free beat is a row of the song with row % 8 == 0 (every beat, 8 rows a beat) that
// is no list's trigger position. A position's accent ratio is its onset strength divided by the
// median onset strength of the trigger-free beats of the same section. A row starts where the
// player's timeline puts it.
#pragma once

#include <string>
#include <vector>

#include "song_render.h"

struct TriggerAccent {
    int order = 0;
    int row = 0;
    std::string lists;  // owners of every list holding the position, "scene5 scene6"
    int section = -1;   // -1: the order is in no section
    bool heard = false; // the song reaches the position
    double seconds = 0;
    float strength = 0;
    float beat_median = 0; // of the section's trigger-free beats
    double ratio = 0;      // 0 when not heard or its section has no trigger-free beat
};

struct AccentReport {
    std::vector<TriggerAccent> positions;   // each position once, in song order
    std::vector<float> section_beat_median; // per section; 0 when it has no trigger-free beat
    std::vector<int> section_beat_count;
    double median_ratio = 0;
    int below = 0; // positions under accent_ratio_floor
};

constexpr double accent_ratio_floor = 1.5;
constexpr double accent_ratio_median_target = 2.0;

// flux: the song's onset flux (onset_flux()).
AccentReport trigger_accents(const SongAudio& song, const std::vector<float>& flux);
// Whether the list of that owner holds the position.
bool accent_in_list(const TriggerAccent& accent, const std::string& owner);
// The median of the values (the mean of the middle two for an even count); 0 for none.
double median_of(std::vector<double> values);
// Indices into report.positions of the weakest `count`, weakest first.
std::vector<int> weakest_accents(const AccentReport& report, int count);
