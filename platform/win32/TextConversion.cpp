#include "win32/TextConversion.h"

#include <iterator>
#include <string_view>

#include <utf8.h>

namespace plat {

std::optional<std::string> toUtf8(LPCWSTR text) {
  if (text == nullptr) return std::nullopt;
  const std::u16string_view units(text);
  std::string out;
  try {
    utf8::utf16to8(units.begin(), units.end(), std::back_inserter(out));
  } catch (const utf8::exception&) {
    return std::nullopt;
  }
  return out;
}

std::u16string toUtf16(const std::string& text) {
  std::string valid;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid));
  std::u16string out;
  utf8::utf8to16(valid.begin(), valid.end(), std::back_inserter(out));
  return out;
}

}  // namespace plat
