#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene1_init() {}
void scene1_draw(float) {}
void scene1_free() {}
