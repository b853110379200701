#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene3_init() {}
void scene3_draw(float) {}
void scene3_free() {}
