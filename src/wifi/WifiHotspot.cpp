#include "wifi/WifiHotspot.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string_view>

#include "net/AdapterUnit.h"
#include "util/TextUtils.h"

namespace {

// The most recently constructed component, which receives the library's
// guest notifications; cleared when that component goes.
std::atomic<TWifiHotspot*> ActiveWifiHotspot{nullptr};

void WINAPI WifiGuestCallback(const WIRELESS_GUEST_NOTIFICATION* notification, PVOID) {
  if (TWifiHotspot* hotspot = ActiveWifiHotspot.load()) hotspot->HandleGuestNotification(notification);
}

// Text up to the first zero unit, never past the array.
template <class Unit, std::size_t N>
std::basic_string<Unit> Terminated(const Unit (&text)[N]) {
  return std::basic_string<Unit>(text, std::find(text, text + N, Unit{}));
}

TWifiGuest GuestOf(const WIRELESS_GUEST_ENTRY& entry) {
  TWifiGuest guest;
  guest.Name = Terminated(entry.Name);
  const UINT addressBytes = std::min<UINT>(entry.HardwareAddressLength, sizeof(entry.HardwareAddress));
  guest.MacAddress = FormatMacAddress(entry.HardwareAddress, addressBytes);
  guest.IpAddress = Terminated(entry.IpAddress);
  guest.ConnectedSeconds = entry.ConnectedSeconds;
  return guest;
}

std::optional<THostedSecurity> SecurityOf(DWORD code) {
  switch (code) {
    case WIRELESS_HOSTED_OPEN: return THostedSecurity::Open;
    case WIRELESS_HOSTED_WEP: return THostedSecurity::Wep;
    case WIRELESS_HOSTED_WPA2_PSK: return THostedSecurity::Wpa2Personal;
    default: return std::nullopt;
  }
}

// The identifiers of the wireless interfaces the library lists.
std::vector<LPCWSTR> Interfaces() {
  WIRELESS_INTERFACE_LIST list{};
  if (EnumInterface(&list) != 0) return {};
  std::vector<LPCWSTR> ids;
  for (DWORD i = 0; i < std::min(list.Count, WIRELESS_MAX_INTERFACES); ++i) ids.push_back(list.Interface[i].Identifier);
  return ids;
}

}  // namespace

std::u16string TWifiGuest::DisplayName() const {
  if (!Name.empty()) return Name;
  return Utf8ToUtf16(MacAddress.empty() ? IpAddress : MacAddress);
}

TWifiHotspot::TWifiHotspot() {
  ActiveWifiHotspot = this;
  RegisterGuestNotification(WifiGuestCallback);
}

TWifiHotspot::~TWifiHotspot() {
  UnRegisterGuestNotification();
  TWifiHotspot* self = this;
  ActiveWifiHotspot.compare_exchange_strong(self, nullptr);
}

std::optional<THostedNetwork> TWifiHotspot::HostedNetwork() const {
  for (LPCWSTR id : Interfaces()) {
    WIRELESS_HOSTED_NETWORK network{};
    if (GetHostedNetwork(id, &network) != 0) continue;
    // A security this program does not know gives no network to describe.
    const auto security = SecurityOf(network.Security);
    if (!security) continue;
    return THostedNetwork{Terminated(network.Name), *security};
  }
  return std::nullopt;
}

std::vector<TWifiGuest> TWifiHotspot::Guests() const {
  std::vector<TWifiGuest> guests;
  auto list = std::make_unique<WIRELESS_GUEST_LIST>();
  for (LPCWSTR id : Interfaces()) {
    *list = WIRELESS_GUEST_LIST{};
    if (GetHostedNetworkGuests(id, list.get()) != 0) continue;
    for (DWORD i = 0; i < std::min(list->Count, WIRELESS_MAX_GUESTS); ++i) guests.push_back(GuestOf(list->Guest[i]));
  }
  return guests;
}

void TWifiHotspot::HandleGuestNotification(const WIRELESS_GUEST_NOTIFICATION* notification) {
  if (notification == nullptr) return;
  if (notification->Code != WIRELESS_GUEST_JOINED && notification->Code != WIRELESS_GUEST_LEFT) return;
  OnGuestChange(TGuestNotice{notification->Code == WIRELESS_GUEST_JOINED, Terminated(notification->NetworkName),
                             GuestOf(notification->Guest)});
}
