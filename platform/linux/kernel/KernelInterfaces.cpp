#include "linux/kernel/KernelInterfaces.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "linux/kernel/SystemFiles.h"
#include "machine/HardwareAddress.h"

namespace plat::lnx {
namespace {

namespace fs = std::filesystem;

constexpr unsigned long interfaceUp = 0x1;  // IFF_UP
constexpr std::size_t attributeLimit = 64 << 10;  // a sysfs attribute is a page at most; a uevent file too

std::string firstLine(const fs::path& file) {
  const std::string text = readSystemFile(file, attributeLimit).value_or("");
  return text.substr(0, text.find('\n'));
}

// A decimal or (with base 16) hexadecimal attribute; none when the file is
// missing, unreadable (a "speed" of a link that is down) or negative.
std::optional<unsigned long> number(const fs::path& file, int base = 10) {
  const std::string text = firstLine(file);
  if (text.empty() || text.front() == '-') return std::nullopt;
  try {
    return std::stoul(text, nullptr, base);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The value of KEY= in a device's uevent file, or empty.
std::string ueventValue(const fs::path& device, const std::string& key) {
  std::istringstream in(readSystemFile(device / "uevent", attributeLimit).value_or(""));
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
  }
  return {};
}

// "8086:02F0" to "8086", "02F0"; empty parts when malformed.
std::pair<std::string, std::string> idPair(const std::string& text, char separator) {
  const auto at = text.find(separator);
  if (at == std::string::npos) return {};
  return {upper(text.substr(0, at)), upper(text.substr(at + 1))};
}

// A USB PRODUCT value ("bda/8153/3100") names vendor and product in
// hexadecimal without leading zeros.
std::string fourDigits(const std::string& hex) { return std::string(hex.size() < 4 ? 4 - hex.size() : 0, '0') + hex; }

std::string windowsStyleId(const std::string& bus, const fs::path& device) {
  const std::string instance = device.filename().string();
  if (bus == "pci") {
    const auto [vendor, product] = idPair(ueventValue(device, "PCI_ID"), ':');
    if (vendor.empty()) return "PCI\\" + instance;
    std::string id = "PCI\\VEN_" + vendor + "&DEV_" + product;
    const auto [subVendor, subDevice] = idPair(ueventValue(device, "PCI_SUBSYS_ID"), ':');
    if (!subVendor.empty()) id += "&SUBSYS_" + subDevice + subVendor;
    return id + "\\" + instance;
  }
  if (bus == "usb") {
    const std::string product = ueventValue(device, "PRODUCT");
    const auto [vendor, rest] = idPair(product, '/');
    const auto productId = rest.substr(0, rest.find('/'));
    if (vendor.empty() || productId.empty()) return "USB\\" + instance;
    return "USB\\VID_" + fourDigits(vendor) + "&PID_" + fourDigits(productId) + "\\" + instance;
  }
  return upper(bus) + "\\" + instance;
}

// The bus device behind an interface's "device" link; a paravirtual
// (virtio) function stands for the PCI device it belongs to.
std::string hardwareId(const fs::path& interfaceFolder) {
  std::error_code error;
  fs::path device = fs::canonical(interfaceFolder / "device", error);
  if (error) return {};
  std::string bus = fs::read_symlink(device / "subsystem", error).filename().string();
  if (!error && bus == "virtio") {
    device = device.parent_path();
    bus = fs::read_symlink(device / "subsystem", error).filename().string();
  }
  if (error || bus.empty()) return {};
  return windowsStyleId(bus, device);
}

}  // namespace

std::optional<KernelInterface> readKernelInterface(const fs::path& root, const std::string& name) {
  const fs::path folder = root / "sys/class/net" / name;
  const auto index = number(folder / "ifindex");
  if (name.empty() || name.find('/') != std::string::npos || !index) return std::nullopt;
  KernelInterface kernel;
  kernel.name = name;
  kernel.index = static_cast<std::uint32_t>(*index);
  kernel.linkType = static_cast<std::uint32_t>(number(folder / "type").value_or(0));
  std::error_code error;
  kernel.wireless = fs::exists(folder / "wireless", error) || fs::exists(folder / "phy80211", error);
  kernel.mtu = static_cast<std::uint32_t>(number(folder / "mtu").value_or(0));
  kernel.speedMbps = static_cast<std::uint32_t>(number(folder / "speed").value_or(0));
  kernel.hardwareAddress = parseHardwareAddress(firstLine(folder / "address"), kernelMaxAddressBytes).value_or(std::vector<std::uint8_t>{});
  kernel.up = (number(folder / "flags", 16).value_or(0) & interfaceUp) != 0;
  kernel.operState = firstLine(folder / "operstate");
  kernel.hardwareId = hardwareId(folder);
  return kernel;
}

std::vector<KernelInterface> kernelInterfaces(const fs::path& root) {
  std::vector<KernelInterface> interfaces;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root / "sys/class/net", error)) {
    if (auto kernel = readKernelInterface(root, entry.path().filename().string())) interfaces.push_back(std::move(*kernel));
  }
  std::sort(interfaces.begin(), interfaces.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
  return interfaces;
}

}  // namespace plat::lnx
