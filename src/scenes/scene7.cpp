#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene7_init() {}
void scene7_draw(float) {}
void scene7_free() {}
