#include "linux/HardwareAddress.h"

#include <cstdio>

namespace plat::lnx {
namespace {

constexpr std::uint8_t localBit = 0x02;
constexpr std::uint8_t groupBit = 0x01;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<std::uint8_t> parseHardwareAddress(const std::string& text) {
  // Two digits per byte, a colon between bytes.
  if (text.empty() || (text.size() + 1) % 3 != 0) return {};
  std::vector<std::uint8_t> address;
  for (std::size_t i = 0; i < text.size(); i += 3) {
    const int high = hexDigit(text[i]);
    const int low = hexDigit(text[i + 1]);
    if (high < 0 || low < 0 || (i + 2 < text.size() && text[i + 2] != ':')) return {};
    address.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return address;
}

std::string formatHardwareAddress(const std::vector<std::uint8_t>& address) {
  std::string text;
  for (std::uint8_t byte : address) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    if (!text.empty()) text += ':';
    text += digits;
  }
  return text;
}

bool isLocallyAdministered(const std::vector<std::uint8_t>& address) {
  return !address.empty() && (address.front() & localBit) != 0;
}

std::vector<std::uint8_t> locallyAdministered(std::vector<std::uint8_t> address) {
  if (!address.empty()) address.front() = static_cast<std::uint8_t>((address.front() | localBit) & ~groupBit);
  return address;
}

}  // namespace plat::lnx
