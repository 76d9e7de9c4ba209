#include "wireless/GuestRecords.h"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "win32/TextConversion.h"

namespace wireless {
namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Copies as much of the text as fits with its terminating zero; a cut never
// splits a surrogate pair.
template <class Unit, std::size_t N, class Text>
void copyTerminated(Unit (&target)[N], const Text& text) {
  auto units = std::min<std::size_t>(text.size(), N - 1);
  if constexpr (std::is_same_v<Unit, char16_t>) {
    if (units < text.size() && units > 0 && isHighSurrogate(text[units - 1])) --units;
  }
  std::copy_n(text.begin(), units, target);
  target[units] = 0;
}

DWORD securityCode(plat::NetworkSecurity security) {
  switch (security) {
    case plat::NetworkSecurity::Open: return WIRELESS_HOSTED_OPEN;
    case plat::NetworkSecurity::Wep: return WIRELESS_HOSTED_WEP;
    case plat::NetworkSecurity::Wpa2Personal: return WIRELESS_HOSTED_WPA2_PSK;
  }
  return WIRELESS_HOSTED_OPEN;
}

}  // namespace

WIRELESS_HOSTED_NETWORK hostedNetworkRecord(const plat::HostedNetwork& network) {
  WIRELESS_HOSTED_NETWORK record{};
  copyTerminated(record.Name, plat::toUtf16(network.name));
  record.Security = securityCode(network.security);
  return record;
}

WIRELESS_GUEST_ENTRY guestEntry(const plat::NetworkGuest& guest) {
  WIRELESS_GUEST_ENTRY entry{};
  copyTerminated(entry.Name, plat::toUtf16(guest.name));
  const auto bytes = std::min<std::size_t>(guest.hardwareAddress.size(), sizeof(entry.HardwareAddress));
  std::copy_n(guest.hardwareAddress.begin(), bytes, entry.HardwareAddress);
  entry.HardwareAddressLength = static_cast<DWORD>(bytes);
  copyTerminated(entry.IpAddress, guest.ipAddress);
  entry.ConnectedSeconds = static_cast<DWORD>(
      std::min<std::uint64_t>(guest.connectedMilliseconds / 1000, std::numeric_limits<DWORD>::max()));
  return entry;
}

WIRELESS_GUEST_NOTIFICATION guestNotification(const plat::RadioEvent& event) {
  WIRELESS_GUEST_NOTIFICATION notification{};
  notification.Code = event.code == plat::RadioEvent::Code::GuestJoined ? WIRELESS_GUEST_JOINED : WIRELESS_GUEST_LEFT;
  copyTerminated(notification.NetworkName, plat::toUtf16(event.networkName));
  notification.Guest = guestEntry(event.guest);
  return notification;
}

}  // namespace wireless
