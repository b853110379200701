#include "runtime/xm_check.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct MemoryReader {
    const unsigned char* data;
    uint64_t size;
    bool failed = false;
    const unsigned char* at(uint64_t offset, size_t) { return data + offset; }
};

// The headers come in file order with the data they describe between them, so a window that
// only moves forward reads each header with one read at most, however large the file.
struct FileReader {
    const PlatformInputFile& file;
    uint64_t size;
    bool failed = false;
    uint64_t start = 0;
    size_t fill = 0;
    unsigned char window[16384];

    const unsigned char* at(uint64_t offset, size_t n) {
        if (offset < start || offset + n > start + fill) {
            start = offset;
            long long got = platform_read_at(file, offset, window, sizeof window);
            fill = got > 0 ? (size_t)got : 0;
            if (got < 0 || fill < n) { // a read error, or the file shrank under us
                failed = true;
                memset(window, 0, n);
                fill = 0;
            }
            return window;
        }
        return window + (offset - start);
    }
};

template <typename Source> struct Walk {
    Source& source;
    bool has(uint64_t at, uint64_t n) const { return at <= source.size && n <= source.size - at; }
    uint32_t u16(uint64_t at) {
        const unsigned char* b = source.at(at, 2);
        return b[0] | b[1] << 8;
    }
    uint32_t u32(uint64_t at) {
        const unsigned char* b = source.at(at, 4);
        return b[0] | b[1] << 8 | b[2] << 16 | (uint32_t)b[3] << 24;
    }
};

constexpr uint32_t xm_sample_header_bytes = 40; // every reader takes 40, whatever the field says

template <typename Source> XmCheck xm_walk(Source& source) {
    static const char signature[] = "Extended Module: ";
    Walk<Source> r{source};
    if (!r.has(0, 17) || memcmp(source.at(0, 17), signature, 17) != 0)
        return source.failed ? XmCheck::unreadable : XmCheck::not_xm;
    if (!r.has(60, 20))
        return XmCheck::truncated;
    const uint32_t patterns = r.u16(70);
    const uint32_t instruments = r.u16(72);
    uint64_t at = 60 + (uint64_t)r.u32(60);
    for (uint32_t p = 0; p < patterns && !source.failed; ++p) {
        if (!r.has(at, 9))
            return XmCheck::truncated;
        at += (uint64_t)r.u32(at) + r.u16(at + 7);
    }
    for (uint32_t i = 0; i < instruments && !source.failed; ++i) {
        if (!r.has(at, 29))
            return XmCheck::truncated;
        const uint64_t header = r.u32(at);
        const uint32_t samples = r.u16(at + 27);
        // A size of 0 is read as the usual 263 by the players.
        at += header ? header : 263;
        uint64_t data_bytes = 0;
        for (uint32_t s = 0; s < samples && !source.failed; ++s) {
            if (!r.has(at, xm_sample_header_bytes))
                return XmCheck::truncated;
            data_bytes += r.u32(at);
            at += xm_sample_header_bytes;
        }
        at += data_bytes;
    }
    if (source.failed)
        return XmCheck::unreadable;
    return r.has(0, at) ? XmCheck::complete : XmCheck::truncated;
}

} // namespace

XmCheck xm_check_bytes(const unsigned char* data, size_t size) {
    MemoryReader source{data, size};
    return xm_walk(source);
}

XmCheck xm_check_open_file(const PlatformInputFile& file) {
    FileReader source{file, file.size, false, 0, 0, {}};
    return xm_walk(source);
}

XmCheck xm_check_file(const char* path) {
    PlatformInputFile file;
    std::string why;
    if (!platform_open_input(path, &file, &why))
        return XmCheck::not_xm;
    XmCheck result = xm_check_open_file(file);
    platform_close_input(&file);
    return result;
}
