// UTF-16 text of the Windows-shaped calls and UTF-8 text of the machine.
#pragma once

#include <optional>
#include <string>

#include "windows.h"

namespace plat {

// None for a null pointer or malformed UTF-16 (a lone surrogate).
std::optional<std::string> toUtf8(LPCWSTR text);

// Malformed UTF-8 becomes U+FFFD.
std::u16string toUtf16(const std::string& text);

}  // namespace plat
