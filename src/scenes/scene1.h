// Scene 1's module state (the opening tile stream), visible to its tests.
#pragma once

#include "elements/stream_tile.h"

extern int scene1_tile_count; // 500 members in the band
extern StreamTile* scene1_tiles;

// Opacity of the whole scene at a progress: fades in sharply just before 2.35 s, out at the end.
float scene1_fade(float progress);
