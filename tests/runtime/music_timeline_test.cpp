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
        demo_clock.start_seconds = 0.0f;
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

// Where libopenmpt itself puts the row that holds song time `seconds`.
std::pair<int, int> row_at(openmpt::module& module, double seconds) {
    module.set_position_seconds(seconds);
    double at = module.get_position_seconds();
    for (double back = 0.05; at > seconds; back += 0.05)
        at = module.set_position_seconds(seconds - back);
    int order = module.get_current_order(), row = module.get_current_row();
    for (;;) {
        int next_row = row + 1, next_order = order;
        if (next_row >= module.get_pattern_num_rows(module.get_order_pattern(order)))
            next_row = 0, ++next_order;
        if (next_order >= module.get_num_orders())
            break;
        module.set_position_order_row(next_order, next_row);
        if (module.get_position_seconds() > seconds)
            break;
        order = next_order, row = next_row;
    }
    return {order, row};
}

TEST_F(MusicTimeline, SeeksRebuildTheTimelineFromTheirTarget) {
    ASSERT_TRUE(music_player.open(music_path, false));
    music_player.play();
    music_player.timeline_index_at(60.0);
    std::vector<MusicRowMark> straight = music_player.timeline;
    std::ifstream file(music_path, std::ios::binary);
    openmpt::module module(file);

    // Back: the marks before the target stay, the rest come again as the song is decoded
    // again, within one read of where they were; rows met again do not end the song.
    music_player.seek(30.0);
    EXPECT_EQ(music_player.decoded_frames, 30 * music_rate);
    EXPECT_LE(music_player.timeline.back().frame, 30 * music_rate);
    music_player.timeline_index_at(60.0);
    EXPECT_FALSE(music_player.song_ended);
    const std::vector<MusicRowMark>& again = music_player.timeline;
    ASSERT_EQ(again.size(), straight.size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].order, straight[i].order) << i;
        EXPECT_EQ(again[i].row, straight[i].row) << i;
        EXPECT_LE(std::abs(again[i].frame - straight[i].frame), music_read_frames) << i;
    }

    // Ahead, over a part never decoded: the target's row, then the song on to its end.
    for (double seconds : {150.0, 123.456}) {
        music_player.seek(seconds);
        int index = music_player.timeline_index_at(seconds);
        ASSERT_GE(index, 0);
        std::pair<int, int> expected = row_at(module, seconds);
        EXPECT_EQ(music_player.timeline[index].order, expected.first) << seconds;
        EXPECT_EQ(music_player.timeline[index].row, expected.second) << seconds;
        int later = music_player.timeline_index_at(seconds + 2.0);
        expected = row_at(module, seconds + 2.0);
        EXPECT_EQ(music_player.timeline[later].order, expected.first) << seconds;
        EXPECT_EQ(music_player.timeline[later].row, expected.second) << seconds;
    }
    music_player.timeline_index_at(1.0e6);
    EXPECT_TRUE(music_player.decode_finished);
    EXPECT_EQ(music_player.timeline.back().order, 71);
    EXPECT_EQ(music_player.timeline.back().row, 63);

    // Past the end nothing is left to decode, and the position stays the last one known.
    music_player.seek(250.0);
    EXPECT_TRUE(music_player.decode_finished);
    EXPECT_EQ(music_player.timeline_index_at(260.0), (int)music_player.timeline.size() - 1);
}

TEST_F(MusicTimeline, SoundThatFellBehindTheClockIsQueuedAgainFromTheClock) {
    ASSERT_TRUE(music_player.open(music_path, true));
    music_player.play();
    // The clock 20 s on, the device still at the start: as after a stop and continue.
    demo_clock.start();
    demo_clock.start_seconds -= 20.0f;
    demo_clock.update();
    music_player.follow_clock();
    EXPECT_EQ(music_player.resyncs, 1);
    double queued = queued_seconds();
    // The device may have taken a buffer or two since.
    EXPECT_GE(queued, music_ahead_seconds - 0.3);
    // What it takes is the song from the clock's time on.
    int64_t queued_frames = (int64_t)(queued * music_rate + 0.5);
    double taken = music_player.taken_seconds(queued_frames);
    EXPECT_GE(taken, demo_clock.seconds - 0.01);
    EXPECT_LE(taken, demo_clock.seconds + 0.3);
    // Its rows, once the device buffer that was already playing has been heard.
    std::ifstream file(music_path, std::ios::binary);
    openmpt::module module(file);
    int index = music_player.timeline_index_at(demo_clock.seconds);
    ASSERT_GE(index, 0);
    std::pair<int, int> expected = row_at(module, demo_clock.seconds);
    EXPECT_EQ(music_player.timeline[index].order, expected.first);
    EXPECT_EQ(music_player.timeline[index].row, expected.second);

    // In step now: frames go on without correcting it again and again (a device starved by
    // a loaded machine may call for one more).
    Uint32 start = SDL_GetTicks();
    while (SDL_GetTicks() - start < 500) {
        SDL_Delay(20);
        demo_clock.update();
        music_player.follow_clock();
        music_player.pump();
    }
    EXPECT_LE(music_player.resyncs, 2);
    int resyncs = music_player.resyncs;

    // A clock past the song's end: the queue is dropped and nothing more comes.
    demo_clock.start_seconds -= 200.0f;
    demo_clock.update();
    music_player.follow_clock();
    EXPECT_EQ(music_player.resyncs, resyncs + 1);
    EXPECT_EQ(queued_seconds(), 0.0);
    music_player.pump();
    EXPECT_EQ(queued_seconds(), 0.0);
}

} // namespace
