// The network this computer broadcasts, as the program sees it: its name,
// how it is secured, the devices on it, and an event when a device joins or
// leaves. Brisklane's own addition beside TWifiConnection, over the library
// functions of WirelessHotspot.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wifi/CrossThreadEvent.h"
#include "WirelessHotspot.h"

enum class THostedSecurity { Open, Wep, Wpa2Personal };

struct THostedNetwork {
  std::u16string Name;
  THostedSecurity Security = THostedSecurity::Open;
};

struct TWifiGuest {
  std::u16string Name;     // empty when the device gave none
  std::string MacAddress;  // "00-26-5E-4C-8D-91"; empty when unknown
  std::string IpAddress;   // empty while it has none
  std::uint32_t ConnectedSeconds = 0;

  // What to call the device: its name, else its hardware address, else its
  // IP address.
  std::u16string DisplayName() const;
};

struct TGuestNotice {
  bool Joined = true;  // false: it left
  std::u16string NetworkName;
  TWifiGuest Guest;
};

class TWifiHotspot {
 public:
  // Registers for the library's guest notifications.
  TWifiHotspot();
  // Unregisters: no event fires once it returns.
  ~TWifiHotspot();
  TWifiHotspot(const TWifiHotspot&) = delete;
  TWifiHotspot& operator=(const TWifiHotspot&) = delete;

  // The network on the first interface that broadcasts one; none when this
  // computer broadcasts none, or the machine cannot tell.
  std::optional<THostedNetwork> HostedNetwork() const;

  // The devices on every network this computer broadcasts, interface by
  // interface in the order they joined; empty when the machine cannot tell.
  std::vector<TWifiGuest> Guests() const;

  // Reacts to one guest notification of the library.
  void HandleGuestNotification(const WIRELESS_GUEST_NOTIFICATION* notification);

  // Fired on the library's thread.
  TCrossThreadEvent<void(const TGuestNotice& notice)> OnGuestChange;
};
