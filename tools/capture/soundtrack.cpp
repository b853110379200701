#include "soundtrack.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <vector>

#include "output_files.h"
#include "runtime/demo.h"
#include "runtime/music_file.h"
#include "runtime/music_player.h"

// libopenmpt's chatter stays out of our output. The module keeps writing to its log for as long
// as it lives, so the sink outlives every module.
static std::ostream soundtrack_quiet_log(nullptr);

static std::unique_ptr<openmpt::module> load_module(const std::string& path, std::string* error) {
    // The very check the demo's start-up makes, so both refuse the same files.
    std::vector<char> song;
    std::string why;
    MusicFile found = music_file_read(path.c_str(), &song, &why);
    if (found == MusicFile::missing) {
        *error =
            "no soundtrack at '" + path + "': " + why + " (install the demo, or give --music FILE)";
        return nullptr;
    }
    if (found != MusicFile::ok) {
        *error = "cannot read the soundtrack '" + path + "': " + music_file_refusal(found, why);
        return nullptr;
    }
    try {
        return std::make_unique<openmpt::module>(song, soundtrack_quiet_log);
    } catch (const std::exception& e) {
        *error = "cannot read the soundtrack '" + path + "': " + e.what();
        return nullptr;
    }
}

bool check_soundtrack(const std::string& music_path, std::string* error) {
    return load_module(music_path, error) != nullptr;
}

// RIFF/WAVE with a WAVE_FORMAT_IEEE_FLOAT fmt chunk and the fact chunk that format requires.
struct WavHeader {
    uint8_t bytes[58];
    size_t size = 0;

    void u16(uint16_t v) {
        for (int i = 0; i < 2; ++i)
            bytes[size++] = (v >> (8 * i)) & 0xff;
    }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[size++] = (v >> (8 * i)) & 0xff;
    }
    void tag(const char* t) {
        memcpy(bytes + size, t, 4);
        size += 4;
    }
};

static WavHeader wav_header(uint32_t frames) {
    const uint32_t data_bytes = frames * 8;
    WavHeader h;
    h.tag("RIFF");
    h.u32(4 + (8 + 18) + (8 + 4) + (8 + data_bytes));
    h.tag("WAVE");
    h.tag("fmt ");
    h.u32(18);
    h.u16(3); // IEEE float
    h.u16(2);
    h.u32(soundtrack_rate);
    h.u32(soundtrack_rate * 8);
    h.u16(8);
    h.u16(32);
    h.u16(0);
    h.tag("fact");
    h.u32(4);
    h.u32(frames);
    h.tag("data");
    h.u32(data_bytes);
    return h;
}

bool write_soundtrack_wav(const std::string& music_path, const std::string& wav_path,
                          long long* frames_out, std::string* error) {
    std::unique_ptr<openmpt::module> module = load_module(music_path, error);
    if (!module)
        return false;
    std::string partial;
    FILE* f = create_partial(wav_path, &partial, error);
    if (!f)
        return false;
    WavHeader header = wav_header(0);
    fwrite(header.bytes, 1, header.size, f);

    module->set_position_seconds(0.0);
    module->set_repeat_count(0);
    // The player's own read size and rate, so the samples are the ones the demo plays.
    const size_t block_frames = music_read_frames;
    std::vector<float> block(block_frames * 2);
    uint64_t frames = 0;
    for (;;) {
        size_t n = module->read_interleaved_stereo(soundtrack_rate, block_frames, block.data());
        if (n == 0)
            break;
        if (demo_signal_received) {
            *error = "interrupted";
            fclose(f);
            remove_partials();
            return false;
        }
        fwrite(block.data(), sizeof(float), n * 2, f);
        frames += n;
        if (frames * 8 > UINT32_MAX - 64) {
            *error = "the soundtrack is too long for a WAV file";
            fclose(f);
            remove_partials();
            return false;
        }
    }
    header = wav_header((uint32_t)frames);
    bool ok = !ferror(f) && fseek(f, 0, SEEK_SET) == 0 &&
              fwrite(header.bytes, 1, header.size, f) == header.size;
    int saved_errno = errno;
    if (fclose(f) != 0 || !ok) {
        *error = "cannot write '" + wav_path + "': " + strerror(saved_errno ? saved_errno : errno);
        remove_partials();
        return false;
    }
    *frames_out = (long long)frames;
    return finish_partial(partial, wav_path, error);
}
