#include "runtime/xm_check.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct Reader {
    const unsigned char* data;
    size_t size;
    bool has(uint64_t at, uint64_t n) const { return at <= size && n <= size - at; }
    uint32_t u16(uint64_t at) const { return data[at] | data[at + 1] << 8; }
    uint32_t u32(uint64_t at) const {
        return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | (uint32_t)data[at + 3] << 24;
    }
};

constexpr uint32_t xm_sample_header_bytes = 40; // every reader takes 40, whatever the field says

} // namespace

XmCheck xm_check_bytes(const unsigned char* data, size_t size) {
    static const char signature[] = "Extended Module: ";
    if (size < 17 || memcmp(data, signature, 17) != 0)
        return XmCheck::not_xm;
    Reader r{data, size};
    if (!r.has(60, 20))
        return XmCheck::truncated;
    const uint32_t patterns = r.u16(70);
    const uint32_t instruments = r.u16(72);
    uint64_t at = 60 + (uint64_t)r.u32(60);
    for (uint32_t p = 0; p < patterns; ++p) {
        if (!r.has(at, 9))
            return XmCheck::truncated;
        at += (uint64_t)r.u32(at) + r.u16(at + 7);
    }
    for (uint32_t i = 0; i < instruments; ++i) {
        if (!r.has(at, 29))
            return XmCheck::truncated;
        const uint64_t header = r.u32(at);
        const uint32_t samples = r.u16(at + 27);
        // A size of 0 is read as the usual 263 by the players.
        at += header ? header : 263;
        uint64_t data_bytes = 0;
        for (uint32_t s = 0; s < samples; ++s) {
            if (!r.has(at, xm_sample_header_bytes))
                return XmCheck::truncated;
            data_bytes += r.u32(at);
            at += xm_sample_header_bytes;
        }
        at += data_bytes;
    }
    return r.has(0, at) ? XmCheck::complete : XmCheck::truncated;
}

XmCheck xm_check_file(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open())
        return XmCheck::not_xm;
    std::vector<unsigned char> bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::exception&) { // a directory, an I/O error
        return XmCheck::not_xm;
    }
    if (file.bad())
        return XmCheck::not_xm;
    return xm_check_bytes(bytes.data(), bytes.size());
}
