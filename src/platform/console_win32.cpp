#include "platform/console.h"

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
