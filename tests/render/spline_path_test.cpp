#include <gtest/gtest.h>

#include "render/spline_path.h"

static SplinePath straight_path() {
    SplinePath path;
    path.init();
    path.add_point(Vector3(0, 0, 0));
    path.add_point(Vector3(1, 0, 0));
    path.add_point(Vector3(2, 0, 0));
    return path;
}

TEST(SplinePath, StraightPointsAtTheStatedParameters) {
    SplinePath path = straight_path();
    EXPECT_EQ(path.count, 3);
    EXPECT_EQ(path.evaluate(0.0f).x, 0.0f);
    EXPECT_EQ(path.evaluate(0.25f).x, 0.5f);
    EXPECT_EQ(path.evaluate(0.5f).x, 1.0f);
    EXPECT_EQ(path.evaluate(0.75f).x, 1.625f); // runs ahead, easing into the last point
    EXPECT_EQ(path.evaluate(1.0f).x, 2.0f);
    EXPECT_NEAR(path.evaluate(1.7f).x, 2.0f, 1e-6f);
    EXPECT_NEAR(path.evaluate(1e9f).x, 2.0f, 1e-6f);
    // Below 0 the first segment is used near its far end.
    EXPECT_NEAR(path.evaluate(-0.05f).x, 0.9f, 1e-6f);
    path.release();
    EXPECT_EQ(path.points, nullptr);
}

TEST(SplinePath, PassesThroughEveryControlPoint) {
    const Vector3 p[] = {{0, 0, 0}, {3, -1, 2}, {-2, 4, 1}, {5, 5, -5}, {1, 0, 7}};
    SplinePath path;
    path.init();
    for (const Vector3& v : p)
        path.add_point(v);
    for (int k = 0; k < 5; ++k) {
        const Vector3 r = path.evaluate((float)k / 4.0f);
        EXPECT_NEAR(r.x, p[k].x, 1e-6f) << k;
        EXPECT_NEAR(r.y, p[k].y, 1e-6f) << k;
        EXPECT_NEAR(r.z, p[k].z, 1e-6f) << k;
    }
    // Evaluation only moves the cursor; order of calls does not matter.
    const Vector3 a = path.evaluate(0.6f);
    path.evaluate(0.1f);
    const Vector3 b = path.evaluate(0.6f);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    path.release();
}

TEST(SplinePath, OnePointAndNoPoints) {
    SplinePath one;
    one.init();
    one.add_point(Vector3(4, -2, 9));
    for (float t : {-1.0f, 0.0f, 0.3f, 1.0f, 2.5f}) {
        const Vector3 r = one.evaluate(t);
        EXPECT_EQ(r.x, 4.0f) << t;
        EXPECT_EQ(r.y, -2.0f) << t;
        EXPECT_EQ(r.z, 9.0f) << t;
    }
    one.release();

    SplinePath none;
    none.init();
    const Vector3 r = none.evaluate(0.5f);
    EXPECT_EQ(r.x, 0.0f);
    EXPECT_EQ(r.y, 0.0f);
    EXPECT_EQ(r.z, 0.0f);
    none.release();
    EXPECT_EQ(none.evaluate(0.5f).x, 0.0f); // released paths answer the same way
}
