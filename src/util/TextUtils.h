// Text helpers shared by the program: trimming as the program's rules say it
// ("blanks and control characters at both ends"), letter-case comparison, and
// the runtime's conversion between the program's 8-bit text and the UTF-16
// text of the wireless library and the sharing service (Utf16.h).
#pragma once

#include <string>
#include <string_view>

#include "Utf16.h"

// Removes characters up to and including the blank (codes 0 to 32) at both ends.
std::string Trim(std::string_view text);

// Equal without regard to ASCII letter case.
bool SameText(std::string_view a, std::string_view b);

std::string UpperCase(std::string_view text);
