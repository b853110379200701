#include "platform/output_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* platform_create_unique(const std::string& prefix, const std::string& suffix,
                             std::string* made, std::string* error) {
    static unsigned platform_unique_counter = 0;
    const std::string pid = std::to_string(getpid());
    // The process id keeps concurrent runs apart, the counter the files of one run; O_EXCL
    // makes sure even a name left behind by a killed run is never opened a second time.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name =
            prefix + "." + pid + "-" + std::to_string(platform_unique_counter++) + suffix;
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            *error = strerror(errno);
            return nullptr;
        }
        FILE* f = fdopen(fd, "wb");
        if (!f) {
            *error = strerror(errno);
            close(fd);
            unlink(name.c_str());
            return nullptr;
        }
        *made = name;
        return f;
    }
    *error = "no free temporary name";
    return nullptr;
}

bool platform_rename_over(const std::string& from, const std::string& to, std::string* error) {
    if (rename(from.c_str(), to.c_str()) != 0) {
        *error = strerror(errno);
        return false;
    }
    return true;
}

void platform_remove(const std::string& path) {
    unlink(path.c_str());
}

bool platform_make_dir(const std::string& path, std::string* error) {
    if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST)
        return true;
    *error = strerror(errno);
    return false;
}

std::string platform_file_identity(const std::string& path) {
    auto key = [](const char* kind, const struct stat& st) {
        return std::string(kind) + std::to_string((unsigned long long)st.st_dev) + ":" +
               std::to_string((unsigned long long)st.st_ino);
    };
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
        return key("file ", st);
    // Not there yet: the folder it would be made in, and its name there.
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || stat(dir.c_str(), &st) != 0)
        return "";
    return key("in ", st) + "/" + name;
}
