#include "util/TextUtils.h"

#include <algorithm>

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
