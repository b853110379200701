#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/timeline.h"

namespace {

// A timeline of recording scenes: which scene was drawn, in which order, with which progress.
std::vector<std::pair<int, float>> drawn;
template <int K> void record(float progress) {
    drawn.push_back({K, progress});
}
void nothing() {}
const SceneEntry recording_table[10] = {
    {nothing, record<1>, nothing},  {nothing, record<2>, nothing}, {nothing, record<3>, nothing},
    {nothing, record<4>, nothing},  {nothing, record<5>, nothing}, {nothing, record<6>, nothing},
    {nothing, record<7>, nothing},  {nothing, record<8>, nothing}, {nothing, record<9>, nothing},
    {nothing, record<10>, nothing},
};

std::vector<std::pair<int, float>> scenes_at(int ms) {
    drawn.clear();
    demo_draw_scenes(ms, recording_table);
    return drawn;
}

uint32_t fake_ticks = 0;
uint32_t fake_tick_source() {
    return fake_ticks;
}

} // namespace

TEST(Timeline, WindowsAreInclusiveAtBothEnds) {
    SceneWindow w{20000, 40000};
    EXPECT_FALSE(window_active(19999, w));
    EXPECT_TRUE(window_active(20000, w));
    EXPECT_TRUE(window_active(40000, w));
    EXPECT_FALSE(window_active(40001, w));
    EXPECT_EQ(window_progress(19000, w), 0.0f);
    EXPECT_EQ(window_progress(20000, w), 0.0f);
    EXPECT_EQ(window_progress(30000, w), 0.5f);
    EXPECT_EQ(window_progress(40000, w), 1.0f);
    EXPECT_EQ(window_progress(50000, w), 1.0f);
}

TEST(Timeline, OverlapsDrawBothScenesEarlierFirst) {
    using Drawn = std::vector<std::pair<int, float>>;
    EXPECT_EQ(scenes_at(0), (Drawn{{1, 0.0f}}));
    EXPECT_EQ(scenes_at(21000), (Drawn{{1, 21000.0f / 23500.0f}, {2, 0.05f}}));
    EXPECT_EQ(scenes_at(23500), (Drawn{{1, 1.0f}, {2, 0.175f}}));
    EXPECT_EQ(scenes_at(23501), (Drawn{{2, 3501.0f / 20000.0f}}));
    EXPECT_EQ(scenes_at(79000), (Drawn{{4, 1.0f}, {5, 0.0f}}));
    EXPECT_EQ(scenes_at(124000), (Drawn{{6, 1.0f}, {7, 0.0f}}));
    EXPECT_EQ(scenes_at(160000), (Drawn{{8, 20000.0f / 22000.0f}, {9, 1000.0f / 21000.0f}}));
    EXPECT_EQ(scenes_at(200000), (Drawn{{10, 1.0f}}));
    EXPECT_EQ(scenes_at(200001), Drawn{});
    EXPECT_EQ(scenes_at(-5), Drawn{});
}

TEST(Timeline, EveryMillisecondBeforeTheEndDrawsAScene) {
    for (int ms = 0; ms <= 200000; ++ms) {
        drawn.clear();
        demo_draw_scenes(ms, recording_table);
        ASSERT_FALSE(drawn.empty()) << ms;
        ASSERT_LE(drawn.size(), 2u) << ms;
        for (const auto& d : drawn)
            ASSERT_TRUE(d.second >= 0.0f && d.second <= 1.0f) << ms;
    }
}

TEST(Timeline, LoopEndsAfterTheFirstFramePast199999OrOnQuit) {
    demo_quit = false;
    EXPECT_FALSE(demo_frame_is_last(199999));
    EXPECT_TRUE(demo_frame_is_last(200000));
    EXPECT_TRUE(demo_frame_is_last(250000));
    demo_quit = true;
    EXPECT_TRUE(demo_frame_is_last(0));
    demo_quit = false;
}

TEST(Envelopes, RampAndRampInt) {
    EXPECT_EQ(ramp(150000.0f, 140000.0f, 160000.0f), 0.5f);
    EXPECT_EQ(ramp(140000.0f, 140000.0f, 160000.0f), 0.0f);
    EXPECT_EQ(ramp(-1e9f, 140000.0f, 160000.0f), 0.0f);
    for (float t : {160000.0f, 160001.0f, 188000.0f, 1e9f, INFINITY})
        EXPECT_EQ(ramp(t, 140000.0f, 160000.0f), 1.0f) << t;
    EXPECT_EQ(ramp_int(5, 0, 10), 0.5f);
    EXPECT_EQ(ramp_int(0, 0, 10), 0.0f);
    EXPECT_EQ(ramp_int(10, 0, 10), 1.0f);
    EXPECT_EQ(ramp_int(1, 0, 3), 1.0f / 3.0f);
    EXPECT_EQ(ramp_int(INT_MAX, 0, 10), 1.0f);
}

