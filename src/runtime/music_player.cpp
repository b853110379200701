#include "runtime/music_player.h"

// Placeholder until the player lands: no module, position never matches a trigger.
MusicPlayer music_player;

bool MusicPlayer::open(const char*, bool) {
    return true;
}
void MusicPlayer::play() {}
void MusicPlayer::close() {}
int MusicPlayer::current_order() {
    return -1;
}
int MusicPlayer::current_row() {
    return -1;
}
