#include "output_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <stb_image_write.h>

static std::vector<std::string> output_partials;

static std::string directory_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

static bool probe_writable(const std::string& dir, std::string* error) {
    std::string probe = dir + "/.oske-capture-probe-" + std::to_string(getpid());
    FILE* f = fopen(probe.c_str(), "wb");
    if (!f) {
        *error = "cannot write in '" + dir + "': " + strerror(errno);
        return false;
    }
    fclose(f);
    unlink(probe.c_str());
    return true;
}

bool prepare_output_dir(const std::string& dir, std::string* error) {
    // mkdir -p: make each missing component in turn.
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i < dir.size() && dir[i] != '/')
            continue;
        std::string part = dir.substr(0, i);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            *error = "cannot create the output directory '" + dir + "': " + strerror(errno);
            return false;
        }
    }
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = "cannot create the output directory '" + dir + "': not a directory";
        return false;
    }
    return probe_writable(dir, error);
}

bool check_output_file(const std::string& path, std::string* error) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        *error = "'" + path + "' is a directory, not a file name";
        return false;
    }
    // The finished file is renamed over the old one: that must not replace a device or a pipe.
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        *error = "'" + path + "' is not a regular file";
        return false;
    }
    std::string dir = directory_of(path);
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = "cannot write '" + path + "': directory '" + dir + "' does not exist";
        return false;
    }
    return probe_writable(dir, error);
}

std::string partial_name(const std::string& path) {
    return path + ".part";
}

void track_partial(const std::string& partial) {
    output_partials.push_back(partial);
}

static void untrack_partial(const std::string& partial) {
    output_partials.erase(std::remove(output_partials.begin(), output_partials.end(), partial),
                          output_partials.end());
}

bool finish_partial(const std::string& path, std::string* error) {
    std::string partial = partial_name(path);
    untrack_partial(partial);
    if (rename(partial.c_str(), path.c_str()) != 0) {
        *error = "cannot write '" + path + "': " + strerror(errno);
        unlink(partial.c_str());
        return false;
    }
    return true;
}

void remove_partials() {
    for (const std::string& partial : output_partials)
        unlink(partial.c_str());
    output_partials.clear();
}

static void png_sink(void* context, void* data, int size) {
    FILE* f = (FILE*)context;
    fwrite(data, 1, (size_t)size, f);
}

bool write_png(const std::string& path, const RgbImage& image, std::string* error) {
    std::string partial = partial_name(path);
    FILE* f = fopen(partial.c_str(), "wb");
    if (!f) {
        *error = "cannot write '" + path + "': " + strerror(errno);
        return false;
    }
    track_partial(partial);
    int ok = stbi_write_png_to_func(png_sink, f, image.width, image.height, 3, image.pixels.data(),
                                    image.width * 3);
    bool written = ok && !ferror(f);
    int saved_errno = errno;
    if (fclose(f) != 0)
        written = false;
    if (!written) {
        *error =
            "cannot write '" + path + "': " + (ok ? strerror(saved_errno) : "PNG encoding failed");
        untrack_partial(partial);
        unlink(partial.c_str());
        return false;
    }
    return finish_partial(path, error);
}

std::string frame_file_name(const std::string& dir, int frame_ms) {
    char name[32];
    snprintf(name, sizeof name, "frame_%06d.png", frame_ms);
    return dir + "/" + name;
}
