// The position timeline recorded while decoding: which row is heard at a given song time,
// where rows begin, what comes after the end, and that it agrees with libopenmpt's own idea
// of where each row lies.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>

#include "runtime/clock.h"
#include "runtime/music_player.h"

namespace {

const char* music_path = OSKE_BUILD_DIR "/music.xm";

struct MusicTimeline : ::testing::Test {
    // Headless: SDL's dummy audio driver unless the caller chose another.
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 0); }
    void TearDown() override {
        music_player.close();
        demo_clock.seconds = 0.0f;
    }
};

TEST_F(MusicTimeline, OfflinePlayerDecodesOnlyAsFarAsAsked) {
    ASSERT_TRUE(music_player.open(music_path, false));
    EXPECT_EQ(music_player.current_order(), -1); // nothing plays before play()
    music_player.play();
    EXPECT_EQ(music_player.decoded_frames, 0);
    int index = music_player.timeline_index_at(10.0);
    ASSERT_GE(index, 0);
    EXPECT_GE(music_player.decoded_frames, 10 * music_rate);
    EXPECT_LT(music_player.decoded_frames, 10 * music_rate + music_block_frames);
    EXPECT_EQ(music_player.timeline_index_at(-0.5), -1);
    const MusicRowMark& first = music_player.timeline[0];
    EXPECT_EQ(first.frame, 0);
    EXPECT_EQ(first.order, 0);
    EXPECT_EQ(first.row, 0);
}

TEST_F(MusicTimeline, RowBoundariesTheEndAndTheModulesOwnRowTimes) {
    ASSERT_TRUE(music_player.open(music_path, false));
    music_player.play();
    int last = music_player.timeline_index_at(1.0e6);
    ASSERT_TRUE(music_player.decode_finished);
    const std::vector<MusicRowMark>& t = music_player.timeline;
    ASSERT_EQ(last, (int)t.size() - 1);
    // Rows follow each other one by one, and a row starts exactly at its mark.
    for (size_t i = 1; i < t.size(); ++i) {
        ASSERT_GT(t[i].frame, t[i - 1].frame);
        bool next_row = t[i].order == t[i - 1].order && t[i].row == t[i - 1].row + 1;
        bool next_order = t[i].order == t[i - 1].order + 1 && t[i].row == 0;
        ASSERT_TRUE(next_row || next_order) << i;
        double at = (double)t[i].frame / music_rate;
        ASSERT_EQ(music_player.timeline_index_at(at + 0.5 / music_rate), (int)i);
        ASSERT_EQ(music_player.timeline_index_at(at - 1.0 / music_rate), (int)i - 1);
    }
    // Past the end: the last row, not the restart position the module shows then.
    EXPECT_EQ(t.back().order, 71);
    EXPECT_EQ(t.back().row, 63);
    demo_clock.seconds = 250.0f;
    EXPECT_EQ(music_player.current_order(), 71);
    EXPECT_EQ(music_player.current_row(), 63);
    demo_clock.seconds = 39.0f;
    EXPECT_EQ(music_player.current_order(), 13);

    // Against libopenmpt's own row times: the marks are at most one read late, never early.
    std::ifstream file(music_path, std::ios::binary);
    openmpt::module module(file);
    for (const MusicRowMark& mark : music_player.timeline) {
        if (mark.row % 16 != 0)
            continue;
        module.set_position_order_row(mark.order, mark.row);
        double expected = module.get_position_seconds();
        double recorded = (double)mark.frame / music_rate;
        EXPECT_GE(recorded, expected - 0.002) << mark.order << ":" << mark.row;
        EXPECT_LE(recorded, expected + (double)music_read_frames / music_rate + 0.002)
            << mark.order << ":" << mark.row;
    }
}

double queued_seconds() {
    return (double)SDL_GetQueuedAudioSize(music_player.device) / (8.0 * music_rate);
}

TEST_F(MusicTimeline, StreamedPlaybackStaysTwoSecondsAheadAndAllowsForTheDeviceBuffer) {
    ASSERT_TRUE(music_player.open(music_path, true));
    ASSERT_TRUE(music_player.stream);
    music_player.play();
    EXPECT_FALSE(music_player.decode_finished);
    EXPECT_GE(music_player.decoded_frames, (int64_t)(music_prefill_seconds * music_rate));
    EXPECT_LT(music_player.decoded_frames, (int64_t)(music_prefill_seconds * music_rate) + 4096);
    EXPECT_GE(queued_seconds(), 2.0);
    EXPECT_DOUBLE_EQ(music_player.latency_seconds, 4096.0 / 48000.0);
    // At clock 0 nothing has been heard yet; a buffer later the first row has.
    demo_clock.seconds = 0.0f;
    EXPECT_EQ(music_player.current_order(), -1);
    demo_clock.seconds = 0.1f;
    EXPECT_EQ(music_player.current_order(), 0);
    EXPECT_EQ(music_player.current_row(), 0);

    // A second of frames at 50 per second: the device plays, pump() refills.
    double lowest = 1e9;
    Uint32 start = SDL_GetTicks();
    while (SDL_GetTicks() - start < 1000) {
        SDL_Delay(20);
        music_player.pump();
        lowest = std::min(lowest, queued_seconds());
    }
    EXPECT_GE(lowest, 2.0);
    EXPECT_GE((double)music_player.decoded_frames / music_rate, music_ahead_seconds + 0.5);
    // The timeline was built as the song was decoded, row after row.
    const MusicRowMark& last = music_player.timeline.back();
    EXPECT_GT(last.order * 64 + last.row, 64);
}

TEST_F(MusicTimeline, UnstreamedPlaybackQueuesTheWholeSong) {
    ASSERT_TRUE(music_player.open(music_path, true));
    music_player.stream = false;
    music_player.play();
    music_player.stream = true;
    EXPECT_TRUE(music_player.decode_finished);
    EXPECT_GT(queued_seconds(), 195.0);
    music_player.pump(); // nothing left to do
    EXPECT_EQ(music_player.timeline.back().order, 71);
}

} // namespace
