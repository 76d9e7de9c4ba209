#include "linux/nm/NmDeviceInventory.h"

#include "linux/kernel/KernelInterfaces.h"
#include "linux/nm/NmClient.h"
#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"
#include "machine/HardwareAddress.h"

namespace plat::lnx {
namespace {

DeviceKind kindOf(std::uint32_t deviceType) {
  switch (deviceType) {
    case nm::deviceTypeEthernet: return DeviceKind::Ethernet;
    case nm::deviceTypeWifi: return DeviceKind::Wifi;
    case nm::deviceTypeModem: return DeviceKind::Modem;
    default: return DeviceKind::Other;
  }
}

std::vector<std::uint8_t> addressProperty(const QVariantMap& properties, const QString& name) {
  return parseHardwareAddress(nm::textIn(properties, name).toStdString(), kernelMaxAddressBytes)
      .value_or(std::vector<std::uint8_t>{});
}

}  // namespace

std::string NmDeviceInventory::dhcpServer(const QString& dhcpConfig) {
  const auto config = client_.properties(dhcpConfig, nm::dhcp4Interface);
  if (!config) return {};
  const auto options = nm::propertyMap(config->value(QStringLiteral("Options")));
  return nm::textIn(options, QStringLiteral("dhcp_server_identifier")).toStdString();
}

NmDeviceInventory::NmDeviceInventory(NmClient& client) : client_(client) {}

std::vector<NetworkDevice> NmDeviceInventory::devices() {
  const auto manager = client_.properties(nm::managerPath, nm::managerInterface);
  if (!manager) return {};
  const QString primary = nm::objectPathIn(*manager, QStringLiteral("PrimaryConnection"));
  std::vector<NetworkDevice> devices;
  for (const auto& path : nm::objectPaths(manager->value(QStringLiteral("Devices")))) {
    const auto device = client_.properties(path.path(), nm::deviceInterface);
    if (!device) continue;  // gone meanwhile
    NetworkDevice d;
    d.objectPath = path.path().toStdString();
    d.interfaceName = nm::textIn(*device, QStringLiteral("Interface")).toStdString();
    d.kind = kindOf(nm::numberIn(*device, QStringLiteral("DeviceType")));
    d.managed = nm::flagIn(*device, QStringLiteral("Managed"));
    d.activated = nm::numberIn(*device, QStringLiteral("State")) == nm::deviceStateActivated;
    const QString active = nm::objectPathIn(*device, QStringLiteral("ActiveConnection"));
    d.primary = nm::isObject(primary) && active == primary;

    std::optional<QVariantMap> specific;
    if (d.kind == DeviceKind::Ethernet) specific = client_.properties(path.path(), nm::wiredInterface);
    if (d.kind == DeviceKind::Wifi) specific = client_.properties(path.path(), nm::wirelessInterface);
    if (specific) {
      d.permanentHardwareAddress = addressProperty(*specific, QStringLiteral("PermHwAddress"));
      d.canHostAccessPoint = d.kind == DeviceKind::Wifi &&
          (nm::numberIn(*specific, QStringLiteral("WirelessCapabilities")) & nm::wifiCapabilityAccessPoint) != 0;
    }
    if (d.permanentHardwareAddress.empty()) {
      d.permanentHardwareAddress = addressProperty(*device, QStringLiteral("HwAddress"));
    }
    const auto ipInterface = nm::textIn(*device, QStringLiteral("IpInterface")).toStdString();
    if (ipInterface != d.interfaceName) d.ipInterfaceName = ipInterface;
    const QString dhcp = nm::objectPathIn(*device, QStringLiteral("Dhcp4Config"));
    d.dhcp = nm::isObject(dhcp);
    if (d.dhcp) d.dhcpServer = dhcpServer(dhcp);
    devices.push_back(std::move(d));
  }
  return devices;
}

}  // namespace plat::lnx
