#include "linux/LinuxNetwork.h"

#include <algorithm>
#include <limits>

#include <nlohmann/json.hpp>

#include "common/AsciiCase.h"
#include "linux/kernel/DefaultRoutes.h"
#include "machine/Refusal.h"
#include "store/SharingRoles.h"

namespace plat::lnx {
namespace {

bool isModem(const MachineDevice& device) {
  return device.managed ? device.managed->kind == DeviceKind::Modem : device.kernel->linkType == linkTypePpp;
}

InterfaceType interfaceType(const MachineDevice& device) {
  if (device.wireless()) return InterfaceType::Wireless;
  return isModem(device) ? InterfaceType::Ppp : InterfaceType::Ethernet;
}

// The kernel's operational state (RFC 2863 names) as a link state.
LinkState linkState(const KernelInterface& kernel) {
  if (kernel.operState == "up") return LinkState::Operational;
  if (kernel.operState == "dormant") return LinkState::Connecting;
  if (kernel.operState == "notpresent") return LinkState::NonOperational;
  // Loopback and point-to-point links do not track their state: "unknown".
  if (kernel.operState == "unknown" && kernel.up) return LinkState::Operational;
  return LinkState::Disconnected;
}

InterfaceRow interfaceRow(const KernelInterface& kernel, InterfaceType type, std::string name) {
  InterfaceRow row;
  row.name = std::move(name);
  row.index = kernel.index;
  row.type = type;
  row.mtu = kernel.mtu;
  const std::uint64_t bitsPerSecond = std::uint64_t{kernel.speedMbps} * 1000000u;
  row.speed = static_cast<std::uint32_t>(std::min<std::uint64_t>(bitsPerSecond, std::numeric_limits<std::uint32_t>::max()));
  row.hardwareAddress = kernel.hardwareAddress;
  row.enabled = kernel.up;
  row.state = linkState(kernel);
  row.description = kernel.name;
  return row;
}

// "Wi-Fi (wlp2s0)": how refusals name a connection.
std::string shownName(const MachineDevice& device) {
  return device.connectionName + " (" + device.managed->interfaceName + ")";
}

}  // namespace

LinuxNetwork::LinuxNetwork(DeviceView& devices, std::optional<std::filesystem::path> sharingFile, AddressSource addresses)
    : devices_(devices),
      addresses_(std::move(addresses)),
      sharing_(std::make_unique<SharingRoles>(nlohmann::json(), std::move(sharingFile))) {}

LinuxNetwork::~LinuxNetwork() = default;

std::vector<NetworkAdapter> LinuxNetwork::adapters() {
  const AddressesByInterface addresses = addresses_();
  const std::vector<DefaultRoute> routes = defaultRoutes(devices_.root());
  std::vector<NetworkAdapter> adapters;
  for (const MachineDevice& device : devices_.lookAgain()) {
    if (!device.kernel) continue;
    const KernelInterface& kernel = *device.kernel;
    NetworkAdapter adapter;
    adapter.name = device.guid;
    adapter.description = kernel.name;
    adapter.index = kernel.index;
    adapter.type = interfaceType(device);
    adapter.hardwareAddress = kernel.hardwareAddress;
    if (device.managed) {
      adapter.dhcpEnabled = device.managed->dhcp;
      adapter.dhcpServer = device.managed->dhcpServer;
    }
    if (auto it = addresses.find(kernel.name); it != addresses.end()) adapter.addresses = it->second;
    // Windows lists an adapter without an address with the empty address.
    if (adapter.addresses.empty()) adapter.addresses.push_back({"0.0.0.0", "0.0.0.0"});
    for (const DefaultRoute& route : routes) {
      if (route.interfaceName == kernel.name && !route.gateway.empty()) adapter.gateways.push_back(route.gateway);
    }
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

std::vector<InterfaceRow> LinuxNetwork::interfaceRows() {
  std::vector<InterfaceRow> rows;
  for (const MachineDevice& device : devices_.lookAgain()) {
    if (device.kernel) rows.push_back(interfaceRow(*device.kernel, interfaceType(device), "\\DEVICE\\TCPIP_" + device.guid));
  }
  if (auto loopback = readKernelInterface(devices_.root(), "lo")) rows.push_back(interfaceRow(*loopback, InterfaceType::Loopback, ""));
  return rows;
}

// A walk of the connections begins: its questions are answered from this
// look, and no reason of an earlier call stands for a failure of this walk.
SharingResult LinuxNetwork::openSharingService() {
  clearRefusal();
  devices_.lookAgain();
  return SharingStatus::Ok;
}

std::vector<std::string> LinuxNetwork::connectionIds() {
  std::vector<std::string> ids;
  for (const MachineDevice& device : devices_.lastLook()) {
    if (device.managed) ids.push_back(device.guid);
  }
  return ids;
}

std::optional<MachineDevice> LinuxNetwork::connectionOf(const std::vector<MachineDevice>& devices, const std::string& guid) {
  auto it = std::find_if(devices.begin(), devices.end(), [&](const MachineDevice& device) {
    return device.managed && equalsNoCase(device.guid, guid);
  });
  if (it == devices.end()) return std::nullopt;
  return *it;
}

SharingResult LinuxNetwork::connectionProperties(const std::string& guid, ConnectionProperties& properties) {
  const auto device = connectionOf(devices_.lastLook(), guid);
  if (!device) return SharingStatus::NoSuchConnection;
  properties.guid = device->guid;
  properties.name = device->connectionName;
  properties.deviceName = device->kernel ? device->kernel->name : device->managed->interfaceName;
  // Never "disconnected" (0): the program leaves such connections out, and an
  // idle Wi-Fi card must stay listed to carry the hotspot.
  properties.status = device->managed->activated ? ConnectionStatus::Connected : ConnectionStatus::MediaDisconnected;
  properties.medium = device->managed->kind == DeviceKind::Modem ? ConnectionMedium::Phone : ConnectionMedium::Lan;
  return SharingStatus::Ok;
}

SharingResult LinuxNetwork::sharingRole(const std::string& guid, SharingRole& role) {
  if (!connectionOf(devices_.lastLook(), guid)) return SharingStatus::NoSuchConnection;
  std::lock_guard lock(mutex_);
  role = sharing_->roleOf(guid);
  return SharingStatus::Ok;
}

SharingResult LinuxNetwork::enableSharing(const std::string& guid, SharingRole role) {
  clearRefusal();
  if (role == SharingRole::none) return SharingStatus::NoRole;
  const std::vector<MachineDevice> all = devices_.lastLook();
  const auto device = connectionOf(all, guid);
  if (!device) return SharingStatus::NoSuchConnection;
  if (role == SharingRole::publicSide && !device->managed->primary) {
    auto primary = std::find_if(all.begin(), all.end(), [](const MachineDevice& other) {
      return other.managed && other.managed->primary;
    });
    const std::string why = primary == all.end()
                                ? "NetworkManager has no connection that carries the default route."
                                : "NetworkManager shares the one that carries the default route, " + shownName(*primary) + ".";
    setRefusal(shownName(*device) + " cannot be the shared Internet connection: " + why);
    return SharingStatus::NotSupported;
  }
  if (role == SharingRole::privateSide && device->managed->kind != DeviceKind::Wifi) {
    setRefusal(shownName(*device) + " cannot carry the hotspot: the Internet is shared into a Wi-Fi hotspot only.");
    return SharingStatus::NotSupported;
  }
  std::lock_guard lock(mutex_);
  return sharing_->grant(device->guid, role);
}

SharingResult LinuxNetwork::disableSharing(const std::string& guid) {
  if (!connectionOf(devices_.lastLook(), guid)) return SharingStatus::NoSuchConnection;
  std::lock_guard lock(mutex_);
  return sharing_->clear(guid);
}

bool LinuxNetwork::sharesInternetInto(const std::string& interfaceId) const {
  std::lock_guard lock(mutex_);
  return !interfaceId.empty() && sharing_->roleOf(interfaceId) == SharingRole::privateSide &&
         !sharing_->holder(SharingRole::publicSide).empty();
}

void LinuxNetwork::resetSharing() {
  std::lock_guard lock(mutex_);
  for (SharingRole role : {SharingRole::publicSide, SharingRole::privateSide}) {
    const std::string holder = sharing_->holder(role);
    if (!holder.empty()) sharing_->clear(holder);
  }
}

}  // namespace plat::lnx
