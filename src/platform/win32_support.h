// Small pieces the Windows implementations of the platform layer share: the folder of our own
// executable and the text of a Windows error code.
#pragma once

#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The folder oske.exe (or oske-capture.exe) was started from, without a trailing separator.
std::string win32_executable_dir();
// What GetLastError()'s code means, in one line.
std::string win32_error_text(DWORD code);
