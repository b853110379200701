// Music playback: the XM soundtrack decoded by libopenmpt a few seconds ahead of the device and
// played through SDL's audio queue, kept in step with the demo clock, and the pattern order /
// row that is audible now, for the trigger tables (looked up in a timeline of row changes
// recorded while decoding).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/environment.h"

namespace openmpt {
class module;
}

constexpr int music_rate = 48000;
constexpr int music_block_frames = 4096; // frames handed to SDL per queue call
// Frames per libopenmpt read. The module reports its position once per read, so this is the
// resolution of the position timeline (about 5 ms); rows last 40 ms or more.
constexpr int music_read_frames = 256;
// Streaming start: this much of the song is queued before the clock starts, and pump() keeps
// the device's queue this full from then on (it never runs below two seconds at any frame
// rate above one per second).
constexpr double music_prefill_seconds = 2.5;
constexpr double music_ahead_seconds = 3.0;
// The sound is brought back to the clock when the two are further apart than this. What the
// device has taken is known a device buffer at a time: one reading is enough when it is off by
// a buffer more than that; smaller drifts count averaged over about a quarter second, measured
// from where the average settled this long after the start or the last resync.
constexpr double music_step_tolerance_seconds = 0.05;
constexpr double music_step_smoothing_seconds = 0.25;
constexpr double music_step_settle_seconds = 0.75;
// A seek renders this much of the song before its target, so that notes begun in it sound on.
constexpr double music_seek_lead_seconds = 2.0;
// How long play() waits for the device to take its first block. Sound servers may take a moment
// to start a stream (PulseAudio about a second on an idle sink, Bluetooth sinks longer); a
// device that has not started by then is caught up with once it does.
constexpr int music_start_wait_ms = 3000;

// One row change of the song: from `frame` (48 kHz frames since the start) on, the module is at
// (order, row).
struct MusicRowMark {
    int64_t frame;
    int order;
    int row;
};

struct MusicPlayer {
    openmpt::module* module = nullptr; // owned; null until loaded and after close()
    SDL_AudioSpec spec{};
    SDL_AudioDeviceID device = 0;
    bool audio_initialised = false; // we initialised SDL's audio subsystem

    // Every row change of the decoded part of the song, in time order. Built while decoding;
    // a seek drops the marks after its target and goes on from there.
    std::vector<MusicRowMark> timeline;
    int64_t decoded_frames = 0; // the song frame the decoding has reached
    double song_seconds = 0;    // the song's length, from the module
    bool decode_finished = false;
    bool playing = false;       // play() has run
    double latency_seconds = 0; // how long the device holds a sample before it is heard
    bool stream = true;         // false: play() decodes the whole song before it returns
    bool song_ended = false;    // the module has passed its last row (it then plays a short tail)
    std::vector<bool> visited;  // (order, row) pairs already reached, 256 x 256
    float* block = nullptr;     // PCM waiting to be queued, music_block_frames stereo frames
    int block_fill = 0;         // frames in `block`

    // What the device has taken since the queue was last started or cleared: song frames from
    // `segment_song_frame` on, `segment_queued_frames` of them handed to SDL.
    int64_t segment_song_frame = 0;
    int64_t segment_queued_frames = 0;
    double step_offset = 0;     // smoothed song time taken by the device less the clock
    double step_checked_at = 0; // clock time of the last comparison
    double step_baseline = 0;   // step_offset once settled: what in step reads as
    bool step_settled = false;
    double step_settle_at = 0; // clock time from which step_offset counts as settled
    int resyncs = 0;           // times the sound was brought back to the clock

    // with_device false: decode for positions only (offline capture), no audio device.
    bool open(const char* path = platform_default_music_path(), bool with_device = true);
    // Starts the song at from_seconds (0 but in tests) and returns once the device has begun
    // to take it, so that a clock started next starts with the sound.
    void play(double from_seconds = 0.0);
    // Once per frame, after the clock update: compares the song time the device has taken with
    // the clock and, when they have come apart (a stall of the process, a stop and continue, a
    // starved device), drops what is queued and goes on from the song at the clock's time.
    // Only against SDL's ticks: a clock driven by other ticks runs on no device's time.
    void follow_clock();
    // Once per frame while playing: decodes the next slice of the song into the device's
    // queue and extends the position timeline. Nothing to do without a device.
    void pump();
    void close();
    int current_order();
    int current_row();

    // The song time that is audible now: the demo clock since play(), less the device's buffer.
    // follow_clock() keeps what is heard within music_step_tolerance_seconds of it. Just after
    // the sound jumped ahead, while the device's buffer from before is still heard, the row
    // looked up is the last one decoded before the jump.
    double playback_seconds() const;
    // Song time of the last frame the device has taken from the queue, given what is queued.
    double taken_seconds(int64_t queued_frames) const;
    // Index into `timeline` of the row audible at song time `seconds`, or -1 when nothing is
    // (before play(), before the first row, or while the position is forced). A part of the
    // song not decoded yet is decoded first (without a device, that is how decoding happens).
    int timeline_index_at(double seconds);
    int audible_index() { return timeline_index_at(playback_seconds()); }

    // Renders one libopenmpt read, records its position and hands the PCM to the device when
    // there is one. False once the song has ended.
    bool decode_step();
    void queue_block();
    // Positions the module at song time `seconds` and the timeline with it; what was decoded
    // but not handed to the device is dropped. Past the song's end nothing is left to decode.
    void seek(double seconds);
    // Replaces everything queued by the song from `seconds` on (further on by the time the
    // seek itself takes).
    void resync(double seconds);
    // Waits, at most music_start_wait_ms, until the device has taken from the queue.
    void wait_for_device_start();
};

extern MusicPlayer music_player;

// For tests: while forced, current_order() and current_row() report this position instead of
// the song's. A negative order ends the override.
void music_force_position(int order, int row);
bool music_position_forced();
