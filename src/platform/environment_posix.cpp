#include "platform/environment.h"

#include <cstdlib>

const char* platform_default_music_path() {
    return "/usr/share/oske-by-quorvent/music.xm";
}

std::string platform_temp_dir() {
    const char* tmp = getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

void platform_set_env_default(const char* name, const char* value) {
    setenv(name, value, 0);
}

void platform_set_env(const char* name, const char* value) {
    setenv(name, value, 1);
}
