// Scene 7, the twisted funnel with rising threads: the figures of its frame that tests check
// without drawing.
#pragma once

#include "math/vector3.h"

constexpr int scene7_band_count = 16;
constexpr int scene7_band_samples_max = 100;
constexpr int scene7_thread_count = 9;
constexpr int scene7_thread_points_max = 50;

// The funnel, built by scene7_init: per band and sample the strip's two vertices and the edge
// point above the first, and per sample the opacity weight (0 at the top, near 1 at the bottom).
extern Vector3 scene7_band_left[scene7_band_count][scene7_band_samples_max];
extern Vector3 scene7_band_right[scene7_band_count][scene7_band_samples_max];
extern Vector3 scene7_band_edge[scene7_band_count][scene7_band_samples_max];
extern float scene7_band_weight[scene7_band_samples_max];

// Samples per funnel band and points per thread at a given progress (both grow in at the start).
int scene7_band_samples(float progress);
int scene7_thread_points(float progress);

// The camera: where the eye is and where it looks at a given progress (needs scene7_init).
Vector3 scene7_eye(float progress);
Vector3 scene7_target(float progress);

// Point i of thread k at a given progress (i < scene7_thread_points_max).
Vector3 scene7_thread_point(int k, int i, float progress);
