#include "linux/NmDeviceInventory.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

#include "linux/KernelInterfaces.h"
#include "linux/NmClient.h"
#include "linux/NmNames.h"
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

QString pathText(const QVariant& value) { return qvariant_cast<QDBusObjectPath>(value).path(); }

std::vector<std::uint8_t> addressProperty(const QVariantMap& properties, const QString& name) {
  return parseHardwareAddress(properties.value(name).toString().toStdString(), kernelMaxAddressBytes)
      .value_or(std::vector<std::uint8_t>{});
}

}  // namespace

std::string NmDeviceInventory::dhcpServer(const QString& dhcpConfig) {
  const auto config = client_.properties(dhcpConfig, nm::dhcp4Interface);
  if (!config) return {};
  const auto options = qdbus_cast<QVariantMap>(config->value(QStringLiteral("Options")));
  return options.value(QStringLiteral("dhcp_server_identifier")).toString().toStdString();
}

NmDeviceInventory::NmDeviceInventory(NmClient& client) : client_(client) {}

std::vector<NetworkDevice> NmDeviceInventory::devices() {
  const auto manager = client_.properties(nm::managerPath, nm::managerInterface);
  if (!manager) return {};
  const QString primary = pathText(manager->value(QStringLiteral("PrimaryConnection")));
  const auto reply = client_.call(nm::managerPath, nm::managerInterface, QStringLiteral("GetDevices"));
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};

  std::vector<NetworkDevice> devices;
  for (const auto& path : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().constFirst())) {
    const auto device = client_.properties(path.path(), nm::deviceInterface);
    if (!device) continue;  // gone meanwhile
    NetworkDevice d;
    d.objectPath = path.path().toStdString();
    d.interfaceName = device->value(QStringLiteral("Interface")).toString().toStdString();
    d.kind = kindOf(device->value(QStringLiteral("DeviceType")).toUInt());
    d.managed = device->value(QStringLiteral("Managed")).toBool();
    d.activated = device->value(QStringLiteral("State")).toUInt() == nm::deviceStateActivated;
    const QString active = pathText(device->value(QStringLiteral("ActiveConnection")));
    d.primary = !primary.isEmpty() && primary != nm::noObject && active == primary;

    std::optional<QVariantMap> specific;
    if (d.kind == DeviceKind::Ethernet) specific = client_.properties(path.path(), nm::wiredInterface);
    if (d.kind == DeviceKind::Wifi) specific = client_.properties(path.path(), nm::wirelessInterface);
    if (specific) {
      d.permanentHardwareAddress = addressProperty(*specific, QStringLiteral("PermHwAddress"));
      d.canHostAccessPoint = d.kind == DeviceKind::Wifi &&
          (specific->value(QStringLiteral("WirelessCapabilities")).toUInt() & nm::wifiCapabilityAccessPoint) != 0;
    }
    if (d.permanentHardwareAddress.empty()) {
      d.permanentHardwareAddress = addressProperty(*device, QStringLiteral("HwAddress"));
    }
    const auto ipInterface = device->value(QStringLiteral("IpInterface")).toString().toStdString();
    if (ipInterface != d.interfaceName) d.ipInterfaceName = ipInterface;
    const QString dhcp = pathText(device->value(QStringLiteral("Dhcp4Config")));
    d.dhcp = !dhcp.isEmpty() && dhcp != nm::noObject;
    if (d.dhcp) d.dhcpServer = dhcpServer(dhcp);
    devices.push_back(std::move(d));
  }
  return devices;
}

}  // namespace plat::lnx
