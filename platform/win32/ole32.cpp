// ole32 stand-ins: per-thread COM initialisation, creation of the sharing
// manager class, the task allocator and the text form of GUIDs.
#include <cstdlib>

#include "netcon.h"
#include "objbase.h"
#include "win32/hnetcfg_sharing.h"

namespace {

// How many CoInitialize calls of this thread are not yet undone.
thread_local unsigned comInitCount = 0;

constexpr int guidTextLength = 38;

int hexDigit(OLECHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Reads `digits` hexadecimal digits at `text`; false when one is not a digit.
bool readHex(LPCOLESTR text, int digits, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    int digit = hexDigit(text[i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return true;
}

}  // namespace

HRESULT WINAPI CoInitialize(LPVOID reserved) {
  if (reserved != nullptr) return E_INVALIDARG;
  return comInitCount++ == 0 ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize() {
  if (comInitCount > 0) --comInitCount;
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (comInitCount == 0) return CO_E_NOTINITIALIZED;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (clsid != CLSID_NetSharingManager || (context & (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER)) == 0) {
    return REGDB_E_CLASSNOTREG;
  }
  return plat::createNetSharingManager(iid, object);
}

LPVOID WINAPI CoTaskMemAlloc(std::size_t size) { return std::malloc(size); }

void WINAPI CoTaskMemFree(LPVOID block) { std::free(block); }

int WINAPI StringFromGUID2(REFGUID guid, LPOLESTR text, int size) {
  if (text == nullptr || size < guidTextLength + 1) return 0;
  static const char digits[] = "0123456789ABCDEF";
  int at = 0;
  auto put = [&](std::uint32_t value, int count) {
    for (int shift = (count - 1) * 4; shift >= 0; shift -= 4) text[at++] = static_cast<OLECHAR>(digits[(value >> shift) & 0xF]);
  };
  text[at++] = u'{';
  put(guid.Data1, 8);
  text[at++] = u'-';
  put(guid.Data2, 4);
  text[at++] = u'-';
  put(guid.Data3, 4);
  text[at++] = u'-';
  put(guid.Data4[0], 2);
  put(guid.Data4[1], 2);
  text[at++] = u'-';
  for (int i = 2; i < 8; ++i) put(guid.Data4[i], 2);
  text[at++] = u'}';
  text[at++] = 0;
  return at;
}

HRESULT WINAPI StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = static_cast<LPOLESTR>(CoTaskMemAlloc((guidTextLength + 1) * sizeof(OLECHAR)));
  if (*text == nullptr) return E_OUTOFMEMORY;
  StringFromGUID2(clsid, *text, guidTextLength + 1);
  return S_OK;
}

HRESULT WINAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (text == nullptr || clsid == nullptr) return E_INVALIDARG;
  // "{" 8 "-" 4 "-" 4 "-" 4 "-" 12 "}" and the end of the text.
  for (int i = 0; i < guidTextLength; ++i) {
    if (text[i] == 0) return CO_E_CLASSSTRING;
  }
  if (text[0] != u'{' || text[9] != u'-' || text[14] != u'-' || text[19] != u'-' || text[24] != u'-' ||
      text[37] != u'}' || text[38] != 0) {
    return CO_E_CLASSSTRING;
  }
  GUID guid{};
  std::uint32_t value = 0;
  if (!readHex(text + 1, 8, value)) return CO_E_CLASSSTRING;
  guid.Data1 = value;
  if (!readHex(text + 10, 4, value)) return CO_E_CLASSSTRING;
  guid.Data2 = static_cast<WORD>(value);
  if (!readHex(text + 15, 4, value)) return CO_E_CLASSSTRING;
  guid.Data3 = static_cast<WORD>(value);
  const int byteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!readHex(text + byteAt[i], 2, value)) return CO_E_CLASSSTRING;
    guid.Data4[i] = static_cast<BYTE>(value);
  }
  *clsid = guid;
  return S_OK;
}
