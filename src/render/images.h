// The five embedded pictures as GL textures, looked up by key and drawn as captions on a
// 640 x 480 virtual screen or as quads in the scene's own coordinates.
#pragma once

struct ImageSlot {
    unsigned int texture = 0; // GL texture name
    int width = 0;
    int height = 0;
};

constexpr int image_slot_capacity = 10;
extern ImageSlot image_slots[image_slot_capacity];
extern int image_count;

void load_image(const unsigned char* pixels, int width, int height);
void load_images();
int image_index(const char* key);
void draw_caption(float x, float y, const char* key);
void draw_image(const char* key);
void free_images();
