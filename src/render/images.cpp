#include "render/images.h"

#include <cstring>

#include "data/pictures.h"
#include "render/gl.h"
#include "render/ortho.h"

ImageSlot image_slots[image_slot_capacity];
int image_count = 0;

void load_image(const unsigned char* pixels, int width, int height) {
    // The registry is fixed; a load beyond it would overwrite whatever follows.
    if (image_count >= image_slot_capacity)
        return;
    GLuint texture = 0;
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    image_slots[image_count] = {texture, width, height};
    image_count += 1;
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

void load_images() {
    load_image(picture_logotype, picture_logotype_width, picture_logotype_height);
    load_image(picture_title, picture_title_width, picture_title_height);
    load_image(picture_credit_1, picture_credit_1_width, picture_credit_1_height);
    load_image(picture_credit_2, picture_credit_2_width, picture_credit_2_height);
    load_image(picture_greetings, picture_greetings_width, picture_greetings_height);
}

int image_index(const char* key) {
    static const char* const keys[] = {"quorvent", "OSKE", "fluoxetine: brindlet",
                                       "fluvoxamine: kebb"};
    if (key)
        for (int i = 0; i < 4; ++i)
            if (strcmp(key, keys[i]) == 0)
                return i;
    return 4; // everything else is the greetings list
}

// The picture's own size in the current units, first stored row at the top.
static void image_quad(const ImageSlot& slot) {
    const float w = (float)slot.width, h = (float)slot.height;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, h);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, h);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, 0.0f);
    glEnd();
}

void draw_caption(float x, float y, const char* key) {
    glPushMatrix();
    const ImageSlot& slot = image_slots[image_index(key)];
    glEnable(GL_TEXTURE_2D);
    begin_ortho(640.0f, 480.0f);
    // x = 1.3 puts the left edge on the centre column; larger x moves the picture left.
    glTranslatef(320.0f - (x - 1.3f) * 320.0f, (y + 1.0f) * 240.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, slot.texture);
    image_quad(slot);
    end_ortho();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void draw_image(const char* key) {
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    const ImageSlot& slot = image_slots[image_index(key)];
    glBindTexture(GL_TEXTURE_2D, slot.texture);
    image_quad(slot);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

// The textures live as long as the GL context; nothing to release before it goes.
void free_images() {}
