// The five embedded pictures: 8-bit RGBA, top row first, colour black, the picture in alpha.
// Rasterised at build time by tools/pictures and linked into the program.
#pragma once

constexpr int picture_logotype_width = 116, picture_logotype_height = 36;
constexpr int picture_title_width = 61, picture_title_height = 22;
constexpr int picture_credit_1_width = 300, picture_credit_1_height = 36;
constexpr int picture_credit_2_width = 261, picture_credit_2_height = 36;
constexpr int picture_greetings_width = 417, picture_greetings_height = 1080;

extern "C" {
extern const unsigned char picture_logotype[picture_logotype_width * picture_logotype_height * 4];
extern const unsigned char picture_title[picture_title_width * picture_title_height * 4];
extern const unsigned char picture_credit_1[picture_credit_1_width * picture_credit_1_height * 4];
extern const unsigned char picture_credit_2[picture_credit_2_width * picture_credit_2_height * 4];
extern const unsigned char
    picture_greetings[picture_greetings_width * picture_greetings_height * 4];
}
