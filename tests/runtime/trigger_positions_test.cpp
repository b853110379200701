// The one table of trigger positions that the scenes push from and the composer accents.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/trigger_positions.h"

namespace {

TEST(TriggerPositions, EachListHasItsScenesCountDurationAndAscendingRows) {
    struct Expected {
        const TriggerList* list;
        int scene, count, duration_ms;
    };
    const Expected expected[] = {
        {&scene3_trigger_list, 3, 24, 200},       {&scene4_trigger_list, 4, 15, 700},
        {&scene5_trigger_list, 5, 46, 500},       {&scene6_trigger_list, 6, 44, 300},
        {&scene8_spark_trigger_list, 8, 60, 400}, {&scene8_camera_trigger_list, 8, 41, 400},
        {&scene9_trigger_list, 9, 56, 700},
    };
    std::set<std::string> owners;
    for (int k = 0; k < trigger_list_count; ++k) {
        const Expected& e = expected[k];
        const TriggerList* list = trigger_lists[k];
        EXPECT_EQ(list, e.list);
        EXPECT_EQ(list->scene, e.scene) << list->owner;
        EXPECT_EQ(list->count, e.count) << list->owner;
        EXPECT_EQ(list->duration_ms, e.duration_ms) << list->owner;
        EXPECT_TRUE(owners.insert(list->owner).second);
        for (int i = 0; i < list->count; ++i) {
            TriggerPosition p = list->positions[i];
            EXPECT_GE(p.row, 0);
            EXPECT_LT(p.row, 64);
            if (i > 0) {
                TriggerPosition q = list->positions[i - 1];
                EXPECT_TRUE(p.order > q.order || (p.order == q.order && p.row > q.row))
                    << list->owner << " " << i;
            }
        }
    }
}

TEST(TriggerPositions, SceneEightRollRunsInEvenRowsThenEveryRow) {
    std::set<int> rows;
    for (int i = 0; i < scene8_spark_trigger_list.count; ++i)
        if (scene8_spark_trigger_list.positions[i].order == 52)
            rows.insert(scene8_spark_trigger_list.positions[i].row);
    std::set<int> expected;
    for (int r = 0; r <= 32; r += 2)
        expected.insert(r);
    for (int r = 33; r <= 46; ++r)
        expected.insert(r);
    EXPECT_EQ(rows, expected);
}

} // namespace
