#include "math/grid_mesh.h"

#include "math/matrix3.h"

void grid_mesh_init(GridMesh& mesh) {
    mesh.vertex_count = 0;
    mesh.triangle_count = 0;
    mesh.vertices = nullptr;
    mesh.triangles = nullptr;
}

void grid_mesh_build(GridMesh& mesh, float scale, int columns, int rows, const Vector3& angles) {
    // Building twice would otherwise leak the first arrays.
    grid_mesh_release(mesh);
    // A negative count in both directions would multiply to a positive size.
    if (columns <= 0 || rows <= 0)
        return;
    mesh.vertex_count = columns * rows;
    mesh.triangle_count = 2 * mesh.vertex_count;
    mesh.vertices = new GridVertex[mesh.vertex_count];
    mesh.triangles = new GridTriangle[mesh.triangle_count];

    const Matrix3 m = make_rotation(angles.x, angles.y, angles.z);
    for (int r = 0; r < rows; ++r) {
        const float v = (float)r / (float)rows - 0.5f;
        for (int c = 0; c < columns; ++c) {
            const float u = (float)c / (float)columns - 0.5f;
            GridVertex& vertex = mesh.vertices[r * columns + c];
            vertex.position = transformed(scaled(Vector3(u, 0.0f, v), scale), m);
            vertex.unused_a = Vector3();
            vertex.unused_b = Vector3();
        }
    }

    // Row o - 1 joins row o, the last row wrapping to row 0 and the last column to column 0.
    GridTriangle* t = mesh.triangles;
    for (int o = 1; o <= rows; ++o) {
        const int ra = columns * ((o - 1) % rows);
        const int rb = columns * (o % rows);
        for (int c = 0; c < columns; ++c) {
            const int c1 = (c + 1) % columns;
            *t++ = {ra + c, ra + c1, rb + c1, Vector3()};
            *t++ = {ra + c, rb + c1, rb + c, Vector3()};
        }
    }
}

void grid_mesh_release(GridMesh& mesh) {
    delete[] mesh.vertices;
    delete[] mesh.triangles;
    mesh.vertices = nullptr;
    mesh.triangles = nullptr;
    mesh.vertex_count = 0;
    mesh.triangle_count = 0;
}
