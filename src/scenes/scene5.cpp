#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene5_init() {}
void scene5_draw(float) {}
void scene5_free() {}
