#include "wifi/WifiNetwork.h"

#include <algorithm>
#include <string_view>

#include "brisklane_refusal.h"
#include "util/InternetProbe.h"
#include "util/SystemUtils.h"
#include "util/TextUtils.h"

std::mutex WifiLibraryLock;
std::atomic<TWifiConnection*> ActiveWifiConnection{nullptr};

namespace {

constexpr std::uint8_t StatusReachable = 1;
constexpr std::uint8_t StatusNotReachable = 2;

// Where the payload of a connect or disconnect notification holds the network
// name, and its room there (the SSID field).
constexpr std::size_t NotificationNameOffset = 520;
constexpr std::size_t NotificationNameBytes = 32;

// The entry's name up to its first zero unit, at most all 33 units.
std::u16string_view EntryName(const WIRELESS_NETWORK_ENTRY& entry) {
  const WCHAR* first = entry.Name;
  const WCHAR* last = first + WIRELESS_NAME_UNITS;
  return std::u16string_view(first, static_cast<std::size_t>(std::find(first, last, u'\0') - first));
}

// The name in the payload, read no further than the payload's size and the
// SSID field; empty without a payload.
std::string NotificationName(const WLAN_NOTIFICATION_DATA& data) {
  if (data.pData == nullptr || data.dwDataSize <= NotificationNameOffset) return {};
  const auto room = std::min<std::size_t>(data.dwDataSize - NotificationNameOffset, NotificationNameBytes);
  const char* first = static_cast<const char*>(data.pData) + NotificationNameOffset;
  return std::string(first, std::find(first, first + room, '\0'));
}

}  // namespace

// --- TWLanNetwork ---

bool TWLanNetwork::Connect() {
  const DWORD kind = (Kind >= 1 && Kind <= 3) ? Kind : 0;
  return ::Connect(InterfaceId.c_str(), Name.c_str(), Key.c_str(), kind, ConnectValueA, ConnectValueB) == 0;
}

void TWLanNetwork::Disconnect() {
  ::Disconnect(InterfaceId.c_str());
  State = 2;
}

// --- TThreadCheckInternet ---

TThreadCheckInternet::TThreadCheckInternet(std::chrono::milliseconds interval) : interval_(interval) {}

TThreadCheckInternet::~TThreadCheckInternet() {
  Terminate();
  WaitFor();
}

void TThreadCheckInternet::Start() {
  thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
}

void TThreadCheckInternet::Terminate() { thread_.request_stop(); }

void TThreadCheckInternet::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void TThreadCheckInternet::Wake() {
  {
    std::lock_guard lock(mutex_);
    WakeFlag = true;
  }
  wake_.notify_one();
}

void TThreadCheckInternet::Execute(std::stop_token stop) {
  while (!stop.stop_requested()) {
    try {
      const std::uint8_t status = IsInternetReachable() ? StatusReachable : StatusNotReachable;
      if (status != LastStatus) {
        LastStatus = status;
        try {
          if (TWifiConnection* owner = Owner) owner->SetInternetStatus(LastStatus);
        } catch (...) {
          // The handler's error; the probing goes on.
        }
      }
    } catch (...) {
      // A failing probe is retried at the next turn.
    }
    // Until the interval has passed, a wake arrives (also one that came
    // during the probe) or the thread is asked to end.
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, stop, interval_, [this] { return WakeFlag; });
    WakeFlag = false;
  }
}

// --- TWifiConnection ---

TWifiConnection::TWifiConnection(std::chrono::milliseconds checkInterval) {
  FCheckThread = std::make_unique<TThreadCheckInternet>(checkInterval);
  FCheckThread->Owner = this;
  FCheckThread->Start();
  ActiveWifiConnection = this;
  RegisterNotification(WifiNotificationCallback);
}

TWifiConnection::~TWifiConnection() {
  UnRegisterNotification();
  TWifiConnection* self = this;
  ActiveWifiConnection.compare_exchange_strong(self, nullptr);
  FCheckThread->Owner = nullptr;
  FCheckThread->Terminate();
  FCheckThread->WaitFor();
  FCheckThread.reset();
  FreeListObjects(&FNetworks);
  FNetworks.Clear();
}

void TWifiConnection::SetSSID(const std::string& value) {
  if (value != FSSID) FSSID = value;
}

void TWifiConnection::SetPassword(const std::string& value) {
  if (value == FPassword) return;
  const auto length = Trim(value).size();
  if (length == 5 || length == 13) FPassword = value;
}

void TWifiConnection::SetInternetStatus(std::uint8_t value) {
  if (FInternetStatus.exchange(value) != value) OnInternetStatusChange(value);
}

std::string TWifiConnection::CurrentNetworkName() const {
  std::lock_guard lock(FCurrentNetworkNameLock);
  return FCurrentNetworkName;
}

void TWifiConnection::SetCurrentNetworkName(std::string name) {
  std::lock_guard lock(FCurrentNetworkNameLock);
  FCurrentNetworkName = std::move(name);
}

void TWifiConnection::Refresh() {
  if (OnScanStart) OnScanStart(this);
  Scan();
}

