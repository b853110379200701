#include "output_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <stb_image_write.h>

#include "platform/input_file.h"
#include "platform/output_file.h"

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
    std::string probe, why;
    FILE* f = platform_create_unique(dir + "/.oske-capture-probe", "", &probe, &why);
    if (!f) {
        *error = "cannot write in '" + dir + "': " + why;
        return false;
    }
    fclose(f);
    platform_remove(probe);
    return true;
}

bool prepare_output_dir(const std::string& dir, std::string* error) {
    // mkdir -p: make each missing component in turn.
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i < dir.size() && dir[i] != '/')
            continue;
        std::string why;
        if (!platform_make_dir(dir.substr(0, i), &why)) {
            *error = "cannot create the output directory '" + dir + "': " + why;
            return false;
        }
    }
    if (platform_file_kind(dir.c_str()) != PlatformFileKind::directory) {
        *error = "cannot create the output directory '" + dir + "': not a directory";
        return false;
    }
    return probe_writable(dir, error);
}

bool check_output_file(const std::string& path, std::string* error) {
    PlatformFileKind kind = platform_file_kind(path.c_str());
    if (kind == PlatformFileKind::directory) {
        *error = "'" + path + "' is a directory, not a file name";
        return false;
    }
    // The finished file is renamed over the old one: that must not replace a device or a pipe.
    if (kind == PlatformFileKind::other) {
        *error = "'" + path + "' is not a regular file";
        return false;
    }
    std::string dir = directory_of(path);
    if (platform_file_kind(dir.c_str()) != PlatformFileKind::directory) {
        *error = "cannot write '" + path + "': directory '" + dir + "' does not exist";
        return false;
    }
    return probe_writable(dir, error);
}

void track_partial(const std::string& partial) {
    output_partials.push_back(partial);
}

static void untrack_partial(const std::string& partial) {
    output_partials.erase(std::remove(output_partials.begin(), output_partials.end(), partial),
                          output_partials.end());
}

FILE* create_partial(const std::string& path, std::string* partial, std::string* error) {
    std::string why;
    FILE* f = platform_create_unique(path, ".part", partial, &why);
    if (!f) {
        *error = "cannot write '" + path + "': " + why;
        return nullptr;
    }
    track_partial(*partial);
    return f;
}

void drop_partial(const std::string& partial) {
    untrack_partial(partial);
    platform_remove(partial);
}

bool finish_partial(const std::string& partial, const std::string& path, std::string* error) {
    untrack_partial(partial);
    std::string why;
    if (!platform_rename_over(partial, path, &why)) {
        *error = "cannot write '" + path + "': " + why;
        platform_remove(partial);
        return false;
    }
    return true;
}

void remove_partials() {
    for (const std::string& partial : output_partials)
        platform_remove(partial);
    output_partials.clear();
}

static void png_sink(void* context, void* data, int size) {
    FILE* f = (FILE*)context;
    fwrite(data, 1, (size_t)size, f);
}

bool write_png(const std::string& path, const RgbImage& image, std::string* error) {
    std::string partial;
    FILE* f = create_partial(path, &partial, error);
    if (!f)
        return false;
    int ok = stbi_write_png_to_func(png_sink, f, image.width, image.height, 3, image.pixels.data(),
                                    image.width * 3);
    bool written = ok && !ferror(f);
    int saved_errno = errno;
    if (fclose(f) != 0) {
        if (written)
            saved_errno = errno;
        written = false;
    }
    if (!written) {
        *error =
            "cannot write '" + path + "': " + (ok ? strerror(saved_errno) : "PNG encoding failed");
        drop_partial(partial);
        return false;
    }
    return finish_partial(partial, path, error);
}

std::string frame_file_name(const std::string& dir, int frame_ms) {
    char name[32];
    snprintf(name, sizeof name, "frame_%06d.png", frame_ms);
    return dir + "/" + name;
}
