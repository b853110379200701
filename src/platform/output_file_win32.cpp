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

// The volume and file index of what path names (a file or a folder), or "" when it cannot be
// opened.
static std::string platform_object_key(const std::string& path) {
    // No access asked and every sharing mode given: this opens files others are writing.
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "";
    BY_HANDLE_FILE_INFORMATION info;
    bool known = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!known)
        return "";
    return std::to_string(info.dwVolumeSerialNumber) + ":" +
           std::to_string(((unsigned long long)info.nFileIndexHigh << 32) | info.nFileIndexLow);
}

std::string platform_file_identity(const std::string& path) {
    std::string file = platform_object_key(path);
    if (!file.empty())
        return "file " + file;
    // Not there yet: the folder it would be made in, and its name there, which Windows
    // compares without regard to case.
    size_t separator = path.find_last_of("\\/:");
    std::string dir = separator == std::string::npos ? "." : path.substr(0, separator + 1);
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    std::string folder = platform_object_key(dir);
    if (name.empty() || name == "." || name == ".." || folder.empty())
        return "";
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return "in " + folder + "/" + name;
}
