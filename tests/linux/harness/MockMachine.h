// The machine a mocked NetworkManager manages: its devices, the Wi-Fi
// networks in range, the radio switches and what polkit answers. Turned
// into the JSON the template reads (tests/linux/networkmanager.py).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace nmtest {

struct Ip4 {
  std::string address = "192.168.1.20";
  unsigned prefix = 24;
  std::string gateway = "192.168.1.1";
  bool dhcp = true;  // a lease from a DHCP server (a DHCP4Config object), or set by hand
};

struct DeviceSpec {
  std::string kind = "ethernet";  // wifi, ethernet, modem, bridge, veth, tun, loopback, generic
  std::string interface;
  std::string hwAddress = "00:00:00:00:00:00";
  std::string permHwAddress;      // empty: the same as hwAddress
  bool managed = true;
  bool accessPointCapable = true;  // Wi-Fi
  bool carrier = true;             // Ethernet
  std::string bus;                 // pci, usb or virtual; empty: by kind
  std::string ipInterface;         // empty: the interface (a modem's is wwan0)
  std::optional<Ip4> ip4;          // the address it gets when activated
  bool connected = false;          // up from the start, with a stored profile

  static DeviceSpec wifi(std::string interface, std::string hwAddress);
  static DeviceSpec ethernet(std::string interface, std::string hwAddress);
  static DeviceSpec modem(std::string interface, std::string ipInterface);
  DeviceSpec& up() { connected = true; return *this; }
  DeviceSpec& unmanaged() { managed = false; return *this; }
  DeviceSpec& withoutAccessPoint() { accessPointCapable = false; return *this; }
};

struct NetworkSpec {
  std::string ssid;
  std::string bssid;
  std::string security = "wpa2-psk";  // open, wep, wpa-psk, wpa2-psk, wpa-wpa2-psk, wpa3-sae, wpa2-eap
  std::string passphrase;
  unsigned strength = 70;
  unsigned frequency = 2437;
  bool hidden = false;
  std::vector<std::string> heardBy;  // empty: every Wi-Fi device
};

struct MockMachine {
  std::vector<DeviceSpec> devices;
  std::vector<NetworkSpec> networks;
  bool wifiEnabled = true;
  bool wifiHardwareEnabled = true;
  bool autoActivation = false;
  std::map<std::string, std::string> permissions;  // "network-control" -> "yes", "no" or "auth"

  // A laptop: Ethernet eth0 up with the Internet, an idle Wi-Fi card wlan0
  // that can host a network.
  static MockMachine laptop();
};

nlohmann::json toJson(const DeviceSpec& device);
nlohmann::json toJson(const NetworkSpec& network);
nlohmann::json toJson(const MockMachine& machine);

}  // namespace nmtest
