#include "linux/radio/ScanMerge.h"

#include <algorithm>
#include <map>
#include <tuple>

#include <QByteArray>
#include <QString>

#include "linux/nm/NmNames.h"
#include "machine/HardwareAddress.h"

namespace plat::lnx {
namespace {

constexpr std::uint32_t ownSignal = 100;  // a machine hears its own network at full strength

// Networks of one name are told apart by security and by who hosts them.
std::uint32_t networkId(bool secured, bool computer) { return 1 + (secured ? 1 : 0) + (computer ? 2 : 0); }

NetworkKind kindOf(bool secured, bool computer) {
  if (computer) return NetworkKind::Computer;
  return secured ? NetworkKind::AccessPoint : NetworkKind::OpenAccessPoint;
}

}  // namespace

// The program's texts end at a zero and are UTF-8.
bool listedName(const std::string& ssid) {
  const QByteArray bytes = QByteArray::fromStdString(ssid);
  return !bytes.isEmpty() && !bytes.contains('\0') && QString::fromUtf8(bytes).toUtf8() == bytes;
}

std::vector<HeardNetwork> mergeScan(const std::vector<AccessPointRecord>& accessPoints,
                                    const std::optional<OwnHotspot>& hotspot) {
  std::map<std::tuple<std::string, bool, bool>, HeardNetwork> merged;
  auto entry = [&](const std::string& name, bool secured, bool computer) -> HeardNetwork& {
    auto [it, added] = merged.try_emplace({name, secured, computer});
    if (added) it->second.shown = VisibleNetwork{name, kindOf(secured, computer), false, secured, 0,
                                                 networkId(secured, computer)};
    return it->second;
  };

  for (const auto& ap : accessPoints) {
    if (!listedName(ap.ssid)) continue;
    const auto security = ap.wpaFlags | ap.rsnFlags;
    const bool secured = (ap.flags & nm::apFlagPrivacy) != 0 || (security & ~nm::apSecurityOwe) != 0;
    const auto baseStation = parseHardwareAddress(ap.hardwareAddress);
    // Brisklane's networks always have a key: an open one is nobody's to join as such.
    const bool computer = secured && baseStation && isLocallyAdministered(*baseStation);

    HeardNetwork& network = entry(ap.ssid, secured, computer);
    network.shown.connected = network.shown.connected || ap.active;
    if (!network.accessPoint.empty() && ap.strength <= network.shown.signal) continue;
    network.shown.signal = ap.strength;
    network.accessPoint = ap.path;
    network.enterprise = (security & nm::apSecurity8021x) != 0 && (security & nm::apSecurityPsk) == 0;
    if (security & nm::apSecurityPsk) {
      network.security = JoinSecurity::WpaPersonal;
    } else if (security & nm::apSecuritySae) {
      network.security = JoinSecurity::Wpa3Personal;
    } else {
      network.security = secured ? JoinSecurity::Wep : JoinSecurity::Open;
    }
  }

  if (hotspot) {
    HeardNetwork& own = entry(hotspot->name, hotspot->secured, true);
    own.shown.connected = true;
    own.shown.signal = ownSignal;
    own.own = true;
  }

  std::vector<HeardNetwork> heard;
  for (auto& [key, network] : merged) heard.push_back(std::move(network));
  std::stable_sort(heard.begin(), heard.end(),
                   [](const HeardNetwork& a, const HeardNetwork& b) { return a.shown.signal > b.shown.signal; });
  return heard;
}

}  // namespace plat::lnx
