#include "linux/MachineDevices.h"

#include <algorithm>
#include <map>

#include "linux/kernel/DeviceGuid.h"
#include "linux/nm/NmReplies.h"
#include "machine/Refusal.h"

namespace plat::lnx {
namespace {

// A Wi-Fi card NetworkManager leaves alone is listed all the same: chosen as
// the wireless side, Start WiFi then says why it cannot host on it, where
// without it the page would only ask for the Wi-Fi switch to be turned on.
bool hasConnection(const NetworkDevice& device) {
  return device.kind == DeviceKind::Wifi ||
         (device.managed && (device.kind == DeviceKind::Ethernet || device.kind == DeviceKind::Modem));
}

const std::string& addressInterface(const NetworkDevice& device) {
  return device.ipInterfaceName.empty() ? device.interfaceName : device.ipInterfaceName;
}

// What the user calls the device's kind; a second device of a kind gets a
// number, as Windows numbers its connections.
std::string connectionName(DeviceKind kind, std::map<DeviceKind, int>& seen) {
  const char* label = kind == DeviceKind::Wifi ? "Wi-Fi" : kind == DeviceKind::Modem ? "Mobile broadband" : "Ethernet";
  const int number = ++seen[kind];
  return number == 1 ? label : std::string(label) + " " + std::to_string(number);
}

}  // namespace

bool MachineDevice::wireless() const {
  return managed ? managed->kind == DeviceKind::Wifi : kernel && kernel->wireless;
}

std::string guidOf(const std::vector<std::uint8_t>& hardwareAddress, const std::string& interfaceName) {
  if (!hardwareAddress.empty()) return deviceGuid(hardwareAddress);
  return deviceGuid(std::vector<std::uint8_t>(interfaceName.begin(), interfaceName.end()));
}

std::string guidOf(const NetworkDevice& device) {
  return guidOf(device.permanentHardwareAddress, device.interfaceName);
}

std::vector<MachineDevice> machineDevices(DeviceInventory& inventory, const std::filesystem::path& root) {
  const std::vector<NetworkDevice> known = inventory.devices();
  std::vector<KernelInterface> kernels = kernelInterfaces(root);
  auto takeKernel = [&](const std::string& name) -> std::optional<KernelInterface> {
    auto it = std::find_if(kernels.begin(), kernels.end(), [&](const auto& kernel) { return kernel.name == name; });
    if (it == kernels.end()) return std::nullopt;
    KernelInterface kernel = std::move(*it);
    kernels.erase(it);
    return kernel;
  };

  std::vector<MachineDevice> devices;
  std::map<DeviceKind, int> seen;
  for (const NetworkDevice& device : known) {
    if (!hasConnection(device)) continue;
    devices.push_back({guidOf(device), device, takeKernel(addressInterface(device)), connectionName(device.kind, seen)});
  }
  for (KernelInterface& kernel : kernels) {
    if (kernel.hardwareId.empty() || kernel.linkType != linkTypeEthernet) continue;
    auto knownDevice = std::find_if(known.begin(), known.end(), [&](const auto& device) {
      return device.interfaceName == kernel.name;
    });
    std::string guid = knownDevice != known.end() ? guidOf(*knownDevice) : guidOf(kernel.hardwareAddress, kernel.name);
    devices.push_back({std::move(guid), std::nullopt, std::move(kernel), {}});
  }
  return devices;
}

DeviceView::DeviceView(DeviceInventory& inventory, std::filesystem::path root)
    : inventory_(inventory), root_(std::move(root)) {}

std::vector<MachineDevice> DeviceView::lookAgain() {
  std::vector<MachineDevice> devices;
  try {
    devices = machineDevices(inventory_, root_);
  } catch (const nm::UnexpectedReply& reply) {
    setRefusal(nm::replyNotUnderstood(reply));
  }
  std::lock_guard lock(mutex_);
  last_ = devices;
  return devices;
}

std::vector<MachineDevice> DeviceView::lastLook() {
  {
    std::lock_guard lock(mutex_);
    if (last_) return *last_;
  }
  return lookAgain();
}

}  // namespace plat::lnx
