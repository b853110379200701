// Scene 3's module state (twenty twisted ribbons of sticks), visible to its tests.
#pragma once

#include "math/animated_stick.h"
#include "math/vector3.h"
#include "runtime/sync_trigger.h"

constexpr int scene3_ribbon_count = 20;
constexpr int scene3_stick_count = 700; // sticks per ribbon, in path order
constexpr int scene3_flash_count = 50;

extern AnimatedStick** scene3_sticks; // [ribbon][stick]
extern Vector3* scene3_flash_positions;
extern Vector3* scene3_flash_axes;
extern SyncTriggerTable scene3_triggers;
extern float scene3_spin_angle; // degrees; kept for the whole run, one -34 step per beat frame

// How far ahead of the others ribbon k grows (sticks at progress 0; negative: still hidden).
int scene3_lead(int k);
// Number of sticks ribbon k shows at a progress.
int scene3_visible_sticks(int k, float progress);
