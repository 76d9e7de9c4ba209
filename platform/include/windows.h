// Windows-shaped base declarations for Brisklane's platform layer.
//
// The types, constants and functions keep their Windows names, argument order
// and result conventions, so that the program reads as it would against the
// real SDK. Every call is served by the current machine (see
// platform/machine/Machine.h). Only what the program uses is declared.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using CHAR = char;
using WCHAR = char16_t;
using HRESULT = std::int32_t;
using DWORD_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using LPARAM = std::intptr_t;
using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;

using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using PUINT = UINT*;
using PDWORD = DWORD*;
using PULONG = ULONG*;
using PBOOL = BOOL*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;

using HANDLE = void*;
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HWND__;
using HWND = HWND__*;
// void(*)() rather than INT_PTR(*)(): the compiler treats it as the generic
// function pointer that casts to any signature without a warning.
using FARPROC = void (*)();
using REGSAM = DWORD;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD MAX_PATH = 260;

// Error codes (winerror.h).
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_OUTOFMEMORY = 14;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PASSWORD = 86;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_DATA = 232;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_CANTOPEN = 1011;
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_NOT_FOUND = 1168;
constexpr DWORD ERROR_CANT_RESOLVE_FILENAME = 1921;

// Thread's last-error code (kernel32).
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);

// Waits for the given milliseconds. A simulated machine may advance its own
// clock instead of the wall clock.
void WINAPI Sleep(DWORD milliseconds);

// Milliseconds since the machine started, wrapping at 2^32.
DWORD WINAPI GetTickCount();

// Module lookup: only "kernel32" is known. GetProcAddress finds the exports
// the machine offers, by name; an export the machine lacks yields null with
// ERROR_PROC_NOT_FOUND.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
HANDLE WINAPI GetCurrentProcess();

// Operating system version (the 148-byte record).
struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);
using LPOSVERSIONINFOA = OSVERSIONINFOA*;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fails with ERROR_INSUFFICIENT_BUFFER when dwOSVersionInfoSize is not 148.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);

// Signature of the export "IsWow64Process" of kernel32, looked up at run time.
using LPFN_ISWOW64PROCESS = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);

// Formats the system's text for an error code (FORMAT_MESSAGE_FROM_SYSTEM
// only, no inserts). Returns the length written, 0 when the code is unknown
// or the buffer is too small.
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, void* arguments);

// File attributes. A file that nobody may write carries
// FILE_ATTRIBUTE_READONLY, for the administrator (root) too, as the read-only
// attribute does on Windows. Fails with INVALID_FILE_ATTRIBUTES.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);

// Private-profile (INI) files. Section and key names compare without case;
// lines the call does not touch survive a write. A file with
// FILE_ATTRIBUTE_READONLY is not written (ERROR_ACCESS_DENIED). The write
// replaces the file atomically (temporary file beside it, then rename),
// keeping its mode, owner and symbolic link, and writes in place where no
// temporary file can be made; a file it creates is private to its owner.
DWORD WINAPI GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                                      LPSTR returnedString, DWORD size, LPCSTR fileName);
BOOL WINAPI WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value,
                                       LPCSTR fileName);

// File version information. A file carries a version when it holds the
// version note that this project's build embeds; any other file has none.
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);
constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
BOOL WINAPI GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data);
// Only the root block "\\" (the fixed file information) is known.
BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);

#include "winreg.h"
