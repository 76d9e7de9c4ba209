// Hardware addresses as text, the way scenarios, the air and the system's
// own tables write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// The most bytes a hardware address has here (MAX_ADAPTER_ADDRESS_LENGTH).
inline constexpr std::size_t maxHardwareAddressBytes = 8;

// "00-1A-2B-3C-4D-5E", "00:1a:2b:3c:4d:5e" or "001A2B3C4D5E" to bytes; empty
// text gives no bytes. None when the text is anything but hexadecimal byte
// pairs, or longer than maxHardwareAddressBytes.
std::optional<std::vector<std::uint8_t>> parseHardwareAddress(std::string_view text);

// "00-1A-2B-3C-4D-5E"; empty for no bytes.
std::string formatHardwareAddress(const std::vector<std::uint8_t>& bytes);

}  // namespace plat
