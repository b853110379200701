#include "platform/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static PlatformFileKind platform_kind_of(mode_t mode) {
    if (S_ISREG(mode))
        return PlatformFileKind::regular;
    if (S_ISDIR(mode))
        return PlatformFileKind::directory;
    return PlatformFileKind::other;
}

static const char* platform_not_regular(PlatformFileKind kind) {
    return kind == PlatformFileKind::directory ? "a directory, not a file" : "not a regular file";
}

bool platform_open_input(const char* path, PlatformInputFile* file, std::string* error) {
    *file = PlatformInputFile{};
    // Judged before it is opened: opening some devices acts on them (a serial line raises DTR,
    // a tape rewinds when closed). What is opened is judged again, in case the name changed.
    struct stat named;
    if (stat(path, &named) == 0 && !S_ISREG(named.st_mode)) {
        file->kind = platform_kind_of(named.st_mode);
        *error = platform_not_regular(file->kind);
        return false;
    }
    // O_NONBLOCK: opening a FIFO with no writer (or a device) returns at once; a regular file
    // reads the same either way. O_NOCTTY: a terminal does not become ours.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file->kind = errno == ENOENT || errno == ENOTDIR ? PlatformFileKind::missing
                                                         : PlatformFileKind::unreadable;
        *error = strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        file->kind = PlatformFileKind::unreadable;
        *error = strerror(errno);
        close(fd);
        return false;
    }
    file->kind = platform_kind_of(st.st_mode);
    if (file->kind != PlatformFileKind::regular) {
        *error = platform_not_regular(file->kind);
        close(fd);
        return false;
    }
    file->size = (uint64_t)st.st_size;
    file->handle = fd;
    return true;
}

long long platform_read_at(const PlatformInputFile& file, uint64_t offset, void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t got =
            pread((int)file.handle, (char*)buffer + done, n - done, (off_t)(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += (size_t)got;
    }
    return (long long)done;
}

void platform_close_input(PlatformInputFile* file) {
    if (file->handle >= 0)
        close((int)file->handle);
    file->handle = -1;
}

PlatformFileKind platform_file_kind(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PlatformFileKind::missing
                                                   : PlatformFileKind::unreadable;
    return platform_kind_of(st.st_mode);
}
