#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <iterator>
#include <vector>

#include "runtime/xm_check.h"

namespace {

std::vector<unsigned char> composed_song() {
    std::ifstream file(std::string(OSKE_BUILD_DIR) + "/music.xm", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(XmCheck, TheComposedSongIsComplete) {
    std::vector<unsigned char> song = composed_song();
    ASSERT_GT(song.size(), 336u);
    EXPECT_EQ(xm_check_bytes(song.data(), song.size()), XmCheck::complete);
    // Trailing bytes beyond the last sample do no harm.
    song.push_back(0);
    EXPECT_EQ(xm_check_bytes(song.data(), song.size()), XmCheck::complete);
}

TEST(XmCheck, EveryCutIsTruncated) {
    std::vector<unsigned char> song = composed_song();
    ASSERT_GT(song.size(), 336u);
    // Header, patterns, instrument headers and sample data are all cut somewhere.
    for (size_t cut = 17; cut < song.size(); cut += (cut < 4096 ? 7 : 997))
        ASSERT_EQ(xm_check_bytes(song.data(), cut), XmCheck::truncated) << "cut at " << cut;
    EXPECT_EQ(xm_check_bytes(song.data(), song.size() - 1), XmCheck::truncated);
}

TEST(XmCheck, NonXmIsLeftToTheLoader) {
    const unsigned char garbage[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_EQ(xm_check_bytes(garbage, sizeof garbage), XmCheck::not_xm);
    EXPECT_EQ(xm_check_bytes(garbage, 0), XmCheck::not_xm);
    EXPECT_EQ(xm_check_file("/nonexistent/music.xm"), XmCheck::not_xm);
    EXPECT_EQ(xm_check_file("/tmp"), XmCheck::not_xm);
}

TEST(XmCheck, HugeSizeFieldsDoNotWrap) {
    std::vector<unsigned char> song = composed_song();
    ASSERT_GT(song.size(), 336u);
    // A header size of 0xFFFFFFFF must read as "past the end", not wrap to a small offset.
    song[60] = song[61] = song[62] = song[63] = 0xFF;
    EXPECT_EQ(xm_check_bytes(song.data(), song.size()), XmCheck::truncated);
}

TEST(XmCheck, TheFileWalkReadsHeadersAndAgreesWithTheByteWalk) {
    std::vector<unsigned char> song = composed_song();
    ASSERT_GT(song.size(), 336u);
    std::string path = testing::TempDir() + "xm_check_walk.xm";
    for (size_t cut : {song.size(), song.size() - 1, song.size() / 2, (size_t)400, (size_t)17}) {
        std::ofstream(path, std::ios::binary).write((const char*)song.data(), (std::streamsize)cut);
        EXPECT_EQ(xm_check_file(path.c_str()), xm_check_bytes(song.data(), cut)) << cut;
    }
    // A sparse tail a hundred times the song: the walk stops where the headers end.
    std::ofstream(path, std::ios::binary)
        .write((const char*)song.data(), (std::streamsize)song.size());
    ASSERT_EQ(truncate(path.c_str(), (off_t)song.size() * 100), 0);
    EXPECT_EQ(xm_check_file(path.c_str()), XmCheck::complete);
    unlink(path.c_str());
    // Nobody writes to this FIFO: a blocking open would never return.
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(xm_check_file(path.c_str()), XmCheck::not_xm);
    unlink(path.c_str());
}
