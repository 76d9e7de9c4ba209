// GUID text as the platform writes it: "{8-4-4-4-12}" hexadecimal digits in
// braces, upper case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plat {

// The standard form of a GUID text given in either letter case; none when the
// text is anything else (other lengths, separators or digits).
std::optional<std::string> canonicalGuidText(std::string_view text);

}  // namespace plat
