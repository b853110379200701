#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene8_init() {}
void scene8_draw(float) {}
void scene8_free() {}
