// The demo's palette and the four flat segment figures the line diagrams are built from.
#pragma once

#include "math/vector3.h"

extern Vector3 clear_colour; // zero until start-up copies background_colour into it
extern const Vector3 background_colour;
extern const Vector3 orange_colour;
extern const Vector3 navy_colour;
extern const Vector3 red_colour;
extern const Vector3 purple_colour;

// Consecutive points pair up into segments: points 2k and 2k + 1 form one line.
extern const int figure_1_size;
extern const Vector3 figure_1[48];
extern const int figure_2_size;
extern const Vector3 figure_2[54];
extern const int figure_3_size;
extern const Vector3 figure_3[68];
extern const int figure_4_size;
extern const Vector3 figure_4[36];