DWORD TWifiConnection::QueryInterfaces() {
  std::lock_guard lock(WifiLibraryLock);
  FInterfaceList = WIRELESS_INTERFACE_LIST{};
  FNetworkLists.fill(WIRELESS_NETWORK_LIST{});
  DWORD result = EnumInterface(&FInterfaceList);
  FNoInterfaceReason = FInterfaceList.Count == 0 ? BrisklaneLastRefusal() : std::string();
  if (result == 0) {
    const DWORD count = std::min(FInterfaceList.Count, WIRELESS_MAX_INTERFACES);
    for (DWORD i = 0; i < count; ++i) result = GetVisibleNetworkList(FInterfaceList.Interface[i].Identifier, &FNetworkLists[i]);
  }
  return result;
}

void TWifiConnection::Scan() {
  QueryInterfaces();
  FreeListObjects(&FNetworks);
  FNetworks.Clear();
  FCurrentNetwork = nullptr;
  SetCurrentNetworkName({});
  FNetworkCount = 0;

  const std::u16string ssid = Utf8ToUtf16(FSSID);
  const DWORD interfaces = std::min(FInterfaceList.Count, WIRELESS_MAX_INTERFACES);
  for (DWORD i = 0; i < interfaces; ++i) {
    const LPCWSTR interfaceId = FInterfaceList.Interface[i].Identifier;
    const WIRELESS_NETWORK_LIST& list = FNetworkLists[i];
    const DWORD count = std::min(list.Count, WIRELESS_MAX_NETWORKS);
    for (DWORD j = 0; j < count; ++j) {
      const WIRELESS_NETWORK_ENTRY& entry = list.Network[j];
      std::string name = Utf16ToUtf8(EntryName(entry));
      if (Trim(name).empty()) continue;

      auto owned = std::make_unique<TWLanNetwork>();
      TWLanNetwork* network = owned.get();
      network->Name = Utf8ToUtf16(name);
      network->InterfaceId = interfaceId ? interfaceId : u"";
      network->State = entry.State;
      network->Kind = entry.Kind;
      network->ConnectValueA = entry.ValueA;
      network->ConnectValueB = entry.ValueB;
      FNetworks.Add(name, std::move(owned));
      ++FNetworkCount;

      if (network->State == 0) {
        FCurrentNetwork = network;
        SetCurrentNetworkName(name);
      }
      if (network->Name == ssid && network->Kind == WIRELESS_KIND_COMPUTER) network->Key = Utf8ToUtf16(FPassword);
      if (OnNetworkFound) OnNetworkFound(network->Name, network->State, network->Kind);
    }
  }
}

bool TWifiConnection::ConnectOrCreate() {
  // The machine may have found its interfaces since the last look found none;
  // a look that says nothing new keeps the earlier word on why.
  if (FInterfaceList.Count == 0) {
    const std::string earlierReason = FNoInterfaceReason;
    QueryInterfaces();
    if (FInterfaceList.Count == 0 && FNoInterfaceReason.empty()) FNoInterfaceReason = earlierReason;
  }
  const std::u16string ssid = Utf8ToUtf16(FSSID);
  TWLanNetwork* target = nullptr;
  for (auto& entry : FNetworks) {
    TWLanNetwork* network = entry.object.get();
    if (network == nullptr) continue;
    if (network->Name == ssid && network->Kind == WIRELESS_KIND_COMPUTER) {
      target = network;
      network->Key = Utf8ToUtf16(FPassword);
    } else if (network->State == 0) {
      network->Disconnect();
    }
  }
  return target ? target->Connect() : CreateNetwork();
}

std::string TWifiConnection::RefusalReason() const {
  return FInterfaceList.Count == 0 ? FNoInterfaceReason : BrisklaneLastRefusal();
}

bool TWifiConnection::CreateNetwork() {
  if (FInterfaceList.Count == 0) return false;
  return AddSsid(FInterfaceList.Interface[0].Identifier, Utf8ToUtf16(FSSID).c_str(),
                 Utf8ToUtf16(FPassword).c_str()) == 0;
}

bool TWifiConnection::DeleteNetwork() {
  if (FInterfaceList.Count == 0) return false;
  return DeleteSsid(FInterfaceList.Interface[0].Identifier, Utf8ToUtf16(FSSID).c_str()) == 0;
}

void TWifiConnection::CheckInternetNow() { FCheckThread->Wake(); }

void TWifiConnection::HandleNotification(const WLAN_NOTIFICATION_DATA* data) {
  if (data == nullptr || (data->NotificationSource & 0xFFFF) == 0) return;
  const DWORD code = data->NotificationCode & 0xFF;
  if (code == wlan_notification_acm_connection_complete) {
    std::string name = NotificationName(*data);
    SetCurrentNetworkName(name);
    OnConnected(Utf8ToUtf16(name));
  } else if (code == wlan_notification_acm_disconnected) {
    const std::string name = NotificationName(*data);
    SetCurrentNetworkName({});
    OnDisconnected(Utf8ToUtf16(name));
  }
}

void WINAPI WifiNotificationCallback(WLAN_NOTIFICATION_DATA* data, PVOID /*context*/) {
  if (TWifiConnection* connection = ActiveWifiConnection) connection->HandleNotification(data);
}
