#include "platform/environment.h"

#include <cstdlib>

#include "platform/win32_support.h"

// A Windows release is one folder: the soundtrack lies beside the program.
const char* platform_default_music_path() {
    static const std::string path = win32_executable_dir() + "\\music.xm";
    return path.c_str();
}

std::string platform_temp_dir() {
    char dir[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n > sizeof dir)
        return ".";
    std::string path(dir, n);
    if (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// _putenv_s changes the C runtime's copy and the process environment both, so SDL sees the
// setting whichever it reads.
void platform_set_env_default(const char* name, const char* value) {
    if (!getenv(name))
        _putenv_s(name, value);
}

void platform_set_env(const char* name, const char* value) {
    _putenv_s(name, value);
}

// SDL's offscreen driver needs EGL, which Windows lacks; the capture draws into a hidden window.
const char* platform_headless_video_driver() {
    return nullptr;
}

const char* platform_path_separators() {
    return "/\\";
}
