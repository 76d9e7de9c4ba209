#include "harness/MockMachine.h"

namespace nmtest {

DeviceSpec DeviceSpec::wifi(std::string interface, std::string hwAddress) {
  DeviceSpec spec;
  spec.kind = "wifi";
  spec.interface = std::move(interface);
  spec.hwAddress = std::move(hwAddress);
  return spec;
}

DeviceSpec DeviceSpec::ethernet(std::string interface, std::string hwAddress) {
  DeviceSpec spec;
  spec.interface = std::move(interface);
  spec.hwAddress = std::move(hwAddress);
  return spec;
}

DeviceSpec DeviceSpec::modem(std::string interface, std::string ipInterface) {
  DeviceSpec spec;
  spec.kind = "modem";
  spec.interface = std::move(interface);
  spec.ipInterface = std::move(ipInterface);
  spec.bus = "usb";
  return spec;
}

MockMachine MockMachine::laptop() {
  MockMachine machine;
  machine.devices.push_back(DeviceSpec::ethernet("eth0", "52:54:00:12:34:56").up());
  machine.devices.push_back(DeviceSpec::wifi("wlan0", "00:1B:2C:3D:4E:5F"));
  return machine;
}

nlohmann::json toJson(const DeviceSpec& device) {
  nlohmann::json json{{"kind", device.kind},       {"interface", device.interface}, {"hw_address", device.hwAddress},
                      {"managed", device.managed}, {"ap", device.accessPointCapable}, {"carrier", device.carrier}};
  if (!device.permHwAddress.empty()) json["perm_hw_address"] = device.permHwAddress;
  if (!device.bus.empty()) json["bus"] = device.bus;
  if (!device.ipInterface.empty()) json["ip_interface"] = device.ipInterface;
  if (device.ip4) {
    json["ip4"] = {{"address", device.ip4->address}, {"prefix", device.ip4->prefix}, {"gateway", device.ip4->gateway},
                   {"dns", {device.ip4->gateway}}, {"dhcp", device.ip4->dhcp}};
  }
  if (device.connected) json["connected"] = nlohmann::json::object();
  return json;
}

nlohmann::json toJson(const NetworkSpec& network) {
  nlohmann::json json{{"ssid", network.ssid},         {"bssid", network.bssid},         {"security", network.security},
                      {"strength", network.strength}, {"frequency", network.frequency}, {"hidden", network.hidden}};
  if (!network.passphrase.empty()) json["passphrase"] = network.passphrase;
  if (!network.heardBy.empty()) json["devices"] = network.heardBy;
  return json;
}

nlohmann::json toJson(const MockMachine& machine) {
  nlohmann::json json{{"wifi", {{"enabled", machine.wifiEnabled}, {"hardware", machine.wifiHardwareEnabled}}},
                      {"auto_activation", machine.autoActivation},
                      {"permissions", machine.permissions},
                      {"devices", nlohmann::json::array()},
                      {"networks", nlohmann::json::array()}};
  for (const DeviceSpec& device : machine.devices) json["devices"].push_back(toJson(device));
  for (const NetworkSpec& network : machine.networks) json["networks"].push_back(toJson(network));
  return json;
}

}  // namespace nmtest
