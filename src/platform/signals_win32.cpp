#include "platform/signals.h"

#include "platform/win32_support.h"

static volatile std::sig_atomic_t* platform_stop_flag = nullptr;

// Runs on a thread of its own that Windows starts for each console event.
static BOOL WINAPI platform_on_console_event(DWORD event) {
    if (platform_stop_flag)
        *platform_stop_flag = 1;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE; // handled: the main loop sees the flag and shuts down itself
    // Closing the console, logging off, shutting down: the process ends once this handler
    // returns, so wait here while the main thread cleans up; its exit ends us both.
    Sleep(10000);
    return TRUE;
}

void platform_install_stop_handlers(volatile std::sig_atomic_t* flag) {
    platform_stop_flag = flag;
    SetConsoleCtrlHandler(platform_on_console_event, TRUE);
}
