// oleaut32 stand-ins: the variants that enumerators hand out.
#include "oleauto.h"

void WINAPI VariantInit(VARIANT* variant) {
  if (variant == nullptr) return;
  std::memset(variant, 0, sizeof(VARIANT));
  variant->vt = VT_EMPTY;
}

HRESULT WINAPI VariantClear(VARIANT* variant) {
  if (variant == nullptr) return E_INVALIDARG;
  switch (variant->vt) {
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (variant->punkVal != nullptr) variant->punkVal->Release();
      break;
    case VT_EMPTY:
    case VT_I4:
    case VT_BOOL:
      break;
    default:
      return E_INVALIDARG;
  }
  VariantInit(variant);
  return S_OK;
}
