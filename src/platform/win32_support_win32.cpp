#include "platform/win32_support.h"

#include <vector>

std::string win32_executable_dir() {
    // The path can be longer than MAX_PATH; grow until it fits.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), (DWORD)path.size());
        if (n == 0)
            return ".";
        if (n < path.size()) {
            std::string full(path.data(), n);
            size_t cut = full.find_last_of("\\/");
            return cut == std::string::npos ? "." : full.substr(0, cut);
        }
        path.resize(path.size() * 2);
    }
}

std::string win32_error_text(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, (char*)&text, 0, nullptr);
    std::string said = n && text ? std::string(text, n) : "error " + std::to_string(code);
    LocalFree(text);
    // Messages end in ".\r\n"; ours are followed by more words or a newline of our own.
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == '.'))
        said.pop_back();
    return said;
}
