// What a Wi-Fi device hears, as the program lists it: NetworkManager's
// access points merged into one entry per name, security and kind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "linux/nm/NmProfiles.h"
#include "machine/RadioBackend.h"

namespace plat::lnx {

// One access point as NetworkManager's object tells it.
struct AccessPointRecord {
  std::string path;             // its object path
  std::string ssid;             // the name's bytes; empty for a hidden network
  std::uint32_t flags = 0;      // NM80211ApFlags
  std::uint32_t wpaFlags = 0;   // NM80211ApSecurityFlags
  std::uint32_t rsnFlags = 0;   // NM80211ApSecurityFlags
  std::string hardwareAddress;  // the base station's, as text
  std::uint8_t strength = 0;    // percent
  bool active = false;          // the device is joined through it
};

// The network the device hosts itself.
struct OwnHotspot {
  std::string name;
  bool secured = false;
};

// One entry of the visible list and the base station that speaks for it.
struct HeardNetwork {
  VisibleNetwork shown;
  std::string accessPoint;  // object path; empty for the own hotspot alone
  JoinSecurity security = JoinSecurity::Open;
  bool enterprise = false;  // needs an 802.1X sign-in
  bool own = false;         // the network this instance hosts on the device
};

// Whether the program lists a network of the name: not hidden, and one it
// can carry byte for byte (without a zero byte, UTF-8).
bool listedName(const std::string& ssid);

// One entry per name, security and kind, strongest first, each with its
// strongest access point; connected when any of its access points is the
// active one. A secured network whose base station has a locally
// administered address is a computer's. A name that is not listedName is
// left out. The own hotspot is heard at full strength, connected.
std::vector<HeardNetwork> mergeScan(const std::vector<AccessPointRecord>& accessPoints,
                                    const std::optional<OwnHotspot>& hotspot);

}  // namespace plat::lnx
