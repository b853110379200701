// The composed soundtrack: a module libopenmpt plays, of the right length and shape, whose
// rows fall where the scenes listen for them, that never clips, and that is rebuilt byte for
// byte the same.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"

namespace {

const char* music_path = OSKE_BUILD_DIR "/music.xm";

std::vector<char> read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), {});
}

TEST(MusicModule, LoadsWithTheRightLengthAndPatterns) {
    std::ifstream file(music_path, std::ios::binary);
    ASSERT_TRUE(file.is_open()) << music_path;
    openmpt::module module(file);
    module.set_repeat_count(0);
    double duration = module.get_duration_seconds();
    EXPECT_GE(duration, 195.0);
    EXPECT_LE(duration, 205.0);
    ASSERT_GE(module.get_num_orders(), 71);
    for (int order = 0; order < module.get_num_orders(); ++order) {
        int pattern = module.get_order_pattern(order);
        ASSERT_LT(pattern, module.get_num_patterns());
        EXPECT_EQ(module.get_pattern_num_rows(pattern), 64) << "order " << order;
    }
    EXPECT_GE(module.get_num_instruments(), 10);
}

TEST(MusicModule, TwoRunsOfTheComposerWriteTheSameBytes) {
    std::string composer = OSKE_BUILD_DIR "/tools/compose/oske_compose";
    std::string out1 = testing::TempDir() + "music_a.xm";
    std::string out2 = testing::TempDir() + "music_b.xm";
    ASSERT_EQ(std::system((composer + " " + out1).c_str()), 0);
    ASSERT_EQ(std::system((composer + " " + out2).c_str()), 0);
    std::vector<char> built = read_file(music_path);
    ASSERT_GT(built.size(), 1000u);
    EXPECT_TRUE(read_file(out1) == built);
    EXPECT_TRUE(read_file(out2) == built);
}

// One decode of the whole song through the player, shared by the checks below.
struct SongTimes {
    std::map<std::pair<int, int>, double> first_heard; // (order, row) -> seconds
    double end_seconds = 0;
};

const SongTimes& song_times() {
    static SongTimes times = [] {
        SongTimes t;
        EXPECT_TRUE(music_player.open(music_path, false));
        music_player.play();
        music_player.timeline_index_at(1.0e6);
        for (const MusicRowMark& mark : music_player.timeline)
            t.first_heard.emplace(std::make_pair(mark.order, mark.row),
                                  (double)mark.frame / music_rate);
        t.end_seconds = (double)music_player.decoded_frames / music_rate;
        music_player.close();
        return t;
    }();
    return times;
}

TEST(MusicModule, EveryRowIsPlayedOnceAndTriggerRowsFallInsideTheirScenesWindows) {
    const SongTimes& t = song_times();
    EXPECT_EQ(t.first_heard.size(), 72u * 64u);
    EXPECT_GE(t.end_seconds, 195.0);
    EXPECT_LE(t.end_seconds, 205.0);

    // A trigger can fire up to one device buffer and one frame after its row starts.
    const double late = 0.085 + 0.02;
    for (const TriggerList* list : trigger_lists) {
        const SceneWindow& window = scene_windows[list->scene - 1];
        for (int i = 0; i < list->count; ++i) {
            TriggerPosition p = list->positions[i];
            // Scene 9 opens while scene 8 still plays orders 50-57; it can only catch up from
            // order 57 on, whose rows both scenes share.
            if (list->scene == 9 && p.order < 57)
                continue;
            auto found = t.first_heard.find({p.order, p.row});
            ASSERT_NE(found, t.first_heard.end()) << list->owner << " " << p.order << ":" << p.row;
            double s = found->second;
            EXPECT_GE(s * 1000.0, window.start) << list->owner << " " << p.order << ":" << p.row;
            EXPECT_LE((s + late) * 1000.0, window.end)
                << list->owner << " " << p.order << ":" << p.row;
        }
    }
    // Orders 57 to 63 whole while scene 9 is on screen.
    for (int order = 57; order <= 63; ++order) {
        double start = t.first_heard.at({order, 0});
        double last = t.first_heard.at({order, 63});
        EXPECT_GE(start * 1000.0, scene_windows[8].start) << order;
        EXPECT_LE(last * 1000.0, scene_windows[8].end) << order;
    }
}

TEST(MusicModule, RenderedSoundStaysBelowFullScaleAndIsNotSilent) {
    std::ifstream file(music_path, std::ios::binary);
    openmpt::module module(file);
    module.set_repeat_count(0);
    std::vector<float> block(2 * 4096);
    float peak = 0.0f;
    double energy = 0.0;
    size_t frames = 0;
    // Loudness per second, to see that every part of the song sounds.
    std::vector<double> second_energy;
    for (;;) {
        size_t n = module.read_interleaved_stereo(music_rate, 4096, block.data());
        if (n == 0)
            break;
        for (size_t i = 0; i < 2 * n; ++i) {
            peak = std::max(peak, std::fabs(block[i]));
            energy += (double)block[i] * block[i];
            size_t second = (frames + i / 2) / music_rate;
            if (second >= second_energy.size())
                second_energy.resize(second + 1, 0.0);
            second_energy[second] += (double)block[i] * block[i];
        }
        frames += n;
    }
    EXPECT_LT(peak, 0.89f) << "peak " << 20.0 * std::log10(peak) << " dBFS";
    double rms = std::sqrt(energy / (2.0 * frames));
    EXPECT_GT(rms, 0.03);
    // Every second up to the final chord's decay carries sound.
    for (size_t s = 0; s + 2 < second_energy.size(); ++s)
        EXPECT_GT(std::sqrt(second_energy[s] / (2.0 * music_rate)), 0.003) << "second " << s;
}

} // namespace
