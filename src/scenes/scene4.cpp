#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene4_init() {}
void scene4_draw(float) {}
void scene4_free() {}
