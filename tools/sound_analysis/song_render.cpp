#include "song_render.h"

#include <libopenmpt/libopenmpt.hpp>

#include "runtime/music_player.h"
#include "song.h"

bool render_song(const std::string& path, SongAudio* song, std::string* error) {
    *song = SongAudio{};
    song->rate = music_rate;
    // A player of our own, without a device: the same decoding steps as playback, but the PCM
    // of every read is kept here instead of going to the device's queue.
    MusicPlayer player;
    player.stream = false;
    if (!player.open(path.c_str(), false)) {
        *error = "cannot read the soundtrack '" + path + "'";
        return false;
    }
    player.play();
    song->samples.reserve((size_t)210 * music_rate * 2);
    size_t marks = 0;
    for (;;) {
        int64_t before = player.decoded_frames;
        if (!player.decode_step())
            break;
        int n = (int)(player.decoded_frames - before);
        // decode_step appends its read at the end of the pending block.
        const float* read = player.block + (size_t)(player.block_fill - n) * 2;
        song->samples.insert(song->samples.end(), read, read + (size_t)n * 2);
        for (; marks < player.timeline.size(); ++marks) {
            const MusicRowMark& mark = player.timeline[marks];
            song->rows.push_back({mark.frame, mark.order, mark.row,
                                  (int)player.module->get_current_speed(),
                                  (int)player.module->get_current_tempo()});
        }
    }
    song->frames = (int64_t)song->samples.size() / 2;
    player.close();
    return true;
}

int song_section_of_order(int order) {
    for (int s = 0; s < song_section_count; ++s)
        if (order >= song_sections[s].first_order &&
            order < song_sections[s].first_order + song_sections[s].order_count)
            return s;
    return -1;
}

std::vector<SectionSpan> song_section_spans(const SongAudio& song) {
    std::vector<SectionSpan> spans;
    for (int s = 0; s < song_section_count; ++s)
        spans.push_back({song_sections[s].first_order, song_sections[s].order_count, -1, -1});
    for (const SongRow& r : song.rows) {
        int s = song_section_of_order(r.order);
        if (s >= 0 && spans[s].start_frame < 0)
            spans[s].start_frame = r.frame;
    }
    // Each section runs until the next one that is heard begins; the last one to the end.
    int64_t next_start = song.frames;
    for (int s = song_section_count - 1; s >= 0; --s) {
        if (spans[s].start_frame < 0)
            spans[s].start_frame = next_start;
        spans[s].end_frame = next_start;
        next_start = spans[s].start_frame;
    }
    return spans;
}