TEST(Envelopes, PulseIsZeroAtItsEndsAndAPlateauInBetween) {
    EXPECT_EQ(pulse_envelope(35000.0f, 35000.0f, 124000.0f, 12.0f), 0.0f);
    EXPECT_EQ(pulse_envelope(124000.0f, 35000.0f, 124000.0f, 12.0f), 0.0f);
    EXPECT_EQ(pulse_envelope(34000.0f, 35000.0f, 124000.0f, 12.0f), 0.0f);
    EXPECT_EQ(pulse_envelope(130000.0f, 35000.0f, 124000.0f, 12.0f), 0.0f);
    EXPECT_EQ(pulse_envelope(79500.0f, 35000.0f, 124000.0f, 12.0f), 1.0f);
    // With gain 12 the flanks reach 1 at x ≈ 0.0266 and leave it at x ≈ 0.9734.
    EXPECT_LT(pulse_envelope(0.026f, 0.0f, 1.0f, 12.0f), 1.0f);
    EXPECT_EQ(pulse_envelope(0.027f, 0.0f, 1.0f, 12.0f), 1.0f);
    EXPECT_EQ(pulse_envelope(0.973f, 0.0f, 1.0f, 12.0f), 1.0f);
    EXPECT_LT(pulse_envelope(0.974f, 0.0f, 1.0f, 12.0f), 1.0f);
    EXPECT_GT(pulse_envelope(0.974f, 0.0f, 1.0f, 12.0f), 0.9f);
}

TEST(Envelopes, PulseUsesTheProgramsPi) {
    // At x = 0.9 the 3.141592 of the program and full π differ by about 19 float steps.
    float x = 0.9f;
    float stated = sinf((float)(x * 3.141592));
    EXPECT_EQ(pulse_envelope(0.9f, 0.0f, 1.0f, 1.0f), stated);
    EXPECT_NE(stated, sinf(x * (float)M_PI));
    EXPECT_EQ(pulse_envelope(0.9f, 0.0f, 1.0f, 2.0f), stated * 2.0f);
}

TEST(Clock, FrameMsFromTicks500To1734) {
    DemoClock clock;
    clock.ticks = fake_tick_source;
    fake_ticks = 500;
    clock.start();
    EXPECT_EQ(clock.start_seconds, 0.5f);
    EXPECT_EQ(clock.seconds, 0.0f);
    fake_ticks = 1734;
    clock.update();
    EXPECT_EQ((double)clock.seconds, 1.2339999675750732);
    // The product rounds to 1234.0 in single precision; in double it would truncate to 1233.
    EXPECT_EQ(seconds_to_frame_ms(clock.seconds), 1234);
    EXPECT_EQ((int)(clock.seconds * 1000.0), 1233);
}

TEST(Clock, StartReadsZeroAndAStartTickOfZeroIsTakenLater) {
    DemoClock clock;
    clock.ticks = fake_tick_source;
    fake_ticks = 0;
    clock.start();
    EXPECT_EQ(clock.seconds, 0.0f);
    EXPECT_EQ(clock.start_seconds, 0.0f);
    // 0 means "not taken": the next update takes its own tick as the start.
    fake_ticks = 2000;
    clock.update();
    EXPECT_EQ(clock.start_seconds, 2.0f);
    EXPECT_EQ(clock.seconds, 0.0f);
    fake_ticks = 2500;
    clock.update();
    EXPECT_EQ(clock.seconds, 0.5f);
}

TEST(Clock, TicksBehindTheStartResetTheCount) {
    DemoClock clock;
    clock.ticks = fake_tick_source;
    fake_ticks = 5000;
    clock.start();
    fake_ticks = 4000;
    clock.update();
    EXPECT_EQ(clock.seconds, 0.0f);
    EXPECT_EQ(clock.start_seconds, 0.0f);
    fake_ticks = 4500;
    clock.update();
    EXPECT_EQ(clock.start_seconds, 4.5f);
    EXPECT_EQ(clock.seconds, 0.0f);
    fake_ticks = 5500;
    clock.update();
    EXPECT_EQ(clock.seconds, 1.0f);
}

TEST(Clock, DefaultSourceIsSdlTicks) {
    DemoClock clock;
    clock.start();
    EXPECT_LE(clock.seconds, 0.002f);
    EXPECT_GE(clock.seconds, 0.0f);
}

TEST(FrameMs, TruncatesTheSingleProductAndSaturates) {
    EXPECT_EQ(seconds_to_frame_ms(0.0f), 0);
    EXPECT_EQ(seconds_to_frame_ms(21.0f), 21000);
    EXPECT_EQ(seconds_to_frame_ms(0.0019f), 1);
    EXPECT_EQ(seconds_to_frame_ms(199.9999f), 199999);
    // Weeks of suspend must not overflow the conversion.
    EXPECT_EQ(seconds_to_frame_ms(3.0e6f), INT_MAX);
    EXPECT_EQ(seconds_to_frame_ms(INFINITY), INT_MAX);
    EXPECT_EQ(seconds_to_frame_ms(-3.0e6f), INT_MIN);
}
