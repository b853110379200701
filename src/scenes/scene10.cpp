#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene10_init() {}
void scene10_draw(float) {}
void scene10_free() {}
