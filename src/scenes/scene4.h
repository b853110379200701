// Scene 4, the five-armed spiral of motes with two spark jets and a helix of panels: its
// module state and the pure parts of its frame (camera, mote placement), open to the tests.
#pragma once

#include "math/vector3.h"
#include "render/spline_path.h"
#include "runtime/sync_trigger.h"

struct Scene4Mote {
    float arm_angle;    // arm base angle plus random spread (radians)
    float outer_radius; // where the inward trip starts, 4 … 5
    float inner_radius; // where it ends, 0.05 … 0.2
    float phase;        // offset along the trip, 0 … 1
};

constexpr int scene4_mote_count = 10000;
constexpr int scene4_path_points = 200;
constexpr int scene4_jet_points = 2500;
constexpr int scene4_viewpoint_count = 7;

extern Scene4Mote* scene4_motes;
extern SplinePath scene4_path;
extern SyncTriggerTable scene4_triggers;
extern int scene4_camera_index; // trigger frames seen so far, for the whole run

extern const Vector3 scene4_viewpoints[scene4_viewpoint_count];

// Eye and look-at centre for a viewpoint index at progress p, pull-back included.
void scene4_camera(int camera_index, float p, Vector3& eye, Vector3& centre);
// Position on its arm and trip parameter of mote i at the given spin (0.6 × progress).
Vector3 scene4_mote_position(int i, float spin, float& t_out);
