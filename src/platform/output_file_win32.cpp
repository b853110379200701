#include "platform/output_file.h"

#include <fcntl.h>
#include <io.h>

#include "platform/win32_support.h"

FILE* platform_create_unique(const std::string& prefix, const std::string& suffix,
                             std::string* made, std::string* error) {
    static unsigned platform_unique_counter = 0;
    const std::string pid = std::to_string(GetCurrentProcessId());
    // The process id keeps concurrent runs apart, the counter the files of one run; CREATE_NEW
    // makes sure even a name left behind by a killed run is never opened a second time.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name =
            prefix + "." + pid + "-" + std::to_string(platform_unique_counter++) + suffix;
        HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
            continue;
        if (h == INVALID_HANDLE_VALUE) {
            *error = win32_error_text(GetLastError());
            return nullptr;
        }
        // From here the C runtime owns the handle: fclose closes it.
        int fd = _open_osfhandle((intptr_t)h, _O_WRONLY | _O_BINARY);
        FILE* f = fd < 0 ? nullptr : _fdopen(fd, "wb");
        if (!f) {
            *error = "cannot open a stream on '" + name + "'";
            if (fd < 0)
                CloseHandle(h);
            else
                _close(fd);
            DeleteFileA(name.c_str());
            return nullptr;
        }
        *made = name;
        return f;
    }
    *error = "no free temporary name";
    return nullptr;
}

bool platform_rename_over(const std::string& from, const std::string& to, std::string* error) {
    if (!MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = win32_error_text(GetLastError());
        return false;
    }
    return true;
}

void platform_remove(const std::string& path) {
    DeleteFileA(path.c_str());
}

bool platform_make_dir(const std::string& path, std::string* error) {
    if (CreateDirectoryA(path.c_str(), nullptr))
        return true;
    DWORD code = GetLastError();
    // A drive ("C:") or a folder made before: there is nothing to make.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    *error = win32_error_text(code);
    return false;
}
