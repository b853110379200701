#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene6_init() {}
void scene6_draw(float) {}
void scene6_free() {}
