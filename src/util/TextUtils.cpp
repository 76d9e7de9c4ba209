#include "util/TextUtils.h"

#include <algorithm>
#include <iterator>

#include <utf8.h>

namespace {

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace

std::string Trim(std::string_view text) {
  auto first = std::find_if_not(text.begin(), text.end(), isBlankOrControl);
  auto last = std::find_if_not(text.rbegin(), text.rend(), isBlankOrControl).base();
  return first < last ? std::string(first, last) : std::string();
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return asciiUpper(x) == asciiUpper(y); });
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), asciiUpper);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::string valid;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid));
  std::u16string out;
  utf8::utf8to16(valid.begin(), valid.end(), std::back_inserter(out));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  // Lone surrogates are replaced one unit at a time, so the rest survives.
  std::u16string valid;
  valid.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      valid += unit;
      valid += text[++i];
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      valid += u'\uFFFD';
    } else {
      valid += unit;
    }
  }
  std::string out;
  utf8::utf16to8(valid.begin(), valid.end(), std::back_inserter(out));
  return out;
}
