// UTF-16 text of the Windows-shaped calls and UTF-8 text of the machine.
#pragma once

#include <optional>
#include <string>

#include "rtl/Utf16.h"
#include "windows.h"

namespace plat {

// None for a null pointer or malformed UTF-16 (a lone surrogate): the calls
// refuse such names rather than pass on a changed one.
inline std::optional<std::string> toUtf8(LPCWSTR text) {
  if (text == nullptr || !IsWellFormedUtf16(text)) return std::nullopt;
  return Utf16ToUtf8(text);
}

// Malformed UTF-8 becomes U+FFFD.
inline std::u16string toUtf16(const std::string& text) { return Utf8ToUtf16(text); }

}  // namespace plat
