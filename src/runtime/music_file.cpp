#include "runtime/music_file.h"

#include "platform/input_file.h"
#include "runtime/xm_check.h"

static MusicFile music_file_judge(const PlatformInputFile& file) {
    if (file.size > music_file_max_bytes)
        return MusicFile::too_large;
    switch (xm_check_open_file(file)) {
    case XmCheck::truncated:
        return MusicFile::truncated;
    case XmCheck::unreadable:
        return MusicFile::unreadable;
    default: // complete, or not XM at all: the module loader judges the rest
        return MusicFile::ok;
    }
}

MusicFile music_file_read(const char* path, std::vector<char>* bytes, std::string* why) {
    bytes->clear();
    PlatformInputFile file;
    if (!platform_open_input(path, &file, why))
        return file.kind == PlatformFileKind::missing || file.kind == PlatformFileKind::unreadable
                   ? MusicFile::missing
                   : MusicFile::not_regular;
    MusicFile result = music_file_judge(file);
    if (result == MusicFile::ok) {
        bytes->resize((size_t)file.size);
        long long got = platform_read_at(file, 0, bytes->data(), bytes->size());
        if (got != (long long)bytes->size()) {
            // An I/O error, or the file shrank since it was judged.
            *why = got < 0 ? "read error" : "the file changed while it was read";
            bytes->clear();
            bytes->shrink_to_fit();
            result = MusicFile::unreadable;
        }
    }
    platform_close_input(&file);
    return result;
}

std::string music_file_refusal(MusicFile result, const std::string& why) {
    switch (result) {
    case MusicFile::ok:
        return "";
    case MusicFile::missing:
        return why;
    case MusicFile::not_regular:
        return "not a regular file";
    case MusicFile::too_large:
        return "the file is larger than 64 MiB";
    case MusicFile::truncated:
        return "the file is truncated";
    case MusicFile::unreadable:
        return why.empty() ? "read error" : why;
    }
    return why;
}
