#include "math/grid_mesh.h"

// Placeholder until the mesh lands.
void grid_mesh_init(GridMesh& mesh) {
    mesh = GridMesh();
}
void grid_mesh_build(GridMesh&, float, int, int, const Vector3&) {}
void grid_mesh_release(GridMesh& mesh) {
    mesh = GridMesh();
}
