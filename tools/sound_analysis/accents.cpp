#include "accents.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "onsets.h"
#include "runtime/trigger_positions.h"
#include "song.h"

double median_of(std::vector<double> values) {
    if (values.empty())
        return 0;
    size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + mid, values.end());
    double upper = values[mid];
    if (values.size() % 2)
        return upper;
    double lower = *std::max_element(values.begin(), values.begin() + mid);
    return 0.5 * (lower + upper);
}

bool accent_in_list(const TriggerAccent& accent, const std::string& owner) {
    std::string lists = " " + accent.lists + " ";
    return lists.find(" " + owner + " ") != std::string::npos;
}

AccentReport trigger_accents(const SongAudio& song, const std::vector<float>& flux) {
    // Every position once, with every list that holds it.
    std::map<std::pair<int, int>, TriggerAccent> owners;
    for (const TriggerList* list : trigger_lists)
        for (int i = 0; i < list->count; ++i) {
            TriggerAccent& a = owners[{list->positions[i].order, list->positions[i].row}];
            if (!accent_in_list(a, list->owner))
                a.lists += a.lists.empty() ? list->owner : std::string(" ") + list->owner;
        }

    AccentReport report;
    std::vector<std::vector<double>> beats(song_section_count);
    std::map<std::pair<int, int>, const SongRow*> heard;
    for (const SongRow& r : song.rows) {
        heard.emplace(std::make_pair(r.order, r.row), &r);
        int s = song_section_of_order(r.order);
        if (s >= 0 && r.row % 8 == 0 && !owners.count({r.order, r.row}))
            beats[s].push_back(onset_strength(flux, song.rate, r.frame));
    }
    for (int s = 0; s < song_section_count; ++s) {
        report.section_beat_median.push_back((float)median_of(beats[s]));
        report.section_beat_count.push_back((int)beats[s].size());
    }

    for (auto& [at, a] : owners) {
        a.order = at.first;
        a.row = at.second;
        a.section = song_section_of_order(a.order);
        auto found = heard.find(at);
        a.heard = found != heard.end();
        if (a.heard) {
            a.seconds = song_seconds(song, found->second->frame);
            a.strength = onset_strength(flux, song.rate, found->second->frame);
        }
        // Without trigger-free beats to compare with there is no ratio (0, as if unheard); over
        // beats that are silent every onset is an accent.
        if (a.heard && a.section >= 0 && report.section_beat_count[a.section] > 0) {
            a.beat_median = report.section_beat_median[a.section];
            a.ratio = a.beat_median > 0 ? a.strength / a.beat_median : HUGE_VAL;
        }
        report.positions.push_back(a);
    }
    std::vector<double> ratios;
    for (const TriggerAccent& a : report.positions) {
        ratios.push_back(a.ratio);
        report.below += a.ratio < accent_ratio_floor;
    }
    report.median_ratio = median_of(ratios);
    return report;
}

std::vector<int> weakest_accents(const AccentReport& report, int count) {
    std::vector<int> order(report.positions.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = (int)i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return report.positions[a].ratio < report.positions[b].ratio;
    });
    order.resize(std::min(order.size(), (size_t)std::max(count, 0)));
    return order;
}
