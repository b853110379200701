// compose: writes the demo's soundtrack, an XM module whose instruments are all synthesised
// here, to the path given. The same bytes on every run.
#include <cstdio>
#include <exception>

#include "song.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.xm\n", argv[0]);
        return 2;
    }
    try {
        std::vector<uint8_t> bytes = xm_serialise(compose_song());
        std::FILE* f = std::fopen(argv[1], "wb");
        if (!f) {
            std::perror(argv[1]);
            return 1;
        }
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::perror(argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "compose: %s\n", e.what());
        return 1;
    }
    return 0;
}
