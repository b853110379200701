// Music playback: the XM soundtrack decoded by libopenmpt and played through SDL's audio queue,
// and the pattern order / row that is audible now, for the trigger tables.
#pragma once

#include <SDL.h>

namespace openmpt {
class module;
}

constexpr const char* music_default_path = "/usr/share/oske-by-quorvent/music.xm";

struct MusicPlayer {
    openmpt::module* module = nullptr; // owned; null until loaded and after close()
    SDL_AudioSpec spec{};
    SDL_AudioDeviceID device = 0;

    // with_device false: decode for positions only (offline capture), no audio device.
    bool open(const char* path = music_default_path, bool with_device = true);
    void play();
    void close();
    int current_order();
    int current_row();
};

extern MusicPlayer music_player;

// For tests: while forced, current_order() and current_row() report this position instead of
// the song's. A negative order ends the override.
void music_force_position(int order, int row);
