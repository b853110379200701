#include "platform/child_process.h"

#include <cstdlib>

#include "platform/win32_support.h"

// name as Windows runs it: "ffmpeg" is ffmpeg.exe.
static std::string platform_exe_name(const std::string& name) {
    size_t dot = name.find_last_of('.');
    size_t separator = name.find_last_of("\\/");
    bool has_extension =
        dot != std::string::npos && (separator == std::string::npos || dot > separator);
    return has_extension ? name : name + ".exe";
}

static bool platform_is_file(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The full path of a program: beside our own executable first (where a user puts ffmpeg.exe
// that came with nothing else), then the folders of PATH in order. "" when it is nowhere.
static std::string platform_find_program(const std::string& name) {
    std::string exe = platform_exe_name(name);
    if (exe.find_first_of("\\/") != std::string::npos)
        return platform_is_file(exe) ? exe : "";
    std::string beside = win32_executable_dir() + "\\" + exe;
    if (platform_is_file(beside))
        return beside;
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "";
    size_t begin = 0;
    while (begin <= dirs.size()) {
        size_t end = dirs.find(';', begin);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(begin, end - begin);
        if (dir.size() >= 2 && dir.front() == '"' && dir.back() == '"')
            dir = dir.substr(1, dir.size() - 2);
        if (!dir.empty() && platform_is_file(dir + "\\" + exe))
            return dir + "\\" + exe;
        begin = end + 1;
    }
    return "";
}

bool platform_program_on_path(const char* name) {
    return !platform_find_program(name).empty();
}

std::string platform_program_wanted(const char* name) {
    return platform_exe_name(name) + " on PATH or in " + win32_executable_dir();
}

// One argument as the C runtime of the child splits its command line back: quoted when it has
// blanks or quotes, backslashes doubled only where a quote follows them.
static void platform_append_argument(std::string* line, const std::string& arg) {
    if (!line->empty())
        *line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        *line += arg;
        return;
    }
    *line += '"';
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            line->append(backslashes * 2 + 1, '\\');
        else
            line->append(backslashes, '\\');
        backslashes = 0;
        *line += c;
    }
    line->append(backslashes * 2, '\\');
    *line += '"';
}

// An inheritable copy of one of our standard handles for the child, or null when we have none.
static HANDLE platform_inheritable_std(DWORD which) {
    HANDLE ours = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (ours && ours != INVALID_HANDLE_VALUE &&
        !DuplicateHandle(GetCurrentProcess(), ours, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        copy = nullptr;
    return copy;
}

bool platform_spawn_with_input(const std::vector<std::string>& args, PlatformChild* child,
                               std::string* error) {
    *child = PlatformChild{};
    std::string program = platform_find_program(args[0]);
    if (program.empty()) {
        *error = platform_exe_name(args[0]) + " not found";
        return false;
    }
    std::string line;
    platform_append_argument(&line, program);
    for (size_t i = 1; i < args.size(); ++i)
        platform_append_argument(&line, args[i]);

    // Only the reading end is inheritable: our end's closing is what ends the child's input.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read_end, write_end;
    if (!CreatePipe(&read_end, &write_end, &inherit, 1 << 20)) {
        *error = win32_error_text(GetLastError());
        return false;
    }
    SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = read_end;
    startup.hStdOutput = platform_inheritable_std(STD_OUTPUT_HANDLE);
    startup.hStdError = platform_inheritable_std(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    DWORD code = GetLastError();
    CloseHandle(read_end);
    if (startup.hStdOutput)
        CloseHandle(startup.hStdOutput);
    if (startup.hStdError)
        CloseHandle(startup.hStdError);
    if (!started) {
        CloseHandle(write_end);
        *error = win32_error_text(code);
        return false;
    }
    CloseHandle(process.hThread);
    child->process = (int64_t)(intptr_t)process.hProcess;
    child->input = (intptr_t)write_end;
    return true;
}

bool platform_child_write(PlatformChild* child, const void* data, size_t bytes,
                          const volatile std::sig_atomic_t* stop) {
    const char* p = (const char*)data;
    while (bytes > 0) {
        // In pieces, so that a stop request (Ctrl-C) is seen between them.
        if (child->input == -1 || (stop && *stop))
            return false;
        DWORD piece = bytes > (1u << 16) ? (1u << 16) : (DWORD)bytes;
        DWORD written = 0;
        if (!WriteFile((HANDLE)child->input, p, piece, &written, nullptr) || written == 0)
            return false; // the child has gone: the pipe is broken
        p += written;
        bytes -= written;
    }
    return true;
}

void platform_child_close_input(PlatformChild* child) {
    if (child->input != -1)
        CloseHandle((HANDLE)child->input);
    child->input = -1;
}

// How long a wait for the child lasts before the stop flag is looked at again.
static const DWORD platform_child_poll_ms = 10;

// Ends the child at once and reaps it. TerminateProcess is final and needs no grace.
static void platform_child_end(PlatformChild* child) {
    HANDLE process = (HANDLE)(intptr_t)child->process;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    child->process = -1;
}

void platform_child_stop(PlatformChild* child) {
    platform_child_close_input(child);
    if (child->process > 0)
        platform_child_end(child);
}

bool platform_child_wait(PlatformChild* child, const volatile std::sig_atomic_t* stop) {
    platform_child_close_input(child);
    if (child->process <= 0)
        return false;
    HANDLE process = (HANDLE)(intptr_t)child->process;
    // In short waits, so that a stop request (Ctrl-C, set from the console's own thread) is
    // seen while the child still runs.
    DWORD waited;
    while ((waited = WaitForSingleObject(process, platform_child_poll_ms)) == WAIT_TIMEOUT) {
        if (stop && *stop) {
            platform_child_end(child);
            return false;
        }
    }
    DWORD status = 1;
    bool ended = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process, &status);
    CloseHandle(process);
    child->process = -1;
    return ended && status == 0;
}
