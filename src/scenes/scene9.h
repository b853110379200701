// Scene 9's records and module state: a web of fibres between nodes, a swaying hair carpet
// and a swarm of sticks streaming along three paths (exposed for the tests).
#pragma once

#include "math/vector3.h"
#include "render/spline_path.h"
#include "runtime/sync_trigger.h"

struct FibreNode {
    Vector3 position;
    int link_count = 0;          // fibres ending at this node
    int* link_lengths = nullptr; // owned: point count of each fibre
    Vector3** links = nullptr;   // owned: each fibre's owned point array, target node first
};

struct SwarmStick {
    Vector3 angles_from; // rotation angles at the start of each cycle
    Vector3 angles_to;   // rotation angles at the end of each cycle
    float length = 0.0f;
    float polar_phase = 0.0f;
    float azimuth_phase = 0.0f;
    float polar_rate = 0.0f; // radians per unit of progress
    float azimuth_rate = 0.0f;
    float radius_phase = 0.0f;
    float radius_rate = 0.0f;
    Vector3 tip_a;  // per frame: one end, relative to the stick centre
    Vector3 tip_b;  // per frame: the other end
    Vector3 offset; // per frame: wobble of the centre about its path point
    float cycle_phase = 0.0f;
    float alpha = 0.0f; // per frame
    float cycle = 0.0f; // per frame: position along the paths, 0..1
};

constexpr int scene9_stick_count = 1500;
constexpr int scene9_carpet_side = 70;
constexpr int scene9_fibre_points = 20;

extern int scene9_node_count;
extern FibreNode* scene9_nodes;
extern SwarmStick* scene9_swarm;
extern SplinePath* scene9_path_a;
extern SplinePath* scene9_path_b;
extern SplinePath* scene9_path_c;
extern SyncTriggerTable* scene9_triggers;

// The node a link runs to, from one draw in [0, 1]; a draw of exactly 1 stays on the last node.
int scene9_link_target(float draw);
