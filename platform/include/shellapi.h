// Windows-shaped shell API (shell32): opening a document, web address or
// mail link with the desktop's handler.
#pragma once

#include "windows.h"

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

// Opens `file` (a URL, a "mailto:" link or a path) with the desktop's handler
// for it. Only the verb "open" or a null verb is known. Returns a value above
// 32 on success and SE_ERR_NOASSOC (31) when nothing could open it, as
// Windows does.
constexpr int SE_ERR_NOASSOC = 31;
HINSTANCE WINAPI ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, int showCommand);
