// Windows-shaped WinInet: the reachability queries, served by the current
// machine, and synchronous HTTP requests, carried out over libcurl.
#pragma once

#include "windows.h"

using HINTERNET = void*;
using INTERNET_PORT = WORD;

// InternetQueryOptionA options.
constexpr DWORD INTERNET_OPTION_URL = 34;
constexpr DWORD INTERNET_OPTION_CONNECTED_STATE = 50;

// Connected-state bits (INTERNET_OPTION_CONNECTED_STATE).
constexpr DWORD INTERNET_STATE_CONNECTED = 0x1;
constexpr DWORD INTERNET_STATE_DISCONNECTED = 0x2;
constexpr DWORD INTERNET_STATE_DISCONNECTED_BY_USER = 0x10;

// InternetGetConnectedState flags.
constexpr DWORD INTERNET_CONNECTION_MODEM = 0x1;
constexpr DWORD INTERNET_CONNECTION_LAN = 0x2;
constexpr DWORD INTERNET_CONNECTION_PROXY = 0x4;
constexpr DWORD INTERNET_CONNECTION_OFFLINE = 0x20;
constexpr DWORD INTERNET_CONNECTION_CONFIGURED = 0x40;

constexpr DWORD FLAG_ICC_FORCE_CONNECTION = 0x1;

// Errors of the requests (GetLastError).
constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
// A handle used in the wrong state (for example read before it was sent).
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
// No connection to the server could be made.
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr DWORD ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037;
constexpr DWORD ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
constexpr DWORD ERROR_INTERNET_INVALID_CA = 12045;
constexpr DWORD ERROR_INTERNET_SEC_CERT_ERRORS = 12055;
constexpr DWORD ERROR_INTERNET_SEC_CERT_REV_FAILED = 12057;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;
constexpr DWORD ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;
constexpr DWORD ERROR_INTERNET_SEC_CERT_REVOKED = 12170;

constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr DWORD INTERNET_SERVICE_HTTP = 3;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
constexpr DWORD INTERNET_FLAG_PRAGMA_NOCACHE = 0x00000100;
constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;
constexpr DWORD INTERNET_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;
constexpr DWORD INTERNET_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;
constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP = 0x00008000;
constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;
constexpr DWORD INTERNET_FLAG_KEEP_CONNECTION = 0x00400000;

// Reachability, answered by the machine (platform/win32/wininet_state.cpp).
BOOL WINAPI InternetCheckConnectionA(LPCSTR url, DWORD flags, DWORD reserved);
BOOL WINAPI InternetGetConnectedState(LPDWORD flags, DWORD reserved);

// With a null handle and INTERNET_OPTION_CONNECTED_STATE: the machine's
// connected state. With a request handle and INTERNET_OPTION_URL: the
// request's effective URL after redirects.
BOOL WINAPI InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength);

// HTTP requests (platform/win32/wininet_http.cpp).
HINTERNET WINAPI InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
HINTERNET WINAPI InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort, LPCSTR userName,
                                  LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context);
HINTERNET WINAPI HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                                  LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
BOOL WINAPI HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                             DWORD optionalLength);
BOOL WINAPI InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);
BOOL WINAPI InternetCloseHandle(HINTERNET handle);
