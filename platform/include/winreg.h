// Windows-shaped registry API (advapi32): the keys under HKEY_LOCAL_MACHINE
// of the current machine. Key paths are backslash-separated and compare
// without case. Handles are only valid in the process that opened them.
#pragma once

#include "windows.h"

#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key. ERROR_FILE_NOT_FOUND when it does not exist,
// ERROR_ACCESS_DENIED when the machine refuses the access asked for.
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);

// Opens a key, creating it and its missing parents. `disposition` may be null.
// Class, security attributes and options are accepted and ignored.
LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                            REGSAM desired, void* security, PHKEY result, LPDWORD disposition);

LONG WINAPI RegCloseKey(HKEY key);

// Reads a value. With a null `data`, reports type and size only; with a
// buffer that is too small, ERROR_MORE_DATA and the size needed. Strings are
// stored with their terminating zero.
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);

// Writes a value; needs KEY_SET_VALUE on the handle.
LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                           const BYTE* data, DWORD dataSize);

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName);

// Enumerates direct subkeys by index; ERROR_NO_MORE_ITEMS past the last.
// Last-write time and class are not kept and must be null.
LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                          LPSTR keyClass, LPDWORD classSize, void* lastWriteTime);
