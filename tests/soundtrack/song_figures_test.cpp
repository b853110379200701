// The composed soundtrack as the demo plays it: rendered sample for sample as the player
// decodes it, every trigger position heard as an accent, mastered to -14 LUFS without touching
// -1 dBTP, silent by the end of the demo, and composed byte for byte the same every time.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <string>
#include <vector>

#include "accents.h"
#include "loudness.h"
#include "onsets.h"
#include "runtime/music_player.h"
#include "signal_figures.h"
#include "song.h"
#include "song_render.h"

namespace {

const char* song_path = OSKE_BUILD_DIR "/music.xm";

// One render of the song per process, shared by the tests below; each measures what it needs.
struct RenderedSong {
    bool rendered = false;
    SongAudio audio;
};

const RenderedSong& rendered_song() {
    static RenderedSong song = [] {
        RenderedSong r;
        std::string error;
        r.rendered = render_song(song_path, &r.audio, &error);
        EXPECT_TRUE(r.rendered) << error;
        return r;
    }();
    return song;
}

std::string describe(const TriggerAccent& a) {
    char text[160];
    std::snprintf(text, sizeof text, "(%d, %d) %.2f s %s: %s\n", a.order, a.row, a.seconds,
                  a.lists.c_str(), a.heard ? std::to_string(a.ratio).c_str() : "never reached");
    return text;
}

// The measurements hear what the demo plays: libopenmpt's samples read as the player reads
// them, every row in time order from the first frame on.
TEST(SoundtrackSong, IsRenderedAsThePlayerDecodesIt) {
    const RenderedSong& song = rendered_song();
    ASSERT_TRUE(song.rendered);
    std::ifstream file(song_path, std::ios::binary);
    openmpt::module module(file);
    module.set_repeat_count(0);
    std::vector<float> direct, block((size_t)music_read_frames * 2);
    while (size_t n = module.read_interleaved_stereo(music_rate, music_read_frames, block.data()))
        direct.insert(direct.end(), block.begin(), block.begin() + (long)n * 2);
    EXPECT_EQ(song.audio.rate, music_rate);
    EXPECT_EQ(song.audio.frames * 2, (int64_t)song.audio.samples.size());
    EXPECT_TRUE(direct == song.audio.samples);
    ASSERT_FALSE(song.audio.rows.empty());
    EXPECT_EQ(song.audio.rows[0].frame, 0);
    for (size_t i = 1; i < song.audio.rows.size(); ++i)
        ASSERT_GT(song.audio.rows[i].frame, song.audio.rows[i - 1].frame) << "row mark " << i;
    EXPECT_LT(song.audio.rows.back().frame, song.audio.frames);
}

TEST(SoundtrackSong, EveryTriggerPositionIsAnAccentOverItsSectionsBeats) {
    const RenderedSong& song = rendered_song();
    ASSERT_TRUE(song.rendered);
    const SongAudio& a = song.audio;
    AccentReport accents = trigger_accents(a, onset_flux(a.samples.data(), a.frames, a.rate));
    ASSERT_FALSE(accents.positions.empty());
    std::string weak;
    for (const TriggerAccent& p : accents.positions)
        if (!p.heard || p.ratio < accent_ratio_floor)
            weak += describe(p);
    EXPECT_EQ(accents.below, 0) << "accent ratio under " << accent_ratio_floor << " of "
                                << accents.positions.size() << " positions:\n"
                                << weak;
}

TEST(SoundtrackSong, IsMasteredToMinus14LufsUnderMinus1DbTruePeak) {
    const RenderedSong& song = rendered_song();
    ASSERT_TRUE(song.rendered);
    LoudnessSummary loudness;
    ASSERT_TRUE(measure_loudness(song.audio.samples.data(), song.audio.frames, song.audio.rate,
                                 &loudness, nullptr));
    EXPECT_GE(loudness.integrated_lufs, -15.0);
    EXPECT_LE(loudness.integrated_lufs, -13.0);
    EXPECT_LE(loudness.true_peak_dbtp, -1.0);
}

TEST(SoundtrackSong, NothingIsAudibleAfterTheDemoEnds) {
    const RenderedSong& song = rendered_song();
    ASSERT_TRUE(song.rendered);
    const SongAudio& a = song.audio;
    EXPECT_LE(audible_end_seconds(a.samples.data(), a.frames, a.rate, -70.0), 199.8)
        << "the song renders " << song_seconds(a, a.frames) << " s";
}

TEST(SoundtrackSong, ComposingTwiceGivesTheBuiltBytes) {
    std::vector<uint8_t> first = xm_serialise(compose_song());
    std::vector<uint8_t> second = xm_serialise(compose_song());
    std::ifstream file(song_path, std::ios::binary);
    ASSERT_TRUE(file.is_open()) << song_path;
    std::vector<uint8_t> built{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GT(first.size(), 1000u);
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(first == built);
}

} // namespace
