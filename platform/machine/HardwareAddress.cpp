#include "machine/HardwareAddress.h"

namespace plat {
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

std::optional<std::vector<std::uint8_t>> parseHardwareAddress(std::string_view text, std::size_t maxBytes) {
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;
  while (at < text.size()) {
    if (at + 2 > text.size()) return std::nullopt;
    const int high = hexDigit(text[at]);
    const int low = hexDigit(text[at + 1]);
    if (high < 0 || low < 0 || bytes.size() == maxBytes) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    at += 2;
    if (at < text.size() && (text[at] == '-' || text[at] == ':')) {
      if (++at == text.size()) return std::nullopt;  // a separator ends nothing
    }
  }
  return bytes;
}

std::string formatHardwareAddress(const std::vector<std::uint8_t>& bytes, char separator) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (const auto byte : bytes) {
    if (!text.empty()) text += separator;
    text += digits[byte >> 4];
    text += digits[byte & 0xF];
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

}  // namespace plat
