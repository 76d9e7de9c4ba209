#include "linux/LinuxNetwork.h"

#include <algorithm>
#include <limits>

#include <nlohmann/json.hpp>

#include "iphlpapi.h"
#include "linux/DefaultRoutes.h"
#include "machine/Refusal.h"
#include "netcon.h"
#include "objbase.h"
#include "store/SharingRoles.h"
#include "win32/AsciiCase.h"
#include "win32/TextConversion.h"

namespace plat::lnx {
namespace {

constexpr DWORD adminStatusDown = 2;  // MIB_IF_ADMIN_STATUS_DOWN
constexpr std::int32_t notSupported = HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);

bool isModem(const MachineDevice& device) {
  return device.managed ? device.managed->kind == DeviceKind::Modem : device.kernel->linkType == linkTypePpp;
}

std::uint32_t interfaceType(const MachineDevice& device) {
  if (device.wireless()) return IF_TYPE_IEEE80211;
  return isModem(device) ? MIB_IF_TYPE_PPP : MIB_IF_TYPE_ETHERNET;
}

// The kernel's operational state (RFC 2863 names) in the interface table's terms.
std::uint32_t operStatus(const KernelInterface& kernel) {
  if (kernel.operState == "up") return MIB_IF_OPER_STATUS_OPERATIONAL;
  if (kernel.operState == "dormant") return MIB_IF_OPER_STATUS_CONNECTING;
  if (kernel.operState == "notpresent") return MIB_IF_OPER_STATUS_NON_OPERATIONAL;
  // Loopback and point-to-point links do not track their state: "unknown".
  if (kernel.operState == "unknown" && kernel.up) return MIB_IF_OPER_STATUS_OPERATIONAL;
  return MIB_IF_OPER_STATUS_DISCONNECTED;
}

InterfaceRow interfaceRow(const KernelInterface& kernel, std::uint32_t type, std::u16string name) {
  InterfaceRow row;
  row.name = std::move(name);
  row.index = kernel.index;
  row.type = type;
  row.mtu = kernel.mtu;
  const std::uint64_t bitsPerSecond = std::uint64_t{kernel.speedMbps} * 1000000u;
  row.speed = static_cast<std::uint32_t>(std::min<std::uint64_t>(bitsPerSecond, std::numeric_limits<std::uint32_t>::max()));
  row.hardwareAddress = kernel.hardwareAddress;
  row.adminStatus = kernel.up ? MIB_IF_ADMIN_STATUS_UP : adminStatusDown;
  row.operStatus = operStatus(kernel);
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
    if (device.kernel) rows.push_back(interfaceRow(*device.kernel, interfaceType(device), u"\\DEVICE\\TCPIP_" + toUtf16(device.guid)));
  }
  if (auto loopback = readKernelInterface(devices_.root(), "lo")) rows.push_back(interfaceRow(*loopback, MIB_IF_TYPE_LOOPBACK, u""));
  return rows;
}

// A walk of the connections begins: its questions are answered from this
// look, and no reason of an earlier call stands for a failure of this walk.
std::int32_t LinuxNetwork::openSharingService() {
  clearRefusal();
  devices_.lookAgain();
  return S_OK;
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

std::int32_t LinuxNetwork::connectionProperties(const std::string& guid, ConnectionProperties& properties) {
  const auto device = connectionOf(devices_.lastLook(), guid);
  if (!device) return E_INVALIDARG;
  properties.guid = device->guid;
  properties.name = toUtf16(device->connectionName);
  properties.deviceName = toUtf16(device->kernel ? device->kernel->name : device->managed->interfaceName);
  // Never "disconnected" (0): the program leaves such connections out, and an
  // idle Wi-Fi card must stay listed to carry the hotspot.
  properties.status = device->managed->activated ? NCS_CONNECTED : NCS_MEDIA_DISCONNECTED;
  properties.mediaType = device->managed->kind == DeviceKind::Modem ? NCM_PHONE : NCM_LAN;
  return S_OK;
}

std::int32_t LinuxNetwork::sharingRole(const std::string& guid, SharingRole& role) {
  if (!connectionOf(devices_.lastLook(), guid)) return E_INVALIDARG;
  std::lock_guard lock(mutex_);
  role = sharing_->roleOf(guid);
  return S_OK;
}

std::int32_t LinuxNetwork::enableSharing(const std::string& guid, SharingRole role) {
  clearRefusal();
  if (role == SharingRole::none) return E_INVALIDARG;
  const std::vector<MachineDevice> all = devices_.lastLook();
  const auto device = connectionOf(all, guid);
  if (!device) return E_INVALIDARG;
  if (role == SharingRole::publicSide && !device->managed->primary) {
    auto primary = std::find_if(all.begin(), all.end(), [](const MachineDevice& other) {
      return other.managed && other.managed->primary;
    });
    const std::string why = primary == all.end()
                                ? "NetworkManager has no connection that carries the default route."
                                : "NetworkManager shares the one that carries the default route, " + shownName(*primary) + ".";
    setRefusal(shownName(*device) + " cannot be the shared Internet connection: " + why);
    return notSupported;
  }
  if (role == SharingRole::privateSide && device->managed->kind != DeviceKind::Wifi) {
    setRefusal(shownName(*device) + " cannot carry the hotspot: the Internet is shared into a Wi-Fi hotspot only.");
    return notSupported;
  }
  std::lock_guard lock(mutex_);
  return sharing_->grant(device->guid, role);
}

std::int32_t LinuxNetwork::disableSharing(const std::string& guid) {
  if (!connectionOf(devices_.lastLook(), guid)) return E_INVALIDARG;
  std::lock_guard lock(mutex_);
  return HRESULT_FROM_WIN32(sharing_->clear(guid));
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
