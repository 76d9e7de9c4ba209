// WinInet's request handles over libcurl. Each function takes and gives what
// its WinInet namesake does (win32/wininet_http.cpp describes them).
#pragma once

#include "wininet.h"

namespace plat::curl {

// The access type and flags are checked by the caller.
HINTERNET internetOpen(LPCSTR agent);
HINTERNET internetConnect(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort, LPCSTR userName,
                          LPCSTR password, DWORD service);
HINTERNET httpOpenRequest(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version, LPCSTR referrer,
                          LPCSTR* acceptTypes, DWORD flags);
BOOL httpSendRequest(HINTERNET handle, LPCSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength);
BOOL internetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);
// INTERNET_OPTION_URL of a request handle.
BOOL internetQueryOption(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength);
BOOL internetCloseHandle(HINTERNET handle);

}  // namespace plat::curl
