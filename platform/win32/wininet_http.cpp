// wininet stand-ins for synchronous HTTP requests, and InternetQueryOptionA.
//
// The requests are carried out over libcurl in the platform's HTTP library
// (http/HttpLibrary.h), which InternetOpenA loads at its first call: until a
// program asks for a request, neither that library nor libcurl is in the
// process. Every other handle comes from a root handle, so before the library
// is loaded each handle is invalid.
//
// Failures of a transfer set the WinInet error of libcurl's result; a
// cancelled call sets ERROR_INTERNET_OPERATION_CANCELLED.
//
// Where this differs from Windows:
// - Server certificates are always verified (against the system's
//   authorities, or the bundle SSL_CERT_FILE names); the flags that relax the
//   check are refused.
// - Time-outs: 15 s to connect, 60 s for the whole request.
// - Only what the program asks for is supported: the preconfigured (proxy
//   environment) access type, the HTTP service, GET without extra headers,
//   body or accepted types.
#include <cstdint>
#include <cstring>

#include "http/HttpLibrary.h"
#include "machine/InternetBackend.h"
#include "machine/Machine.h"
#include "win32/MachineCodes.h"
#include "wininet.h"

namespace {

// The loaded library, or null with ERROR_INVALID_HANDLE: no handle can exist
// before a root handle has loaded it.
const plat::HttpFunctions* libraryOfHandle() {
  const plat::HttpFunctions* http = plat::loadedHttpLibrary();
  if (http == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return http;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

}  // namespace

// Opens the root handle. Takes the agent name sent as the user agent; only
// INTERNET_OPEN_TYPE_PRECONFIG (the proxy environment: http_proxy,
// https_proxy, no_proxy), whose proxy texts are ignored, and flags 0. Fails
// with ERROR_MOD_NOT_FOUND when the HTTP library cannot be loaded.
HINTERNET WINAPI InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR /*proxy*/, LPCSTR /*proxyBypass*/, DWORD flags) {
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG || flags != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  const plat::HttpFunctions* http = plat::httpLibrary();
  return http != nullptr ? http->internetOpen(agent) : nullptr;
}

// Names the server for later requests; no traffic. Takes a root handle; only
// INTERNET_SERVICE_HTTP without user name or password. Port 0 means the
// scheme's default.
HINTERNET WINAPI InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort, LPCSTR userName,
                                  LPCSTR password, DWORD service, DWORD /*flags*/, DWORD_PTR /*context*/) {
  const plat::HttpFunctions* http = libraryOfHandle();
  return http != nullptr ? http->internetConnect(internet, serverName, serverPort, userName, password, service)
                         : nullptr;
}

// Prepares a request; no traffic. Takes a connection handle, the verb "GET"
// (null means GET), the object name (the request target; a missing leading
// "/" is added), "HTTP/1.0" or "HTTP/1.1" (null), a referrer (empty: none),
// no accepted types, and flags: INTERNET_FLAG_SECURE for https; the
// IGNORE_REDIRECT_TO_HTTP(S) flags allow redirects that switch scheme; cache
// flags have nothing to do (nothing is cached). Flags that relax the
// certificate check fail with ERROR_NOT_SUPPORTED.
HINTERNET WINAPI HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                                  LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR /*context*/) {
  const plat::HttpFunctions* http = libraryOfHandle();
  return http != nullptr ? http->httpOpenRequest(connect, verb, objectName, version, referrer, acceptTypes, flags)
                         : nullptr;
}

// Sends the request and receives the final response head, following
// redirects. Takes a request handle; no extra headers, no body. The headers
// sent are Host and User-Agent (and Referer when one was given), nothing
// else. Fails with the WinInet error of the transfer.
BOOL WINAPI HttpSendRequestA(HINTERNET handle, LPCSTR headers, DWORD headersLength, LPVOID optional,
                             DWORD optionalLength) {
  const plat::HttpFunctions* http = libraryOfHandle();
  return http != nullptr ? http->httpSendRequest(handle, headers, headersLength, optional, optionalLength) : FALSE;
}

// Reads the next body bytes into the buffer: it is filled unless the body
// ends first; 0 bytes read means the end. A transfer that fails midway hands
// out what arrived before the failure, and the next call fails with the
// transfer's error.
BOOL WINAPI InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) {
  const plat::HttpFunctions* http = libraryOfHandle();
  return http != nullptr ? http->internetReadFile(file, buffer, bytesToRead, bytesRead) : FALSE;
}

// With a null handle and INTERNET_OPTION_CONNECTED_STATE: the machine's
// INTERNET_STATE_* bits as a DWORD. With a request handle and
// INTERNET_OPTION_URL: the request's URL as zero-terminated text, after
// HttpSendRequestA the one finally reached after redirects; *bufferLength
// receives the length without the zero. A buffer too small fails with
// ERROR_INSUFFICIENT_BUFFER and *bufferLength the size needed. Other options
// fail with ERROR_NOT_SUPPORTED.
BOOL WINAPI InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength) {
  if (bufferLength == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (handle != nullptr) {
    const plat::HttpFunctions* http = libraryOfHandle();
    return http != nullptr ? http->internetQueryOption(handle, option, buffer, bufferLength) : FALSE;
  }
  if (option != INTERNET_OPTION_CONNECTED_STATE) return fail(ERROR_NOT_SUPPORTED);
  if (buffer == nullptr || *bufferLength < sizeof(DWORD)) {
    *bufferLength = sizeof(DWORD);
    return fail(ERROR_INSUFFICIENT_BUFFER);
  }
  bool offline = false;
  if (!plat::currentMachine()->internet().workingOffline(offline)) return fail(ERROR_NOT_SUPPORTED);
  const DWORD value = plat::connectedStateCode(offline);
  std::memcpy(buffer, &value, sizeof value);
  *bufferLength = sizeof value;
  return TRUE;
}

// Closes any of the handles above. A call running on the handle or on one of
// its children in another thread ends promptly, failing with
// ERROR_INTERNET_OPERATION_CANCELLED (a read that already has bytes returns
// them).
BOOL WINAPI InternetCloseHandle(HINTERNET handle) {
  const plat::HttpFunctions* http = libraryOfHandle();
  return http != nullptr ? http->internetCloseHandle(handle) : FALSE;
}
