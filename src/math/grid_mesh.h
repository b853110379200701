// GridMesh: an indexed triangle grid on a flat square sheet whose triangles wrap around in
// both directions.
#pragma once

#include "math/vector3.h"

struct GridVertex {
    Vector3 position;
    Vector3 unused_a; // zeroed by the builder, read by nothing
    Vector3 unused_b;
};

struct GridTriangle {
    int a = 0;
    int b = 0;
    int c = 0;
    Vector3 normal; // zeroed, not computed
};

struct GridMesh {
    int vertex_count = 0;
    int triangle_count = 0;
    GridVertex* vertices = nullptr;
    GridTriangle* triangles = nullptr;
};

void grid_mesh_init(GridMesh& mesh);
void grid_mesh_build(GridMesh& mesh, float scale, int columns, int rows, const Vector3& angles);
void grid_mesh_release(GridMesh& mesh);
