#include "scenes/scenes.h"

// Placeholder until the scene lands.
void scene2_init() {}
void scene2_draw(float) {}
void scene2_free() {}
