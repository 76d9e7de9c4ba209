#include "rtl/ComObj.h"

#include <cstdio>
#include <new>

namespace {

std::string oleErrorText(HRESULT code) {
  char text[32];
  std::snprintf(text, sizeof text, "OLE error %.8X", static_cast<unsigned>(code));
  return text;
}

}  // namespace

EOleSysError::EOleSysError(HRESULT errorCode) : Exception(oleErrorText(errorCode)), ErrorCode(errorCode) {}

HRESULT OleCheck(HRESULT result) {
  if (FAILED(result)) throw EOleSysError(result);
  return result;
}

std::string GUIDToString(REFGUID guid) {
  LPOLESTR wide = nullptr;
  if (FAILED(StringFromCLSID(guid, &wide))) throw std::bad_alloc();
  // The text form is ASCII.
  std::string text(wide, wide + std::char_traits<OLECHAR>::length(wide));
  CoTaskMemFree(wide);
  return text;
}
