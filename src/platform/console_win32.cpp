#include "platform/console.h"

#include <cstdio>

#include "platform/win32_support.h"

bool platform_stderr_is_terminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

// oske.exe is a windowed program: started from Explorer it has no standard output anyone
// sees, so a start-up failure is shown in a box as well.
void platform_show_error(const char* message) {
    MessageBoxA(nullptr, message, "OSKE", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// oske.exe has no console: started from cmd or PowerShell, "oske --help" would print into
// nothing. Borrow the parent's console for the streams that lead nowhere. The shell does not
// wait for a windowed program, so the text may come after its next prompt; it is still read.
static bool console_stream_missing(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

void platform_use_parent_console() {
    bool out_missing = console_stream_missing(STD_OUTPUT_HANDLE);
    bool err_missing = console_stream_missing(STD_ERROR_HANDLE);
    if (!(out_missing || err_missing) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (out_missing)
        freopen("CONOUT$", "w", stdout);
    if (err_missing)
        freopen("CONOUT$", "w", stderr);
}
