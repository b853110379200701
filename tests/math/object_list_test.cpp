#include <gtest/gtest.h>

#include "math/object_list.h"

// A list holding the points (0,0,0), (1,0,0), … (count-1,0,0).
static ObjectList make_list(int count) {
    ObjectList list;
    list.clear();
    for (int i = 0; i < count; ++i)
        list.push_newest(new Vector3((float)i, 0.0f, 0.0f));
    return list;
}

TEST(ObjectList, PushKeepsInsertionOrderAndLeavesTheCursor) {
    ObjectList list = make_list(3);
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.cursor, nullptr);
    EXPECT_EQ(list.oldest->item->x, 0.0f);
    EXPECT_EQ(list.newest->item->x, 2.0f);
    EXPECT_EQ(list.oldest->older, nullptr);
    EXPECT_EQ(list.newest->newer, nullptr);
    EXPECT_EQ(list.oldest->newer->newer, list.newest);
    EXPECT_EQ(list.newest->older->older, list.oldest);
    list.remove_all();
}

TEST(ObjectList, SeekAndStepWalkTowardsNewerAndStopAtTheNewest) {
    ObjectList list = make_list(3);
    EXPECT_FALSE(list.seek(0));
    EXPECT_EQ(list.cursor, list.oldest);
    EXPECT_FALSE(list.seek(-4));
    EXPECT_EQ(list.cursor, list.oldest);
    EXPECT_TRUE(list.seek(2));
    EXPECT_EQ(list.current()->x, 2.0f);
    EXPECT_FALSE(list.seek(3));
    EXPECT_EQ(list.cursor, list.newest);
    EXPECT_FALSE(list.seek(100));
    EXPECT_EQ(list.cursor, list.newest);

    EXPECT_FALSE(list.step_newer());
    EXPECT_EQ(list.cursor, list.newest);
    list.seek(0);
    EXPECT_TRUE(list.step_newer());
    EXPECT_EQ(list.current()->x, 1.0f);
    list.remove_all();
}

TEST(ObjectList, SeekMatchesStepwiseWalkForEveryLengthAndTarget) {
    for (int count = 0; count <= 7; ++count) {
        ObjectList list = make_list(count);
        for (int n = -2; n <= count + 2; ++n) {
            // The plain walk: from the oldest node, n single steps, stopping at the newest.
            ListNode* expected_cursor = list.oldest;
            bool expected_moved = false;
            for (int i = 0; i < n; ++i) {
                expected_moved = expected_cursor && expected_cursor->newer;
                if (!expected_moved)
                    break;
                expected_cursor = expected_cursor->newer;
            }
            EXPECT_EQ(list.seek(n), expected_moved) << count << " nodes, seek " << n;
            EXPECT_EQ(list.cursor, expected_cursor) << count << " nodes, seek " << n;
        }
        list.remove_all();
    }
}

TEST(ObjectList, RemovingTheNewestMovesACursorThatWasOnIt) {
    ObjectList list = make_list(3);
    list.seek(2);
    EXPECT_TRUE(list.remove_newest());
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.cursor, list.newest);
    EXPECT_EQ(list.current()->x, 1.0f);
    EXPECT_EQ(list.newest->newer, nullptr);

    list.seek(0);
    EXPECT_TRUE(list.remove_newest());
    EXPECT_EQ(list.cursor, list.oldest); // untouched: it was not on the removed node
    EXPECT_EQ(list.oldest, list.newest);
    list.remove_all();
}

TEST(ObjectList, OneNodeListEmptiesCompletely) {
    ObjectList list = make_list(1);
    list.seek(0);
    EXPECT_EQ(list.current()->x, 0.0f);
    EXPECT_FALSE(list.step_newer());
    EXPECT_TRUE(list.remove_newest());
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.oldest, nullptr);
    EXPECT_EQ(list.newest, nullptr);
    EXPECT_EQ(list.cursor, nullptr);
}

TEST(ObjectList, EmptyListRefusesRemovalAndHasNoCurrentItem) {
    ObjectList list = make_list(0);
    EXPECT_FALSE(list.remove_newest());
    EXPECT_EQ(list.count, 0);
    EXPECT_FALSE(list.seek(2));
    EXPECT_FALSE(list.step_newer());
    EXPECT_EQ(list.current(), nullptr);
    list.remove_all();
    EXPECT_EQ(list.count, 0);
}

TEST(ObjectList, RemoveAllOfThreeClearsEverything) {
    ObjectList list = make_list(3);
    list.seek(1);
    list.remove_all();
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.oldest, nullptr);
    EXPECT_EQ(list.newest, nullptr);
    EXPECT_EQ(list.cursor, nullptr);
    // The emptied list is usable again.
    list.push_newest(new Vector3(7.0f, 0.0f, 0.0f));
    list.seek(0);
    EXPECT_EQ(list.current()->x, 7.0f);
    list.remove_all();
}

TEST(HermiteSegment, EndsTangentsAndStraightLineData) {
    HermiteSegment s;
    s.set(Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(1, 0, 0), Vector3(1, 0, 0));
    EXPECT_EQ(s.evaluate(0.5f).x, 0.5f);
    EXPECT_EQ(s.evaluate(0.25f).x, 0.25f);

    s.set(Vector3(1, 2, 3), Vector3(5, -1, 2), Vector3(-3, 4, 0), Vector3(-2, 7, 1));
    const Vector3 a = s.evaluate(0.0f);
    const Vector3 b = s.evaluate(1.0f);
    EXPECT_EQ(a.x, 1.0f);
    EXPECT_EQ(a.y, 2.0f);
    EXPECT_EQ(a.z, 3.0f);
    EXPECT_EQ(b.x, -2.0f);
    EXPECT_EQ(b.y, 7.0f);
    EXPECT_EQ(b.z, 1.0f);

    // The end derivatives are the tangents.
    const float h = 1e-3f;
    const Vector3 d0 = difference(s.evaluate(h), s.evaluate(0.0f));
    const Vector3 d1 = difference(s.evaluate(1.0f), s.evaluate(1.0f - h));
    EXPECT_NEAR(d0.x / h, 5.0f, 0.02f);
    EXPECT_NEAR(d0.y / h, -1.0f, 0.02f);
    EXPECT_NEAR(d1.x / h, -3.0f, 0.02f);
    EXPECT_NEAR(d1.y / h, 4.0f, 0.02f);
}

TEST(HermiteSegment, CubeIsRoundedOnceFromT) {
    // At t = 0.254 the cube rounded from the exact value and the one built on the rounded
    // square differ by one ulp, and so do both end weights.
    HermiteSegment s;
    s.set(Vector3(0, 0, 0), Vector3(0, 0, 0), Vector3(0, 1, 0), Vector3(1, 0, 0));
    const Vector3 p = s.evaluate(0.254f);
    EXPECT_EQ(p.x, 0.160773858f);   // 3t² − 2t³
    EXPECT_EQ(p.y, -0.0481289327f); // t³ − t²
    EXPECT_EQ(p.z, 0.0f);
}
