#include "platform/input_file.h"

#include "platform/win32_support.h"

static PlatformFileKind platform_kind_of_error(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
                   code == ERROR_INVALID_NAME || code == ERROR_BAD_NETPATH
               ? PlatformFileKind::missing
               : PlatformFileKind::unreadable;
}

bool platform_open_input(const char* path, PlatformInputFile* file, std::string* error) {
    *file = PlatformInputFile{};
    // Backup semantics lets a folder open too, so that what is judged is the very object opened;
    // a pipe or a device opens without waiting and is refused below by its type.
    HANDLE h = CreateFileA(
        path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        file->kind = platform_kind_of_error(code);
        *error = win32_error_text(code);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        file->kind = PlatformFileKind::other;
        *error = "not a regular file";
    } else if (!GetFileInformationByHandle(h, &info)) {
        file->kind = PlatformFileKind::unreadable;
        *error = win32_error_text(GetLastError());
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        file->kind = PlatformFileKind::directory;
        *error = "a directory, not a file";
    } else {
        file->kind = PlatformFileKind::regular;
        file->size = (uint64_t)info.nFileSizeHigh << 32 | info.nFileSizeLow;
        file->handle = (intptr_t)h;
        return true;
    }
    CloseHandle(h);
    return false;
}

long long platform_read_at(const PlatformInputFile& file, uint64_t offset, void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        // A positioned read: the offset travels with the call, the handle keeps no position.
        OVERLAPPED at = {};
        uint64_t where = offset + done;
        at.Offset = (DWORD)where;
        at.OffsetHigh = (DWORD)(where >> 32);
        DWORD chunk = n - done > 0x40000000 ? 0x40000000 : (DWORD)(n - done);
        DWORD got = 0;
        if (!ReadFile((HANDLE)file.handle, (char*)buffer + done, chunk, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return (long long)done;
}

void platform_close_input(PlatformInputFile* file) {
    if (file->handle != -1)
        CloseHandle((HANDLE)file->handle);
    file->handle = -1;
}

PlatformFileKind platform_file_kind(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return platform_kind_of_error(GetLastError());
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return PlatformFileKind::directory;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return PlatformFileKind::other;
    return PlatformFileKind::regular;
}
