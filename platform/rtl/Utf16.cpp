#include "rtl/Utf16.h"

#include <iterator>

#include <utf8.h>

namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// How many units the character at `at` takes: 1 or 2, or 0 for a surrogate
// without its partner.
std::size_t unitsAt(std::u16string_view text, std::size_t at) {
  const char16_t unit = text[at];
  if (isHighSurrogate(unit)) return at + 1 < text.size() && isLowSurrogate(text[at + 1]) ? 2 : 0;
  return isLowSurrogate(unit) ? 0 : 1;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::string valid;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid));
  std::u16string out;
  utf8::utf8to16(valid.begin(), valid.end(), std::back_inserter(out));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t units = unitsAt(text, at);
    char32_t codePoint = 0xFFFD;
    if (units == 1) codePoint = text[at];
    if (units == 2) codePoint = 0x10000 + ((text[at] - 0xD800u) << 10) + (text[at + 1] - 0xDC00u);
    utf8::append(codePoint, std::back_inserter(out));
    at += units == 0 ? 1 : units;
  }
  return out;
}

bool IsWellFormedUtf16(std::u16string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t units = unitsAt(text, at);
    if (units == 0) return false;
    at += units;
  }
  return true;
}
