// The wireless library's eight functions, served by the current machine's
// radio. This side owns the records, the UTF-16 text and the result codes.
#include "WirelessLibrary.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "wireless/LibraryCall.h"
#include "win32/TextConversion.h"
#include "wireless/NotificationDispatcher.h"

namespace {

using wireless::guarded;
using wireless::radio;
using wireless::resultCode;

// Identifiers handed out stay valid while the library is loaded: a caller may
// keep one across later calls.
LPCWSTR internIdentifier(const std::string& id) {
  static std::mutex mutex;
  static std::set<std::u16string> identifiers;
  std::lock_guard lock(mutex);
  return identifiers.insert(plat::toUtf16(id)).first->c_str();
}

void fillEntry(WIRELESS_NETWORK_ENTRY& entry, const plat::VisibleNetwork& network) {
  entry = WIRELESS_NETWORK_ENTRY{};
  const auto name = plat::toUtf16(network.name);
  const auto units = std::min<std::size_t>(name.size(), WIRELESS_NAME_UNITS);
  std::copy_n(name.begin(), units, entry.Name);
  entry.NameLength = static_cast<DWORD>(units);
  entry.State = network.connected ? 0 : 1;
  entry.Kind = static_cast<BYTE>(network.kind);
  entry.SignalQuality = network.signal;
  entry.ValueA = network.secured ? WIRELESS_SECURITY_KEY : WIRELESS_SECURITY_OPEN;
  entry.ValueB = network.id;
}

}  // namespace

// Takes a zeroed interface list. Writes the number of interfaces and the
// identifiers of the first four. ERROR_INVALID_PARAMETER for a null list.
DWORD WINAPI EnumInterface(WIRELESS_INTERFACE_LIST* list) {
  if (list == nullptr) return ERROR_INVALID_PARAMETER;
  return guarded([&] {
    const auto ids = radio().interfaces();
    list->Count = static_cast<DWORD>(ids.size());
    const auto written = std::min<std::size_t>(ids.size(), WIRELESS_MAX_INTERFACES);
    for (std::size_t i = 0; i < written; ++i) list->Interface[i].Identifier = internIdentifier(ids[i]);
    return ERROR_SUCCESS;
  });
}

// Takes an interface identifier and a zeroed network list. Writes the number
// of networks the interface hears and the first 21 of them, in the order the
// machine reports. ERROR_NOT_FOUND for an unknown interface.
DWORD WINAPI GetVisibleNetworkList(LPCWSTR interfaceId, WIRELESS_NETWORK_LIST* list) {
  const auto id = plat::toUtf8(interfaceId);
  if (!id || list == nullptr) return ERROR_INVALID_PARAMETER;
  return guarded([&] {
    std::vector<plat::VisibleNetwork> networks;
    const auto result = radio().visibleNetworks(*id, networks);
    if (result != plat::RadioResult::Ok) return resultCode(result);
    list->Count = static_cast<DWORD>(networks.size());
    const auto written = std::min<std::size_t>(networks.size(), WIRELESS_MAX_NETWORKS);
    for (std::size_t j = 0; j < written; ++j) fillEntry(list->Network[j], networks[j]);
    return ERROR_SUCCESS;
  });
}

// Takes interface, name, key (may be null when valueA is
// WIRELESS_SECURITY_OPEN: no key is sent then), kind 0 to 3, valueA 0 or 1
// and valueB as listed. ERROR_INVALID_PARAMETER for anything else.
DWORD WINAPI Connect(LPCWSTR interfaceId, LPCWSTR name, LPCWSTR key, DWORD kind, DWORD valueA, DWORD valueB) {
  const auto id = plat::toUtf8(interfaceId);
  const auto networkName = plat::toUtf8(name);
  if (!id || !networkName || kind > WIRELESS_KIND_OPEN || valueA > WIRELESS_SECURITY_KEY) {
    return ERROR_INVALID_PARAMETER;
  }
  std::optional<std::string> sentKey;
  if (valueA == WIRELESS_SECURITY_KEY) {
    sentKey = plat::toUtf8(key);
    if (!sentKey) return ERROR_INVALID_PARAMETER;
  }
  std::optional<plat::NetworkKind> wanted;
  if (kind != 0) wanted = static_cast<plat::NetworkKind>(kind);
  return guarded([&] { return resultCode(radio().connect(*id, *networkName, sentKey, wanted, valueB)); });
}

// Takes an interface identifier; ERROR_NOT_FOUND for an unknown one.
DWORD WINAPI Disconnect(LPCWSTR interfaceId) {
  const auto id = plat::toUtf8(interfaceId);
  if (!id) return ERROR_INVALID_PARAMETER;
  return guarded([&] { return resultCode(radio().disconnect(*id)); });
}

// Takes interface, name and key (null: an open network).
// ERROR_INVALID_PARAMETER for an empty, blank or over-long name;
// ERROR_WRITE_FAULT when the network cannot be put on the air.
DWORD WINAPI AddSsid(LPCWSTR interfaceId, LPCWSTR name, LPCWSTR key) {
  const auto id = plat::toUtf8(interfaceId);
  const auto networkName = plat::toUtf8(name);
  const auto networkKey = key == nullptr ? std::optional<std::string>("") : plat::toUtf8(key);
  if (!id || !networkName || !networkKey) return ERROR_INVALID_PARAMETER;
  return guarded([&] { return resultCode(radio().addOwnNetwork(*id, *networkName, *networkKey)); });
}

// Takes interface and name.
DWORD WINAPI DeleteSsid(LPCWSTR interfaceId, LPCWSTR name) {
  const auto id = plat::toUtf8(interfaceId);
  const auto networkName = plat::toUtf8(name);
  if (!id || !networkName) return ERROR_INVALID_PARAMETER;
  return guarded([&] { return resultCode(radio().deleteOwnNetwork(*id, *networkName)); });
}

// Takes the notification function; ERROR_INVALID_PARAMETER for null.
DWORD WINAPI RegisterNotification(WIRELESS_NOTIFICATION_CALLBACK callback) {
  if (callback == nullptr) return ERROR_INVALID_PARAMETER;
  return guarded([&] {
    wireless::NotificationDispatcher::instance().start(callback);
    return ERROR_SUCCESS;
  });
}

// Always 0, also without a registration.
DWORD WINAPI UnRegisterNotification() {
  return guarded([] {
    wireless::NotificationDispatcher::instance().stop();
    return ERROR_SUCCESS;
  });
}
