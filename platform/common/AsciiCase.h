// Case-insensitive comparison of names the way Windows compares registry and
// profile names for ASCII text.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace plat {

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

inline bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

inline std::string lowerAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), asciiLower);
  return out;
}

}  // namespace plat
