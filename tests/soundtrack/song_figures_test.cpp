// The composed soundtrack as the demo plays it: every trigger position heard as an accent,
// mastered to -14 LUFS without touching -1 dBTP, silent by the end of the demo, and composed
// byte for byte the same every time.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "accents.h"
#include "loudness.h"
#include "onsets.h"
#include "signal_figures.h"
#include "song.h"
#include "song_render.h"

namespace {

const char* song_path = OSKE_BUILD_DIR "/music.xm";

// One render of the song and everything measured on it, shared by the tests below.
struct SongFigures {
    bool rendered = false;
    double seconds = 0;
    LoudnessSummary loudness;
    AccentReport accents;
    double audible_end = 0;
};

const SongFigures& song_figures() {
    static SongFigures figures = [] {
        SongFigures f;
        SongAudio song;
        std::string error;
        f.rendered = render_song(song_path, &song, &error);
        EXPECT_TRUE(f.rendered) << error;
        if (!f.rendered)
            return f;
        const float* pcm = song.samples.data();
        f.seconds = song_seconds(song, song.frames);
        EXPECT_TRUE(measure_loudness(pcm, song.frames, song.rate, &f.loudness, nullptr));
        f.accents = trigger_accents(song, onset_flux(pcm, song.frames, song.rate));
        f.audible_end = audible_end_seconds(pcm, song.frames, song.rate, -70.0);
        return f;
    }();
    return figures;
}

std::string describe(const TriggerAccent& a) {
    char text[160];
    std::snprintf(text, sizeof text, "(%d, %d) %.2f s %s: %s\n", a.order, a.row, a.seconds,
                  a.lists.c_str(), a.heard ? std::to_string(a.ratio).c_str() : "never reached");
    return text;
}

TEST(SoundtrackSong, EveryTriggerPositionIsAnAccentOverItsSectionsBeats) {
    const SongFigures& f = song_figures();
    ASSERT_TRUE(f.rendered);
    ASSERT_FALSE(f.accents.positions.empty());
    std::string weak;
    for (const TriggerAccent& a : f.accents.positions)
        if (!a.heard || a.ratio < accent_ratio_floor)
            weak += describe(a);
    EXPECT_EQ(f.accents.below, 0) << "accent ratio under " << accent_ratio_floor << " of "
                                  << f.accents.positions.size() << " positions:\n"
                                  << weak;
}

TEST(SoundtrackSong, IsMasteredToMinus14LufsUnderMinus1DbTruePeak) {
    const SongFigures& f = song_figures();
    ASSERT_TRUE(f.rendered);
    EXPECT_GE(f.loudness.integrated_lufs, -15.0);
    EXPECT_LE(f.loudness.integrated_lufs, -13.0);
    EXPECT_LE(f.loudness.true_peak_dbtp, -1.0);
}

TEST(SoundtrackSong, NothingIsAudibleAfterTheDemoEnds) {
    const SongFigures& f = song_figures();
    ASSERT_TRUE(f.rendered);
    EXPECT_LE(f.audible_end, 199.8) << "the song renders " << f.seconds << " s";
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
