// The platform's HTTP library, libbrisklane_curl.so: everything that uses
// libcurl (WinInet's request handles, and a connection probe for machines
// that try real servers). libcurl brings TLS, Kerberos, LDAP, SSH and more
// libraries with it; a run that makes no request (update checks are off by
// default) should not map, relocate and initialise them at every start, so
// the library is loaded from beside the platform library at its first use.
#pragma once

#include <cstddef>

#include "wininet.h"

namespace plat {

// What the library offers. The request functions take and give what their
// WinInet namesakes do (see win32/wininet_http.cpp), the last error included.
struct HttpFunctions {
  std::size_t size;  // sizeof(HttpFunctions) of the library's build
  HINTERNET (*internetOpen)(LPCSTR agent);  // access type and flags checked by the caller
  HINTERNET (*internetConnect)(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort, LPCSTR userName,
                               LPCSTR password, DWORD service);
  HINTERNET (*httpOpenRequest)(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version, LPCSTR referrer,
                               LPCSTR* acceptTypes, DWORD flags);
  BOOL (*httpSendRequest)(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                          DWORD optionalLength);
  BOOL (*internetReadFile)(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);
  // INTERNET_OPTION_URL of a request handle.
  BOOL (*internetQueryOption)(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength);
  BOOL (*internetCloseHandle)(HINTERNET handle);
  // Whether a TCP connection to the server of `url` (its port, else its
  // scheme's) can be made within `timeoutMs`; nothing is sent.
  bool (*canConnect)(const char* url, long timeoutMs);
};

// The library's functions, loaded at the first call. Null when the library
// cannot be loaded (the reason goes to stderr once), with the last error
// ERROR_MOD_NOT_FOUND, or ERROR_PROC_NOT_FOUND for a library of another build.
const HttpFunctions* httpLibrary();

// The library's functions when an earlier call has loaded it, else null: no
// handle of the library can exist before.
const HttpFunctions* loadedHttpLibrary();

}  // namespace plat

// The one symbol the library exports for the loader.
extern "C" const plat::HttpFunctions* brisklane_curl_functions();
