#include "common/Guid.h"

#include <cctype>

namespace plat {

std::optional<std::string> canonicalGuidText(std::string_view text) {
  constexpr std::string_view shape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (text.size() != shape.size()) return std::nullopt;
  std::string canonical(text);
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (shape[i] != 'X') {
      if (text[i] != shape[i]) return std::nullopt;
    } else if (!std::isxdigit(c)) {
      return std::nullopt;
    } else {
      canonical[i] = static_cast<char>(std::toupper(c));
    }
  }
  return canonical;
}

}  // namespace plat
