// Hardware addresses as text, the way scenarios, the air, the system's own
// tables and NetworkManager write them; and the bit that tells an address a
// computer gave itself.
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
// pairs, or longer than `maxBytes`.
std::optional<std::vector<std::uint8_t>> parseHardwareAddress(std::string_view text,
                                                              std::size_t maxBytes = maxHardwareAddressBytes);

// Upper-case byte pairs between separators: "00-1A-2B-3C-4D-5E" as Windows
// writes them, "00:1A:2B:3C:4D:5E" with ':' as NetworkManager and the kernel
// do; empty for no bytes.
std::string formatHardwareAddress(const std::vector<std::uint8_t>& bytes, char separator = '-');

// Whether the address was assigned locally (the second-lowest bit of its
// first byte) rather than burnt in by the maker: the mark of a network
// hosted by a computer.
bool isLocallyAdministered(const std::vector<std::uint8_t>& address);

// The locally administered, individual (unicast) twin of an address.
std::vector<std::uint8_t> locallyAdministered(std::vector<std::uint8_t> address);

}  // namespace plat
