// Brisklane's own library functions about the network this computer
// broadcasts, served by the current machine's radio.
#include "WirelessHotspot.h"

#include <algorithm>

#include "wireless/GuestRecords.h"
#include "wireless/LibraryCall.h"
#include "wireless/NotificationDispatcher.h"
#include "win32/TextConversion.h"

using wireless::guarded;
using wireless::radio;
using wireless::resultCode;

// ERROR_INVALID_PARAMETER for a null record.
DWORD WINAPI GetHostedNetwork(LPCWSTR interfaceId, WIRELESS_HOSTED_NETWORK* network) {
  const auto id = plat::toUtf8(interfaceId);
  if (!id || network == nullptr) return ERROR_INVALID_PARAMETER;
  return guarded([&] {
    plat::HostedNetwork hosted;
    const auto result = radio().hostedNetwork(*id, hosted);
    if (result == plat::RadioResult::Ok) *network = wireless::hostedNetworkRecord(hosted);
    return resultCode(result);
  });
}

// ERROR_INVALID_PARAMETER for a null list.
DWORD WINAPI GetHostedNetworkGuests(LPCWSTR interfaceId, WIRELESS_GUEST_LIST* list) {
  const auto id = plat::toUtf8(interfaceId);
  if (!id || list == nullptr) return ERROR_INVALID_PARAMETER;
  return guarded([&] {
    std::vector<plat::NetworkGuest> guests;
    const auto result = radio().guests(*id, guests);
    if (result != plat::RadioResult::Ok) return resultCode(result);
    list->Count = static_cast<DWORD>(guests.size());
    const auto written = std::min<std::size_t>(guests.size(), WIRELESS_MAX_GUESTS);
    for (std::size_t i = 0; i < written; ++i) list->Guest[i] = wireless::guestEntry(guests[i]);
    return ERROR_SUCCESS;
  });
}

// ERROR_INVALID_PARAMETER for null.
DWORD WINAPI RegisterGuestNotification(WIRELESS_GUEST_CALLBACK callback) {
  if (callback == nullptr) return ERROR_INVALID_PARAMETER;
  return guarded([&] {
    wireless::NotificationDispatcher::instance().startGuests(callback);
    return ERROR_SUCCESS;
  });
}

DWORD WINAPI UnRegisterGuestNotification() {
  return guarded([] {
    wireless::NotificationDispatcher::instance().stopGuests();
    return ERROR_SUCCESS;
  });
}
