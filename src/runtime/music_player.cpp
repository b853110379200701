#include "runtime/music_player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <libopenmpt/libopenmpt.hpp>

#include "runtime/clock.h"
#include "runtime/failure_message.h"
#include "runtime/music_file.h"

MusicPlayer music_player;

static int music_forced_order = -1;
static int music_forced_row = -1;

void music_force_position(int order, int row) {
    music_forced_order = order;
    music_forced_row = order < 0 ? -1 : row;
}

bool music_position_forced() {
    return music_forced_order >= 0;
}

static void music_say(const char* message) {
    failure_say(stdout, "%s", message);
}

bool MusicPlayer::open(const char* path, bool with_device) {
    close();
    if (with_device) {
        if (SDL_Init(SDL_INIT_AUDIO) < 0) {
            music_say("SDL_INIT_AUDIO fail");
            return false;
        }
        audio_initialised = true;
        spec = SDL_AudioSpec{};
        spec.freq = music_rate;
        spec.format = AUDIO_F32LSB;
        spec.channels = 2;
        spec.samples = music_block_frames;
        device = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
        if (device == 0) {
            music_say("SDL device not found ");
            close();
            return false;
        }
        // A sample handed over now is heard about one device buffer later.
        latency_seconds = (double)spec.samples / spec.freq;
    }
    // Judged before it is read: a FIFO or a device at the path cannot wedge start-up, a huge
    // file cannot swell it, and a truncated song is not played short in silence.
    std::vector<char> song;
    std::string why;
    MusicFile found = music_file_read(path, &song, &why);
    if (found == MusicFile::missing) {
        music_say("couldn't find music.xm");
        close();
        return false;
    }
    if (found != MusicFile::ok) {
        failure_say(stdout, "couldn't load music.xm: %s", music_file_refusal(found, why).c_str());
        close();
        return false;
    }
    try {
        module = new openmpt::module(song, std::clog, {});
    } catch (const std::exception& e) {
        failure_say(stdout, "couldn't load music.xm: %s", e.what());
        close();
        return false;
    } catch (...) {
        music_say("couldn't load music.xm: unknown error");
        close();
        return false;
    }
    return true;
}

void MusicPlayer::queue_block() {
    if (device != 0 && block_fill > 0)
        SDL_QueueAudio(device, block, (Uint32)block_fill * 2 * sizeof(float));
    block_fill = 0;
}

bool MusicPlayer::decode_step() {
    if (module == nullptr || decode_finished)
        return false;
    if (block_fill + music_read_frames > music_block_frames)
        queue_block();
    size_t n = module->read_interleaved_stereo(music_rate, music_read_frames,
                                               block + (size_t)block_fill * 2);
    if (n == 0) {
        queue_block();
        decode_finished = true;
        return false;
    }
    int64_t last_frame = decoded_frames + (int64_t)n - 1;
    decoded_frames += (int64_t)n;
    block_fill += (int)n;
    if (song_ended)
        return true;

    // The module reports the row that holds the last frame of the read: the new row is
    // certainly audible from that frame on.
    int order = module->get_current_order();
    int row = module->get_current_row();
    if (order < 0 || order > 255 || row < 0 || row > 255)
        return true;
    bool seen = visited[(size_t)order * 256 + row];
    if (timeline.empty()) {
        timeline.push_back({0, order, row});
    } else if (order != timeline.back().order || row != timeline.back().row) {
        // Back to a row already played in another order: the song has ended and the module
        // now shows its restart position while it renders the last fraction of a second.
        if (seen && order != timeline.back().order) {
            song_ended = true;
            return true;
        }
        timeline.push_back({last_frame, order, row});
    }
    visited[(size_t)order * 256 + row] = true;
    return true;
}

void MusicPlayer::play() {
    if (module == nullptr)
        return;
    module->set_position_seconds(0.0);
    module->set_repeat_count(0);
    timeline.clear();
    timeline.reserve(8192);
    visited.assign(256 * 256, false);
    decoded_frames = 0;
    decode_finished = false;
    song_ended = false;
    delete[] block;
    block = new float[(size_t)music_block_frames * 2];
    block_fill = 0;
    if (device != 0) {
        // The first seconds (or, unstreamed, the whole song) go into the queue before the
        // clock starts, so sound and picture start together.
        int64_t prefill = (int64_t)(music_prefill_seconds * music_rate);
        while ((!stream || decoded_frames < prefill) && decode_step()) {
        }
        queue_block();
        SDL_PauseAudioDevice(device, 0);
    }
    playing = true;
}

void MusicPlayer::pump() {
    if (!playing || device == 0 || decode_finished)
        return;
    double queued = (double)SDL_GetQueuedAudioSize(device) / (2 * sizeof(float) * music_rate);
    int64_t wanted = (int64_t)((music_ahead_seconds - queued) * music_rate);
    int64_t stop = decoded_frames + wanted;
    while (decoded_frames < stop && decode_step()) {
    }
    queue_block();
}

void MusicPlayer::close() {
    delete module;
    module = nullptr;
    if (device != 0)
        SDL_CloseAudioDevice(device);
    device = 0;
    if (audio_initialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio_initialised = false;
    delete[] block;
    block = nullptr;
    block_fill = 0;
    timeline.clear();
    visited.clear();
    decoded_frames = 0;
    decode_finished = false;
    song_ended = false;
    playing = false;
    latency_seconds = 0;
}

double MusicPlayer::playback_seconds() const {
    if (!playing)
        return -1.0;
    return (double)demo_clock.seconds - latency_seconds;
}

int MusicPlayer::timeline_index_at(double seconds) {
    if (music_position_forced() || seconds < 0.0)
        return -1;
    int64_t frame = (int64_t)std::floor(seconds * music_rate);
    // Without a device nothing is decoded ahead: decode as far as this moment needs.
    while (playing && !decode_finished && decoded_frames <= frame)
        if (!decode_step())
            break;
    if (timeline.empty())
        return -1;
    auto later =
        std::upper_bound(timeline.begin(), timeline.end(), frame,
                         [](int64_t f, const MusicRowMark& mark) { return f < mark.frame; });
    return (int)(later - timeline.begin()) - 1;
}

int MusicPlayer::current_order() {
    if (music_position_forced())
        return music_forced_order;
    int index = audible_index();
    return index < 0 ? -1 : timeline[index].order;
}

int MusicPlayer::current_row() {
    if (music_position_forced())
        return music_forced_row;
    int index = audible_index();
    return index < 0 ? -1 : timeline[index].row;
}
