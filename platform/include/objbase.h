// Windows-shaped COM basics (ole32): GUIDs and their text form, HRESULT
// codes, the reference-counted IUnknown, the per-thread COM initialisation
// and the creation of the one class this platform serves, the connection
// sharing manager. This is not a general COM: there is no registration, no
// marshalling and no apartment beyond a per-thread initialisation count.
#pragma once

#include <cstring>

#include "windows.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
static_assert(sizeof(GUID) == 16);
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPCLSID = CLSID*;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }

using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

constexpr HRESULT MakeHResult(std::uint32_t code) { return static_cast<HRESULT>(code); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
// The HRESULT that carries a Win32 error code.
constexpr HRESULT HRESULT_FROM_WIN32(DWORD code) {
  return code == 0 ? 0 : MakeHResult((code & 0xFFFFu) | 0x80070000u);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0u);
constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3u);

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The root of every interface. An object is destroyed by the Release that
// drops its count to zero; it is never deleted through an interface pointer.
struct IUnknown {
  virtual HRESULT WINAPI QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG WINAPI AddRef() = 0;
  virtual ULONG WINAPI Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Marks the dual interfaces of a type library. Late binding (GetIDsOfNames,
// Invoke) is not offered: callers bind through the interfaces' own methods.
struct IDispatch : IUnknown {
 protected:
  ~IDispatch() = default;
};

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

// Initialises COM for the calling thread: S_OK the first time, S_FALSE when
// the thread had it already (every success needs its CoUninitialize).
// `reserved` must be null (E_INVALIDARG otherwise).
HRESULT WINAPI CoInitialize(LPVOID reserved);
// Ends one CoInitialize of the calling thread; nothing when there is none.
void WINAPI CoUninitialize();

// Creates an object of a class and returns its interface `iid`. Only the
// connection sharing manager (CLSID_NetSharingManager) is served, in process
// or as a local server; any other class gives REGDB_E_CLASSNOTREG.
// CO_E_NOTINITIALIZED when the calling thread has not initialised COM,
// CLASS_E_NOAGGREGATION with an outer object.
HRESULT WINAPI CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object);

// The task allocator, which allocates what COM calls hand to their callers.
LPVOID WINAPI CoTaskMemAlloc(std::size_t size);
void WINAPI CoTaskMemFree(LPVOID block);

// The standard text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case
// hexadecimal). StringFromGUID2 writes it with its NUL and returns the count
// written (39), or 0 when `size` is below 39. StringFromCLSID allocates it with
// CoTaskMemAlloc; the caller frees it with CoTaskMemFree.
int WINAPI StringFromGUID2(REFGUID guid, LPOLESTR text, int size);
HRESULT WINAPI StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
// Parses the braced text form (digits in either case); CO_E_CLASSSTRING when
// the text is not one.
HRESULT WINAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
