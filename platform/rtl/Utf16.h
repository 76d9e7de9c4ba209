// Conversion between 8-bit text (UTF-8 on this platform) and the UTF-16 text
// of the Windows-shaped calls, for the program and the platform alike.
#pragma once

#include <string>
#include <string_view>

// Never fail: each malformed UTF-8 sequence, and each surrogate without its
// partner, becomes U+FFFD and the rest of the text survives.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// False when the text holds a surrogate without its partner, which
// Utf16ToUtf8 would replace: for calls that refuse such text.
bool IsWellFormedUtf16(std::u16string_view text);
