// The trigger table on a position and clock the test controls: the table's own arithmetic
// with a forced position, and catching up on rows that passed between two slow frames with a
// hand-made position timeline.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "runtime/sync_trigger.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"

namespace {

// The clock reading whose frame time is exactly `ms`.
void set_demo_ms(int ms) {
    float s = (float)ms / 1000.0f;
    while (seconds_to_frame_ms(s) < ms)
        s = std::nextafter(s, 1.0e9f);
    demo_clock.seconds = s;
    ASSERT_EQ(seconds_to_frame_ms(demo_clock.seconds), ms);
}

struct TriggerTableTest : ::testing::Test {
    SyncTriggerTable table;
    void TearDown() override {
        table.release();
        music_force_position(-1, 0);
        music_player.close();
        demo_clock.seconds = 0.0f;
    }
};

TEST_F(TriggerTableTest, NeverMatchingPositionGivesNothing) {
    table.init(3);
    table.push(22, 0, 700).push(22, 32, 700).push(23, 0, 700);
    music_force_position(5, 7);
    for (int ms = 0; ms < 2000; ms += 16) {
        set_demo_ms(ms);
        EXPECT_EQ(table.update(), 0.0f);
        EXPECT_FALSE(table.fired_this_frame());
    }
}

TEST_F(TriggerTableTest, PulseFallsLinearlyOverItsDuration) {
    table.init(1);
    table.push(14, 12, 400);
    music_force_position(14, 12);
    set_demo_ms(10000);
    EXPECT_EQ(table.update(), 1.0f);
    EXPECT_TRUE(table.fired_this_frame());
    music_force_position(14, 13);
    set_demo_ms(10200);
    EXPECT_FLOAT_EQ(table.update(), 0.5f);
    EXPECT_FALSE(table.fired_this_frame());
    set_demo_ms(10400);
    EXPECT_EQ(table.update(), 0.0f);
    set_demo_ms(12000);
    EXPECT_EQ(table.update(), 0.0f);
    // Fired once for the whole run, even when the position comes round again.
    music_force_position(14, 12);
    set_demo_ms(13000);
    EXPECT_EQ(table.update(), 0.0f);
    EXPECT_FALSE(table.fired_this_frame());
}

TEST_F(TriggerTableTest, OverlappingPulsesAreClampedToOne) {
    table.init(2);
    table.push(1, 0, 400).push(1, 4, 400);
    music_force_position(1, 0);
    set_demo_ms(5000);
    EXPECT_EQ(table.update(), 1.0f);
    music_force_position(1, 4);
    set_demo_ms(5100); // 0.75 + 1 = 1.75
    EXPECT_EQ(table.update(), 1.0f);
    EXPECT_TRUE(table.fired_this_frame());
    music_force_position(1, 5);
    set_demo_ms(5300); // 0.25 + 0.5
    EXPECT_FLOAT_EQ(table.update(), 0.75f);
}

TEST_F(TriggerTableTest, PushesBeyondCapacityAreDropped) {
    table.init(2);
    table.push(3, 0, 300).push(3, 8, 300).push(3, 16, 300);
    EXPECT_EQ(table.count, 3);
    music_force_position(3, 16);
    set_demo_ms(1000);
    EXPECT_EQ(table.update(), 0.0f);
    EXPECT_FALSE(table.fired_this_frame());
    music_force_position(3, 8);
    set_demo_ms(1016);
    EXPECT_EQ(table.update(), 1.0f);
    EXPECT_TRUE(table.fired_this_frame());
}

TEST_F(TriggerTableTest, SamePositionFiresAllEntriesInOneFrame) {
    table.init(3);
    table.push(50, 0, 400).push(50, 0, 200).push(50, 8, 400);
    music_force_position(50, 0);
    set_demo_ms(140000);
    EXPECT_EQ(table.update(), 1.0f);
    EXPECT_TRUE(table.fired[0]);
    EXPECT_TRUE(table.fired[1]);
    EXPECT_FALSE(table.fired[2]);
    set_demo_ms(140100); // 0.75 + 0.5
    EXPECT_EQ(table.update(), 1.0f);
    EXPECT_FALSE(table.fired_this_frame());
    set_demo_ms(140300); // 0.25 + 0
    EXPECT_FLOAT_EQ(table.update(), 0.25f);
}

TEST_F(TriggerTableTest, ZeroCapacityTableIsHarmless) {
    table.init(0);
    table.push(1, 0, 100);
    music_force_position(1, 0);
    set_demo_ms(100);
    EXPECT_EQ(table.update(), 0.0f);
    EXPECT_FALSE(table.fired_this_frame());
}

TEST_F(TriggerTableTest, PushTriggerListPushesEveryPositionWithItsDuration) {
    table.init(scene4_trigger_list.count);
    push_trigger_list(table, scene4_trigger_list);
    ASSERT_EQ(table.count, 15);
    for (int i = 0; i < table.count; ++i) {
        EXPECT_EQ(table.orders[i], scene4_trigger_list.positions[i].order);
        EXPECT_EQ(table.rows[i], scene4_trigger_list.positions[i].row);
        EXPECT_EQ(table.durations[i], 700);
    }
}

// A song of rows 20 ms long starting at order 0, all in one timeline.
void fake_song(int rows_count, int frames_per_row, double latency = 0.0) {
    music_player.close();
    music_player.playing = true;
    music_player.decode_finished = true;
    music_player.latency_seconds = latency;
    for (int i = 0; i < rows_count; ++i)
        music_player.timeline.push_back({(int64_t)i * frames_per_row, i / 64, i % 64});
}

double row_start_ms(int order, int row, int frames_per_row) {
    return (order * 64 + row) * (double)frames_per_row * 1000.0 / music_rate;
}

TEST_F(TriggerTableTest, SlowFramesCatchUpOnRowsThatPassedBetweenThem) {
    const int frames_per_row = 960; // 20 ms rows
    fake_song(64 * 4, frames_per_row);
    table.init(8);
    for (int row = 0; row < 8; ++row)
        table.push(1, row * 5 + 1, 300);
    // 10 frames per second: five rows pass between two updates.
    int fired_total = 0;
    for (int ms = 1205; ms <= 3005; ms += 100) {
        set_demo_ms(ms);
        bool fired_before[8];
        for (int i = 0; i < 8; ++i)
            fired_before[i] = table.fired[i];
        float pulse = table.update();
        for (int i = 0; i < 8; ++i) {
            if (table.fired[i] && !fired_before[i]) {
                ++fired_total;
                double heard_from = row_start_ms(1, table.rows[i], frames_per_row);
                EXPECT_GE(ms, heard_from) << "fired before its row was heard";
                EXPECT_LT(ms - heard_from, 100.0) << "not the first update after the row";
                EXPECT_EQ(table.start_ms[i], ms);
                EXPECT_EQ(pulse, 1.0f);
            }
        }
    }
    EXPECT_EQ(fired_total, 8);
}

TEST_F(TriggerTableTest, NothingFiresBeforeTheDeviceHasPlayedTheRow) {
    const int frames_per_row = 960;
    fake_song(64 * 2, frames_per_row, 0.085);
    table.init(1);
    table.push(1, 0, 300); // row starts at 1280 ms of song time, heard at 1365 ms
    for (int ms = 1200; ms < 1365; ms += 5) {
        set_demo_ms(ms);
        table.update();
        ASSERT_FALSE(table.fired_this_frame()) << ms;
    }
    set_demo_ms(1366);
    table.update();
    EXPECT_TRUE(table.fired_this_frame());
}

TEST_F(TriggerTableTest, FastFramesBehaveExactlyLikeThePositionAlone) {
    // Frames shorter than rows: the catch-up never finds more than the current row, so the
    // fire times equal those of a table that sees only the position.
    const int frames_per_row = 2060;
    fake_song(64 * 3, frames_per_row);
    SyncTriggerTable reference;
    table.init(6);
    reference.init(6);
    const int rows_at[6] = {0, 12, 20, 44, 48, 52};
    for (int r : rows_at) {
        table.push(1, r, 400);
        reference.push(1, r, 400);
    }
    for (int ms = 2500; ms < 6000; ms += 7) {
        set_demo_ms(ms);
        float with_timeline = table.update();
        int index = music_player.audible_index();
        music_force_position(music_player.timeline[index].order, music_player.timeline[index].row);
        float alone = reference.update();
        music_force_position(-1, 0);
        ASSERT_EQ(with_timeline, alone) << ms;
        ASSERT_EQ(table.fired_this_frame(), reference.fired_this_frame()) << ms;
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(table.start_ms[i], reference.start_ms[i]);
    reference.release();
}

TEST_F(TriggerTableTest, RowsBeforeTheFirstUpdateOrAcrossAJumpStayUnfired) {
    const int frames_per_row = 960;
    fake_song(64 * 4, frames_per_row);
    table.init(3);
    table.push(0, 10, 300).push(1, 10, 300).push(3, 0, 300);
    // The owner is first drawn at 1000 ms: order 0 row 10 (200 ms) passed unseen.
    set_demo_ms(1000);
    table.update();
    EXPECT_FALSE(table.fired[0]);
    // Order 1 row 10 (1480 ms) passes while the owner is not drawn for two seconds.
    set_demo_ms(3900);
    table.update();
    EXPECT_FALSE(table.fired[1]);
    // Order 3 row 0 (3840 ms) was heard 60 ms before this update, which starts afresh.
    EXPECT_FALSE(table.fired[2]);
    set_demo_ms(3950);
    table.update();
    EXPECT_FALSE(table.fired[2]);
}

TEST_F(TriggerTableTest, PastTheEndTheLastRowStaysCurrent) {
    fake_song(10, 960);
    set_demo_ms(100000);
    EXPECT_EQ(music_player.current_order(), 0);
    EXPECT_EQ(music_player.current_row(), 9);
}

} // namespace

namespace {

// The real soundtrack, decoded for positions only, and every scene's table run through its
// scene's window at a steady frame rate: each trigger fires exactly once, on the first frame
// at or after its row is heard.
void run_scene_tables_at(int frame_ms_step) {
    for (const TriggerList* list : trigger_lists) {
        SyncTriggerTable table;
        table.init(list->count);
        push_trigger_list(table, *list);
        const SceneWindow& window = scene_windows[list->scene - 1];
        std::vector<int> fired_at(list->count, -1);
        for (int ms = window.start; ms <= window.end; ms += frame_ms_step) {
            set_demo_ms(ms);
            table.update();
            for (int i = 0; i < list->count; ++i)
                if (table.fired[i] && fired_at[i] < 0)
                    fired_at[i] = ms;
        }
        for (int i = 0; i < list->count; ++i) {
            TriggerPosition p = list->positions[i];
            if (list->scene == 9 && p.order < 57)
                continue; // heard while only scene 8 is on screen
            ASSERT_GE(fired_at[i], 0) << list->owner << " " << p.order << ":" << p.row;
            double heard_ms = -1;
            for (const MusicRowMark& mark : music_player.timeline)
                if (mark.order == p.order && mark.row == p.row) {
                    heard_ms = mark.frame * 1000.0 / music_rate;
                    break;
                }
            EXPECT_GE(fired_at[i], heard_ms) << list->owner << " " << p.order << ":" << p.row;
            EXPECT_LT(fired_at[i], heard_ms + frame_ms_step + 1)
                << list->owner << " " << p.order << ":" << p.row;
        }
        table.release();
    }
}

TEST(TriggerSong, EveryTriggerFiresOnceOnItsRowAtTenAndSixtyFramesPerSecond) {
    ASSERT_TRUE(music_player.open(OSKE_BUILD_DIR "/music.xm", false));
    music_player.play();
    run_scene_tables_at(100);
    run_scene_tables_at(16);
    music_player.close();
}

} // namespace
