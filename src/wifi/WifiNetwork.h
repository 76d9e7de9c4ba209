// The wireless connection component: the program's only user of the
// wireless library. It lists the visible networks, joins the network named
// SSID or creates it, deletes it, holds the Internet reachability that its
// check thread reports, and passes the library's connect and disconnect
// notifications on as events.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "WirelessLibrary.h"
#include "util/ObjectList.h"
#include "wifi/CrossThreadEvent.h"

class TWifiConnection;

// One visible network of the last scan, owned by TWifiConnection::Networks.
class TWLanNetwork {
 public:
  std::u16string InterfaceId;  // copy of the identifier of the interface that sees it
  std::u16string Name;
  std::uint8_t Kind = 3;       // 1, 2 or 3 (WIRELESS_KIND_*)
  std::uint8_t State = 1;      // 0 an interface is on it, 1 not, 2 left by this program
  std::u16string Key;          // set only on the network that matches SSID
  std::uint32_t ConnectValueA = 0;
  std::uint32_t ConnectValueB = 0;

  // Joins the network with Key; true when the library returned 0.
  bool Connect();
  // Leaves whatever its interface is on (result ignored); State := 2.
  void Disconnect();
};

// Probes IsInternetReachable about every `interval` and hands each change to
// its owner's InternetStatus, so OnInternetStatusChange fires on this thread.
// Probes once at start; Wake makes it probe at once (several wakes before it
// looks count as one; a wake during a probe gives one more probe right after).
class TThreadCheckInternet {
 public:
  // Created suspended.
  explicit TThreadCheckInternet(std::chrono::milliseconds interval);
  // Asks the thread to end and waits for it.
  ~TThreadCheckInternet();
  TThreadCheckInternet(const TThreadCheckInternet&) = delete;
  TThreadCheckInternet& operator=(const TThreadCheckInternet&) = delete;

  void Start();
  // Asks the thread to end; a waiting thread notices at once, a probe in
  // progress finishes first.
  void Terminate();
  void WaitFor();
  void Wake();

  // Receives the results; cleared by the owner before it stops the thread.
  std::atomic<TWifiConnection*> Owner{nullptr};

 private:
  void Execute(std::stop_token stop);

  const std::chrono::milliseconds interval_;
  std::uint8_t LastStatus = 0;  // the thread's own
  std::mutex mutex_;
  std::condition_variable_any wake_;
  bool WakeFlag = false;
  std::jthread thread_;
};

class TWifiConnection {
 public:
  static constexpr std::chrono::milliseconds DefaultCheckInterval{5000};

  // Starts the check thread (which probes at once) and registers for the
  // library's notifications.
  explicit TWifiConnection(std::chrono::milliseconds checkInterval = DefaultCheckInterval);
  // Unregisters, stops the check thread and waits for it: no event fires
  // once it returns.
  ~TWifiConnection();
  TWifiConnection(const TWifiConnection&) = delete;
  TWifiConnection& operator=(const TWifiConnection&) = delete;

  // Name of the network to create or join. Stored when it differs (exact
  // comparison); any text.
  const std::string& SSID() const { return FSSID; }
  void SetSSID(const std::string& value);

  // Key of that network. Stored as passed when it differs and its length
  // after trimming blanks and control characters is 5 or 13; anything else
  // is ignored and the old key stays.
  const std::string& Password() const { return FPassword; }
  void SetPassword(const std::string& value);

  // 0 not yet probed, 1 Internet reachable, 2 not reachable. Writing a new
  // value fires OnInternetStatusChange with it, on the writing thread.
  std::uint8_t InternetStatus() const { return FInternetStatus; }
  void SetInternetStatus(std::uint8_t value);

  // Networks of the last scan, in library order, under their 8-bit names.
  const TObjectList<TWLanNetwork>& Networks() const { return FNetworks; }
  int NetworkCount() const { return FNetworkCount; }
  // The last network of the last scan whose state is 0; none after a scan
  // that saw none.
  TWLanNetwork* CurrentNetwork() const { return FCurrentNetwork; }
  // The network an interface is on, as the last scan or notification said.
  std::string CurrentNetworkName() const;

  // OnScanStart, then Scan.
  void Refresh();
  // Rebuilds Networks from a fresh QueryInterfaces.
  void Scan();
  // Fills the interface list and the first four network lists under
  // WifiLibraryLock: the failure of EnumInterface, else the result of the
  // last GetVisibleNetworkList, else 0.
  DWORD QueryInterfaces();
  // Joins the last visible network named SSID of kind 1, leaving every other
  // network an interface is on, or else creates the network; when the last
  // look found no interface, it looks again first (QueryInterfaces).
  bool ConnectOrCreate();
  // AddSsid(SSID, Password) on the first interface; false without one.
  bool CreateNetwork();
  // DeleteSsid(SSID) on the first interface; false without one.
  bool DeleteNetwork();
  // Why the last ConnectOrCreate, CreateNetwork or DeleteNetwork that failed
  // did, as the machine explained it: the reason of the library call that
  // failed, or, without an interface, why the last query found none. Empty
  // when the machine gave no reason.
  std::string RefusalReason() const;
  // The check thread probes at once.
  void CheckInternetNow();
  // Reacts to one library notification: 10 connected, 21 disconnected.
  void HandleNotification(const WLAN_NOTIFICATION_DATA* data);

  // Fired on the UI thread by Refresh.
  std::function<void(TWifiConnection* sender)> OnScanStart;
  // Fired on the UI thread by Scan, once per network after it was added.
  std::function<void(const std::u16string& name, std::uint8_t state, std::uint8_t kind)> OnNetworkFound;
  // Fired on the check thread.
  TCrossThreadEvent<void(std::uint8_t status)> OnInternetStatusChange;
  // Fired on the library's thread.
  TCrossThreadEvent<void(const std::u16string& name)> OnConnected;
  TCrossThreadEvent<void(const std::u16string& name)> OnDisconnected;

 private:
  void SetCurrentNetworkName(std::string name);

  std::string FSSID = "Sabrevane";
  std::string FPassword = "60917";
  TObjectList<TWLanNetwork> FNetworks;
  int FNetworkCount = 0;
  TWLanNetwork* FCurrentNetwork = nullptr;
  mutable std::mutex FCurrentNetworkNameLock;  // the UI thread and the library's thread
  std::string FCurrentNetworkName;
  std::atomic<std::uint8_t> FInternetStatus{0};
  WIRELESS_INTERFACE_LIST FInterfaceList{};  // counts no interface until the first query
  std::string FNoInterfaceReason;            // the machine's word on an empty interface list
  std::array<WIRELESS_NETWORK_LIST, WIRELESS_MAX_INTERFACES> FNetworkLists{};
  std::unique_ptr<TThreadCheckInternet> FCheckThread;
};

// Held around the library's list queries.
extern std::mutex WifiLibraryLock;

// The most recently constructed component, which receives the library's
// notifications; cleared when that component goes.
extern std::atomic<TWifiConnection*> ActiveWifiConnection;

// The function registered with the library: hands the record to
// ActiveWifiConnection; ignores the context.
void WINAPI WifiNotificationCallback(WLAN_NOTIFICATION_DATA* data, PVOID context);
