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
        // A seek lands in the middle of notes: let them sound as they would have.
        module->ctl_set_boolean("seek.sync_samples", true);
        song_seconds = module->get_duration_seconds();
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
    if (device != 0 && block_fill > 0) {
        SDL_QueueAudio(device, block, (Uint32)block_fill * 2 * sizeof(float));
        segment_queued_frames += block_fill;
    }
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
    // Past its length the song only fades out, and the module shows its restart position.
    if ((double)last_frame >= song_seconds * music_rate)
        song_ended = true;
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

void MusicPlayer::seek(double seconds) {
    int64_t target = std::max<int64_t>(0, std::llround(seconds * music_rate));
    block_fill = 0;
    decoded_frames = target;
    // The marks up to the target still describe the song; later ones are recorded again.
    auto later =
        std::upper_bound(timeline.begin(), timeline.end(), target,
                         [](int64_t f, const MusicRowMark& mark) { return f < mark.frame; });
    if (later != timeline.begin() && (later - 1)->frame == target)
        --later;
    timeline.erase(later, timeline.end());
    visited.assign(256 * 256, false);
    for (const MusicRowMark& mark : timeline)
        visited[(size_t)mark.order * 256 + mark.row] = true;
    song_ended = false;
    decode_finished = false;
    if ((double)target / music_rate >= song_seconds) {
        decode_finished = true;
        song_ended = true;
        return;
    }
    // libopenmpt seeks to the start of the row at or after the time asked for, and sets up
    // the notes sounding there only roughly (a held chord can come out different): seek a
    // little earlier, to a row start, and render the rest of the way as the song would.
    double lead = std::max(0.0, (double)target / music_rate - music_seek_lead_seconds);
    double at = module->set_position_seconds(lead);
    for (double back = 0.05; at > lead && back < 5.0; back += 0.05)
        at = module->set_position_seconds(std::max(0.0, lead - back));
    int64_t skip = target - std::max<int64_t>(0, std::llround(at * music_rate));
    while (skip > 0) {
        size_t n = module->read_interleaved_stereo(
            music_rate, (size_t)std::min<int64_t>(skip, music_block_frames), block);
        if (n == 0) {
            decode_finished = true;
            song_ended = true;
            return;
        }
        skip -= (int64_t)n;
    }
    int order = module->get_current_order();
    int row = module->get_current_row();
    if (order < 0 || order > 255 || row < 0 || row > 255)
        return;
    if (timeline.empty() || timeline.back().order != order || timeline.back().row != row)
        timeline.push_back({target, order, row});
    visited[(size_t)order * 256 + row] = true;
}

void MusicPlayer::play(double from_seconds) {
    if (module == nullptr)
        return;
    module->set_repeat_count(0);
    timeline.clear();
    timeline.reserve(8192);
    delete[] block;
    block = new float[(size_t)music_block_frames * 2];
    seek(from_seconds);
    segment_song_frame = decoded_frames;
    segment_queued_frames = 0;
    step_offset = 0;
    step_checked_at = from_seconds;
    step_settled = false;
    step_settle_at = from_seconds + music_step_settle_seconds;
    resyncs = 0;
    if (device != 0) {
        // The first seconds (or, unstreamed, the whole song) go into the queue before the
        // clock starts, so sound and picture start together.
        int64_t prefill = decoded_frames + (int64_t)(music_prefill_seconds * music_rate);
        while ((!stream || decoded_frames < prefill) && decode_step()) {
        }
        queue_block();
        SDL_PauseAudioDevice(device, 0);
        wait_for_device_start();
    }
    playing = true;
}

void MusicPlayer::wait_for_device_start() {
    Uint32 queued = SDL_GetQueuedAudioSize(device);
    if (queued == 0)
        return;
    Uint64 since = SDL_GetTicks64();
    while (SDL_GetQueuedAudioSize(device) >= queued &&
           SDL_GetTicks64() - since < music_start_wait_ms)
        SDL_Delay(1);
}

double MusicPlayer::taken_seconds(int64_t queued_frames) const {
    int64_t taken = std::max<int64_t>(0, segment_queued_frames - queued_frames);
    return (double)(segment_song_frame + taken) / music_rate;
}

void MusicPlayer::resync(double seconds) {
    ++resyncs;
    // Positioned and decoded while the device plays on from the old queue: near the song's
    // end a seek takes tens of milliseconds, which under the device's lock would be a gap.
    Uint64 began = SDL_GetTicks64();
    seek(seconds);
    // The clock went on meanwhile: the sound starts that much further on.
    int64_t late = (int64_t)(SDL_GetTicks64() - began) * music_rate / 1000;
    for (int64_t until = decoded_frames + late; decoded_frames < until && decode_step();)
        block_fill = 0;
    int64_t from = decoded_frames;
    while (block_fill + music_read_frames <= music_block_frames && decode_step()) {
    }
    // Swapped under the lock, so that the device never finds the queue empty in between and
    // plays silence the position count would not see.
    SDL_LockAudioDevice(device);
    SDL_ClearQueuedAudio(device);
    segment_song_frame = from;
    segment_queued_frames = 0;
    queue_block();
    SDL_UnlockAudioDevice(device);
    step_offset = 0;
    step_settled = false;
    step_settle_at = seconds + music_step_settle_seconds;
    // The rest now rather than after this frame: a slow frame would outlast one block.
    pump();
}

void MusicPlayer::follow_clock() {
    if (!playing || device == 0 || demo_clock.ticks != nullptr)
        return;
    double now = demo_clock.seconds;
    double elapsed = now - step_checked_at;
    step_checked_at = now;
    int64_t queued = (int64_t)(SDL_GetQueuedAudioSize(device) / (2 * sizeof(float)));
    // The song has been handed over to its end and played out: nothing left to bring back.
    if (decode_finished && queued == 0)
        return;
    // A device that has taken nothing since the queue was last started is stalled or still
    // starting: seeking again would not be heard. Once it takes again, the gap shows at once.
    if (queued >= segment_queued_frames)
        return;
    // The device takes a buffer at a time, so this reading is ahead of what is heard by
    // anything up to a buffer; over the frames it averages out to the true offset. A slow
    // frame's reading is one reading still: alone it never decides (a sound server filling
    // its own buffer takes several at once when the stream starts).
    double offset = taken_seconds(queued) - now;
    double weight = std::clamp(elapsed / music_step_smoothing_seconds, 0.0, 0.5);
    step_offset += (offset - step_offset) * weight;
    // Where the average settles depends on when the device happened to take its buffers after
    // the start or the last resync: anywhere within half a buffer either side of the clock. So
    // the drift is measured from there, not from zero.
    if (!step_settled && now >= step_settle_at) {
        step_baseline = step_offset;
        step_settled = true;
    }
    if (std::fabs(offset) > music_step_tolerance_seconds + latency_seconds ||
        (step_settled && std::fabs(step_offset - step_baseline) > music_step_tolerance_seconds))
        resync(now);
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
    song_seconds = 0;
    decode_finished = false;
    song_ended = false;
    playing = false;
    latency_seconds = 0;
    segment_song_frame = 0;
    segment_queued_frames = 0;
    step_offset = 0;
    step_checked_at = 0;
    step_baseline = 0;
    step_settled = false;
    step_settle_at = 0;
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
