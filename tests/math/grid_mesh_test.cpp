#include <gtest/gtest.h>

#include "math/grid_mesh.h"

TEST(GridMesh, TwoByTwoSheetIsExactlyAsLaidOut) {
    GridMesh mesh;
    grid_mesh_init(mesh);
    grid_mesh_build(mesh, 1.0f, 2, 2, Vector3());
    ASSERT_EQ(mesh.vertex_count, 4);
    ASSERT_EQ(mesh.triangle_count, 8);
    const float positions[4][3] = {{-0.5f, 0, -0.5f}, {0, 0, -0.5f}, {-0.5f, 0, 0}, {0, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(mesh.vertices[i].position.x, positions[i][0]) << i;
        EXPECT_EQ(mesh.vertices[i].position.y, positions[i][1]) << i;
        EXPECT_EQ(mesh.vertices[i].position.z, positions[i][2]) << i;
    }
    const int triangles[8][3] = {{0, 1, 3}, {0, 3, 2}, {1, 0, 2}, {1, 2, 3},
                                 {2, 3, 1}, {2, 1, 0}, {3, 2, 0}, {3, 0, 1}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(mesh.triangles[i].a, triangles[i][0]) << i;
        EXPECT_EQ(mesh.triangles[i].b, triangles[i][1]) << i;
        EXPECT_EQ(mesh.triangles[i].c, triangles[i][2]) << i;
    }
    grid_mesh_release(mesh);
    EXPECT_EQ(mesh.vertex_count, 0);
    EXPECT_EQ(mesh.triangle_count, 0);
    EXPECT_EQ(mesh.vertices, nullptr);
    EXPECT_EQ(mesh.triangles, nullptr);
}

TEST(GridMesh, FiftyByFiftyIndicesStayInRange) {
    GridMesh mesh;
    grid_mesh_init(mesh);
    grid_mesh_build(mesh, 40.0f, 50, 50, Vector3(0.1f, 0.2f, 0.3f));
    ASSERT_EQ(mesh.vertex_count, 2500);
    ASSERT_EQ(mesh.triangle_count, 5000);
    int highest = -1;
    for (int i = 0; i < mesh.triangle_count; ++i) {
        for (int k : {mesh.triangles[i].a, mesh.triangles[i].b, mesh.triangles[i].c}) {
            ASSERT_GE(k, 0) << i;
            ASSERT_LT(k, mesh.vertex_count) << i;
            highest = k > highest ? k : highest;
        }
    }
    EXPECT_EQ(highest, 2499);
    grid_mesh_release(mesh);
}

TEST(GridMesh, EmptyAndRebuiltSheets) {
    GridMesh mesh;
    grid_mesh_init(mesh);
    grid_mesh_build(mesh, 1.0f, 0, 5, Vector3());
    EXPECT_EQ(mesh.vertex_count, 0);
    EXPECT_EQ(mesh.triangle_count, 0);
    grid_mesh_build(mesh, 1.0f, -3, -3, Vector3());
    EXPECT_EQ(mesh.vertex_count, 0);
    EXPECT_EQ(mesh.vertices, nullptr);

    grid_mesh_build(mesh, 2.0f, 3, 4, Vector3());
    grid_mesh_build(mesh, 2.0f, 4, 3, Vector3());
    EXPECT_EQ(mesh.vertex_count, 12);
    // Last column of row 0 is c = 3: u = 3/4 - 0.5, sheet stops short of +scale/2.
    EXPECT_EQ(mesh.vertices[3].position.x, 0.5f);
    EXPECT_EQ(mesh.vertices[11].position.z, 2.0f * (2.0f / 3.0f - 0.5f));
    grid_mesh_release(mesh);
    grid_mesh_release(mesh);
}
