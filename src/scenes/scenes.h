// The ten timed scenes: each an init, a draw of its window progress (0..1) and a free.
#pragma once

void scene1_init();
void scene1_draw(float progress);
void scene1_free();
void scene2_init();
void scene2_draw(float progress);
void scene2_free();
void scene3_init();
void scene3_draw(float progress);
void scene3_free();
void scene4_init();
void scene4_draw(float progress);
void scene4_free();
void scene5_init();
void scene5_draw(float progress);
void scene5_free();
void scene6_init();
void scene6_draw(float progress);
void scene6_free();
void scene7_init();
void scene7_draw(float progress);
void scene7_free();
void scene8_init();
void scene8_draw(float progress);
void scene8_free();
void scene9_init();
void scene9_draw(float progress);
void scene9_free();
void scene10_init();
void scene10_draw(float progress);
void scene10_free();
