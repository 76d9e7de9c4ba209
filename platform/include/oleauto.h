// Windows-shaped automation types (oleaut32): VARIANT with the kinds this
// platform's enumerators hand out, VARIANT_BOOL and the variant enumerator.
#pragma once

#include "objbase.h"

using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

using VARTYPE = std::uint16_t;
constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_UNKNOWN = 13;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    VARIANT_BOOL boolVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    struct {
      PVOID pvRecord;
      PVOID pRecInfo;
    } brecVal;
  };
};
static_assert(sizeof(VARIANT) == 24);
static_assert(offsetof(VARIANT, punkVal) == 8);

// Makes the variant empty without looking at what it held.
void WINAPI VariantInit(VARIANT* variant);
// Releases the interface an interface variant holds and makes it empty.
// Differs from Windows: kinds other than those above give E_INVALIDARG
// (DISP_E_BADVARTYPE on Windows) and stay unchanged.
HRESULT WINAPI VariantClear(VARIANT* variant);

inline constexpr IID IID_IEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Enumerates variants, here interface variants of connections. Next hands
// out up to `count` items and S_OK when it handed out all of them, S_FALSE
// when fewer were left.
struct IEnumVARIANT : IUnknown {
  virtual HRESULT WINAPI Next(ULONG count, VARIANT* items, ULONG* fetched) = 0;

 protected:
  ~IEnumVARIANT() = default;
};
