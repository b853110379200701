// The soundtrack itself: its sections, tempo map and every pattern, laid out so that each
// scene's trigger positions fall on accents while that scene is on screen.
#pragma once

#include "xm_writer.h"

// One stretch of orders at one tempo, with the musical idea that fills it.
enum SectionStyle {
    style_intro,  // pads and bells open, the theme in a minor-plagal harmony
    style_build,  // the drums and the bass come in under the main theme as first heard
    style_drive,  // fast; the groove built from the scene's accents, the theme lifted
    style_stomp,  // heavy stomps on the accents, darker chords, the riff
    style_break,  // half time and thin, three hits into the next drop
    style_groove, // rolling breakbeat led by the arpeggio
    style_rise,   // the second theme over a lifted progression
    style_float,  // no drums: pads and bells
    style_return, // the drums come back, with a snare roll
    style_theme,  // the main theme at full strength in a new harmony
    style_finale, // the themes once more, then a short final chord that ends before the picture
};

struct SongSection {
    int first_order;
    int order_count;
    int speed; // ticks per row
    int bpm;
    SectionStyle style;
};

constexpr int song_order_count = 72;
constexpr int song_channels = 26;
constexpr int song_section_count = 11;
extern const SongSection song_sections[song_section_count];

XmModule compose_song();
