// The soundtrack itself: its sections, tempo map and every pattern, laid out so that each
// scene's trigger positions fall on accents while that scene is on screen.
#pragma once

#include "xm_writer.h"

// One stretch of orders at one tempo, with the musical idea that fills it.
enum SectionStyle {
    style_intro,  // build-up over the first two scenes
    style_drive,  // fast breakbeat with the main theme
    style_stomp,  // four to the floor, darker chords
    style_break,  // half-time fill into the next drop
    style_groove, // rolling breakbeat led by the arpeggio
    style_rise,   // the second theme over a lifted progression
    style_float,  // no drums: pads and bells
    style_return, // the drums come back, with a snare roll
    style_theme,  // the main theme at full strength
    style_finale, // the last theme, thinning out to the final chord
};

struct SongSection {
    int first_order;
    int order_count;
    int speed; // ticks per row
    int bpm;
    SectionStyle style;
};

constexpr int song_order_count = 72;
constexpr int song_channels = 16;
constexpr int song_section_count = 10;
extern const SongSection song_sections[song_section_count];

XmModule compose_song();
