#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene9_init() {}
void scene9_draw(float) {}
void scene9_free() {}
