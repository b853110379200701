// Scene 8, butterflies over the greetings floor: its module state and the figures of its
// frame, visible so that tests can check what the music and the C library's sequence did.
#pragma once

#include "math/grid_mesh.h"
#include "math/vector3.h"
#include "runtime/sync_trigger.h"

constexpr int scene8_curve_size = 2000;      // points of the butterfly outline
constexpr int scene8_spark_set_size = 1000;  // entries re-drawn at each spark trigger
constexpr int scene8_spark_draw_count = 500; // entries drawn: the first of the set

extern Vector3* scene8_curve; // x-z outline; y is scratch, rewritten by every butterfly
extern GridMesh* scene8_floor;
extern int* scene8_spark_vertex;          // floor vertex indices 0 … 2499
extern unsigned char* scene8_spark_flags; // bits 2, 4, 8, 16 pick the four directions
extern SyncTriggerTable* scene8_spark_triggers;
extern SyncTriggerTable* scene8_camera_triggers;
extern int scene8_spark_count;  // spark firings so far; never reset
extern int scene8_camera_count; // camera firings so far; never reset

// The grid without diagonals: two lines (four points) per even triangle of the mesh, moved by
// shift. Writes triangle_count * 2 points to out and returns that number.
int scene8_floor_lines(const GridMesh& mesh, const Vector3& shift, Vector3* out);

// Where butterfly place j is at progress p (j in 0 … 14).
Vector3 scene8_butterfly_place(int j, float p);

// The camera at progress p with the current viewpoint offset.
Vector3 scene8_eye(float p);
Vector3 scene8_centre(float p);
