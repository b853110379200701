// The soundtrack rendered exactly as the demo plays it (the player's own decoding: 48000 Hz
// stereo float, once through, in the player's reads) with the player's row timeline, and where
// the song's sections fall in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A row change as the player records it: from `frame` on the module is at (order, row). The
// player learns of a row at the end of the read that reaches it, so `frame` is up to one read
// (256 frames, 5.3 ms) after the row really starts. speed (ticks per row) and bpm are the
// module's as that read ended.
struct SongRow {
    int64_t frame;
    int order;
    int row;
    int speed;
    int bpm;
};

struct SongAudio {
    int rate = 0;
    std::vector<float> samples; // interleaved left, right
    int64_t frames = 0;
    std::vector<SongRow> rows;
};

// Renders the module at path through the player. False (and why) when it cannot be read.
bool render_song(const std::string& path, SongAudio* song, std::string* error);

// One of the composer's sections located in the rendered song: frames [start, end).
struct SectionSpan {
    int first_order;
    int order_count;
    int64_t start_frame;
    int64_t end_frame;
};

// Every section of the song, in order. A section whose orders the song never reaches is empty
// (start == end at the point where it would begin). The last one ends with the sound.
std::vector<SectionSpan> song_section_spans(const SongAudio& song);
// Index of the section holding the order, or -1.
int song_section_of_order(int order);

// Seconds of a frame count at the song's rate.
inline double song_seconds(const SongAudio& song, int64_t frame) {
    return (double)frame / song.rate;
}
