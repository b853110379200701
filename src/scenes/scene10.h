// Scene 10's records and module state: a field of hidden-line towers, spoke ribbons on the
// ground and a rising swarm of tiles (exposed for the tests).
#pragma once

#include "elements/stream_tile.h"
#include "math/vector3.h"
#include "render/spline_path.h"

struct TowerBox {
    Vector3 base; // centre of the foot, on the ground plane y = 0
    Vector3 colour;
    float height = 0.0f;
    float half_size = 0.0f;
    float grow_start = 0.0f; // progress at which the white trace starts
    float grow_end = 0.0f;
};

struct SpokeRibbon {
    int rung_count = 0;
    Vector3* rung_a = nullptr; // owned
    Vector3* rung_b = nullptr; // owned
    float* weight_a = nullptr; // owned: opacity weight at rung_a
    float* weight_b = nullptr; // owned: the same values at rung_b
    Vector3 colour;
    float sweep_start = 0.0f; // progress at which the white trace starts
    float sweep_end = 0.0f;   // progress at which it reaches the inner end
};

// How far a spoke's white trace has run: rungs 0 .. count - 1 are traced, the newest of them
// (count - 1) at strength last_k, the others at 1.2.
struct SpokeTrace {
    int count;
    float last_k;
};

constexpr int scene10_tower_count = 150;
constexpr int scene10_spoke_count = 15;
constexpr int scene10_tile_count = 500;

extern SplinePath* scene10_eye_path;
extern SplinePath* scene10_target_path;
extern TowerBox* scene10_towers;
extern SpokeRibbon** scene10_spokes;
extern StreamTile* scene10_tiles;

void build_spoke_ribbon(SpokeRibbon& ribbon, const Vector3& outer, const Vector3& inner);
SpokeTrace spoke_trace(float sweep, int rung_count);
// Swarm member j: its colour, and whether a small diagram stands in for its tile.
Vector3 scene10_tile_colour(int j);
bool scene10_tile_is_diagram(int j);
