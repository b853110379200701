// Scene 6, random-walk ribbons growing from a centre between two rows of beat-flashed rungs:
// its module state and the pure parts of its frame, open to the tests.
#pragma once

#include "math/vector3.h"
#include "runtime/sync_trigger.h"

struct WalkStrand {
    int point_count = 0;       // 300 … 400
    Vector3* points = nullptr; // owned; the walk, relative to origin
    Vector3 origin;            // a random point on the unit sphere
    Vector3 fill_colour;
    Vector3 line_colour;
    float grow_start = 0.0f; // k / 20 for strand k
    float grow_end = 0.0f;   // grow_start + 0.2
};

constexpr int scene6_strand_count = 20;
constexpr int scene6_rung_count = 25;

extern WalkStrand* scene6_strands;
extern SyncTriggerTable scene6_triggers;
extern bool scene6_rung_thin;    // flipped on every trigger event
extern float scene6_spin_angle;  // degrees, +25 on every trigger event
extern Vector3 scene6_spin_axis; // re-sampled on every trigger event

// How far a strand has grown at this progress: false when it is not drawn at all, else the
// number of points shown and its brightness sin(π g).
bool scene6_strand_growth(const WalkStrand& strand, float progress, int& shown, float& bright);
void draw_strand(const WalkStrand& strand, float alpha, float progress);
