// Screen-space set-up (both matrix stacks to a 2D orthographic view and back) and the black
// gradient bands the main loop fades in at the bottom and the top of the screen.
#pragma once

void begin_ortho(float width, float height);
void end_ortho();
void shade_bottom(float height, float alpha);
void shade_top(float height, float alpha);
