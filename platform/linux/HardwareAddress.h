// Hardware addresses as NetworkManager writes them ("00:1A:2B:3C:4D:5E").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::lnx {

// The bytes of colon-separated hexadecimal text; empty when the text is not
// such an address.
std::vector<std::uint8_t> parseHardwareAddress(const std::string& text);

// Upper-case colon-separated text.
std::string formatHardwareAddress(const std::vector<std::uint8_t>& address);

// Whether the address was assigned locally (the second-lowest bit of its
// first byte) rather than burnt in by the maker: the mark of a network
// hosted by a computer.
bool isLocallyAdministered(const std::vector<std::uint8_t>& address);

// The locally administered, individual (unicast) twin of an address.
std::vector<std::uint8_t> locallyAdministered(std::vector<std::uint8_t> address);

}  // namespace plat::lnx
