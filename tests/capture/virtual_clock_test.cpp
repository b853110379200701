#include <gtest/gtest.h>

#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "runtime/virtual_clock.h"

// Whole-millisecond ticks through float seconds miss some frame times; the virtual clock must
// reach every one of them through the demo clock's own arithmetic.
TEST(VirtualClock, EveryFrameTimeOfTheTimelineIsReachedExactly) {
    DemoClock saved = demo_clock;
    virtual_clock_install();
    demo_clock.start();
    EXPECT_EQ(seconds_to_frame_ms(demo_clock.seconds), 0);
    int wrong = 0, first_wrong = -1;
    for (int t = 0; t <= 200001; ++t) {
        ASSERT_TRUE(virtual_clock_set_frame(t));
        demo_clock.update();
        if (seconds_to_frame_ms(demo_clock.seconds) != t && wrong++ == 0)
            first_wrong = t;
        // The refined start stays within a millisecond of the real one.
        ASSERT_NEAR(demo_clock.start_seconds, virtual_clock_start_tick / 1000.0f, 0.001f) << t;
        ASSERT_GT(demo_clock.start_seconds, 0.0f);
    }
    EXPECT_EQ(wrong, 0) << "first wrong frame time " << first_wrong;
    virtual_clock_uninstall();
    demo_clock = saved;
}

TEST(VirtualClock, TicksAloneSkipSomeFrameTimes) {
    // Why the start point is refined: from a start at 1 s, tick 1033 reads 32.99999 ms.
    DemoClock saved = demo_clock;
    virtual_clock_install();
    demo_clock.start();
    virtual_clock_now = virtual_clock_start_tick + 33;
    demo_clock.update();
    EXPECT_EQ(seconds_to_frame_ms(demo_clock.seconds), 32);
    virtual_clock_set_frame(33);
    demo_clock.update();
    EXPECT_EQ(seconds_to_frame_ms(demo_clock.seconds), 33);
    EXPECT_FALSE(virtual_clock_set_frame(-1));
    EXPECT_EQ(virtual_clock_tick_for(-1), 0u);
    EXPECT_EQ(virtual_clock_tick_for(33), virtual_clock_start_tick + 33);
    virtual_clock_uninstall();
    EXPECT_EQ(demo_clock.ticks, nullptr);
    demo_clock = saved;
}

TEST(VirtualClock, SecondsSitAtTheStartOfTheirMillisecond) {
    // The clock reads as close above the whole millisecond as floats allow, like a real tick.
    DemoClock saved = demo_clock;
    virtual_clock_install();
    for (int t : {0, 33, 21000, 123457, 200000}) {
        virtual_clock_set_frame(t);
        demo_clock.update();
        EXPECT_NEAR(demo_clock.seconds, t / 1000.0, 2e-5) << t;
    }
    virtual_clock_uninstall();
    demo_clock = saved;
}
