// Scene 5, the swaying field of strokes with small diagrams rising in spirals: its module
// state and the pure parts of its frame (camera, sway, floater life), open to the tests.
#pragma once

#include "math/vector3.h"
#include "runtime/sync_trigger.h"

struct FloatingDiagram {
    float start;      // progress at which the life begins
    float end;        // progress at which it ends
    Vector3 ground;   // where the climb starts, on y = 0
    Vector3 sky;      // where it ends, straight above
    Vector3 axis;     // tumbling axis, components in [-1, 1], not normalised
    float spin_a;     // degrees, weighted by the life fraction
    float spin_b;     // degrees, weighted by one minus the life fraction
    float swirl_from; // spiral angle at the start of life (radians)
    float swirl_to;
    float radius_from; // spiral radius at the start of life
    float radius_to;
};

constexpr int scene5_grid_side = 60;
constexpr int scene5_stroke_count = scene5_grid_side * scene5_grid_side;
constexpr int scene5_floater_count = 700;

extern Vector3* scene5_grid;  // stroke feet, index row × 60 + column
extern float* scene5_heights; // sway angle of each stroke, rewritten every frame
extern FloatingDiagram* scene5_floaters;
extern SyncTriggerTable scene5_triggers;

void scene5_update_heights(float a, float amp);

// The orbiting camera for progress p and trigger pulse.
void scene5_camera(float p, float pulse, Vector3& eye, Vector3& centre, Vector3& up);
// Life fraction of floater j at progress p; it is drawn only within [0.001, 0.999].
float scene5_floater_life(int j, float p);
bool scene5_floater_shown(float life);
// Which line diagram (1, 3 or 4) floater j carries.
int scene5_floater_diagram(int j);
