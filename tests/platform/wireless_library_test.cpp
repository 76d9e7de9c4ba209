// The wireless library's C functions on every kind of machine: record
// layouts, bounds, result codes and notifications on the library's own thread.
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "WirelessHotspot.h"
#include "WirelessLibrary.h"
#include "sim/SimRadio.h"
#include "testkit/ConformanceMachines.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

const std::u16string wlan = u"{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";

nlohmann::json interfaces(int count) {
  auto list = nlohmann::json::array();
  for (int i = 0; i < count; ++i) list.push_back({{"id", "{IF" + std::to_string(i) + "}"}});
  return list;
}

// A machine that hears `networks` on its interfaces (by default one).
nlohmann::json hearing(nlohmann::json networks, nlohmann::json ifaces = nullptr) {
  if (ifaces.is_null()) ifaces = {{{"id", "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}"}}};
  return testkit::SimMachineBuilder()
      .section("wireless", {{"interfaces", std::move(ifaces)}, {"networks", std::move(networks)}})
      .json();
}

// A record with guard bytes behind it that the library must not touch.
template <class Record>
struct Guarded {
  Record record{};
  unsigned char guard[64];
  Guarded() { std::memset(guard, 0xA5, sizeof guard); }
  bool guardIntact() const {
    for (unsigned char b : guard) {
      if (b != 0xA5) return false;
    }
    return true;
  }
};

struct Notification {
  DWORD source;
  DWORD code;
  std::string name;        // at payload offset 520
  std::u16string profile;  // the payload's profile name
  std::thread::id thread;
};

// Collects what a callback function receives; as the callback is a plain
// function, the log is process-wide and reset by each test.
template <class Entry>
struct CallbackLog {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Entry> received;

  static CallbackLog& instance() {
    static CallbackLog log;
    return log;
  }
  void add(Entry entry) {
    std::lock_guard lock(mutex);
    received.push_back(std::move(entry));
    changed.notify_all();
  }
  std::vector<Entry> waitFor(std::size_t count) {
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return received.size() >= count; }));
    return received;
  }
  void clear() {
    std::lock_guard lock(mutex);
    received.clear();
  }
};

struct GuestNotification {
  DWORD code;
  std::u16string network;
  WIRELESS_GUEST_ENTRY guest;
  std::thread::id thread;
};

using NotificationLog = CallbackLog<Notification>;
using GuestLog = CallbackLog<GuestNotification>;

void WINAPI LogNotification(WLAN_NOTIFICATION_DATA* data, PVOID context) {
  EXPECT_EQ(context, nullptr);
  const auto* payload = static_cast<const WLAN_CONNECTION_NOTIFICATION_DATA*>(data->pData);
  EXPECT_EQ(data->dwDataSize, sizeof(WLAN_CONNECTION_NOTIFICATION_DATA));
  NotificationLog::instance().add({data->NotificationSource, data->NotificationCode,
                                   reinterpret_cast<const char*>(data->pData) + 520, payload->strProfileName,
                                   std::this_thread::get_id()});
}

void WINAPI LogGuestNotification(const WIRELESS_GUEST_NOTIFICATION* notification, PVOID context) {
  EXPECT_EQ(context, nullptr);
  GuestLog::instance().add(
      {notification->Code, notification->NetworkName, notification->Guest, std::this_thread::get_id()});
}

// The library's front on every kind of machine.
class WirelessLibrary : public testkit::ConformanceTest {
 protected:
  void TearDown() override { UnRegisterNotification(); }
};
INSTANTIATE_CONFORMANCE_SUITE(WirelessLibrary);

TEST_P(WirelessLibrary, ListsInterfacesWithIdentifiersThatStayValid) {
  ARRANGE_MACHINE(hearing(nlohmann::json::array(), interfaces(2)));
  Guarded<WIRELESS_INTERFACE_LIST> list;
  ASSERT_EQ(EnumInterface(&list.record), 0u);
  EXPECT_EQ(list.record.Count, 2u);
  const LPCWSTR first = list.record.Interface[0].Identifier;
  EXPECT_EQ(std::u16string(first), u"{IF0}");
  EXPECT_EQ(std::u16string(list.record.Interface[1].Identifier), u"{IF1}");
  EXPECT_EQ(list.record.Interface[2].Identifier, nullptr);

  Guarded<WIRELESS_INTERFACE_LIST> again;
  ASSERT_EQ(EnumInterface(&again.record), 0u);
  EXPECT_EQ(again.record.Interface[0].Identifier, first);
  EXPECT_EQ(std::u16string(first), u"{IF0}");
  EXPECT_EQ(EnumInterface(nullptr), ERROR_INVALID_PARAMETER);
}

TEST_P(WirelessLibrary, WritesNoMoreThanFourInterfacesButCountsThemAll) {
  ARRANGE_MACHINE(hearing(nlohmann::json::array(), interfaces(6)));
  Guarded<WIRELESS_INTERFACE_LIST> list;
  ASSERT_EQ(EnumInterface(&list.record), 0u);
  EXPECT_EQ(list.record.Count, 6u);
  EXPECT_EQ(std::u16string(list.record.Interface[3].Identifier), u"{IF3}");
  EXPECT_TRUE(list.guardIntact());
}

TEST_P(WirelessLibrary, FillsNetworkEntriesAtTheirOffsets) {
  const std::string longName(40, 'L');
  ARRANGE_MACHINE(hearing({{{"name", "Cafe"}, {"kind", 3}, {"signal", 48}},
                           {{"name", "HOME"}, {"kind", 2}, {"key", "k"}, {"signal", 71}},
                           {{"name", longName}, {"kind", 1}},
                           {{"name", "Zoë"}, {"kind", 3}}}));
  Guarded<WIRELESS_NETWORK_LIST> list;
  ASSERT_EQ(GetVisibleNetworkList(wlan.c_str(), &list.record), 0u);
  ASSERT_EQ(list.record.Count, 4u);

  const auto* bytes = reinterpret_cast<const unsigned char*>(&list.record);
  auto dword = [&](std::size_t offset) {
    DWORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
  };
  const std::size_t cafe = 8, home = 108, computer = 208;
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(bytes + cafe)), u"Cafe");
  EXPECT_EQ(dword(cafe + 68), 4u);
  EXPECT_EQ(bytes[cafe + 80], 1);  // not connected
  EXPECT_EQ(bytes[cafe + 84], WIRELESS_KIND_OPEN);
  EXPECT_EQ(dword(cafe + 88), 48u);
  EXPECT_EQ(dword(cafe + 92), WIRELESS_SECURITY_OPEN);
  EXPECT_EQ(bytes[home + 84], WIRELESS_KIND_ACCESS_POINT);
  EXPECT_EQ(dword(home + 92), WIRELESS_SECURITY_KEY);
  EXPECT_NE(dword(home + 96), dword(cafe + 96));
  // A name of more than 33 units fills all 33 without a terminator.
  const auto* name = reinterpret_cast<const char16_t*>(bytes + computer);
  EXPECT_EQ(std::u16string(name, name + 33), std::u16string(33, u'L'));
  EXPECT_EQ(dword(computer + 68), 33u);
  EXPECT_EQ(bytes[computer + 84], WIRELESS_KIND_COMPUTER);
  EXPECT_EQ(std::u16string(list.record.Network[3].Name), u"Zoë");
  EXPECT_TRUE(list.guardIntact());
}

TEST_P(WirelessLibrary, WritesNoMoreThan21NetworksButCountsThemAll) {
  auto networks = nlohmann::json::array();
  for (int i = 0; i < 25; ++i) networks.push_back({{"name", "N" + std::to_string(i)}, {"kind", 3}});
  ARRANGE_MACHINE(hearing(networks));
  Guarded<WIRELESS_NETWORK_LIST> list;
  ASSERT_EQ(GetVisibleNetworkList(wlan.c_str(), &list.record), 0u);
  EXPECT_EQ(list.record.Count, 25u);
  EXPECT_EQ(std::u16string(list.record.Network[20].Name), u"N20");
  EXPECT_TRUE(list.guardIntact());
}

TEST_P(WirelessLibrary, AnswersBadArgumentsWithErrorCodes) {
  ARRANGE_MACHINE(hearing({{{"name", "HOME"}, {"kind", 2}, {"key", "secret"}}}));
  WIRELESS_NETWORK_LIST list{};
  const char16_t loneSurrogate[] = {0xD800, u'x', 0};
  EXPECT_EQ(GetVisibleNetworkList(nullptr, &list), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetVisibleNetworkList(wlan.c_str(), nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetVisibleNetworkList(u"{UNKNOWN}", &list), ERROR_NOT_FOUND);
  EXPECT_EQ(GetVisibleNetworkList(loneSurrogate, &list), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Connect(wlan.c_str(), u"HOME", u"secret", 4, 1, 0), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Connect(wlan.c_str(), u"HOME", u"secret", 2, 2, 0), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Connect(wlan.c_str(), u"HOME", nullptr, 2, WIRELESS_SECURITY_KEY, 0), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Connect(wlan.c_str(), nullptr, u"secret", 2, 1, 0), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Connect(wlan.c_str(), u"HOME", u"wrong", 2, WIRELESS_SECURITY_KEY, 0), ERROR_INVALID_PASSWORD);
  // Without the key sent, a network that needs one is not joined.
  EXPECT_EQ(Connect(wlan.c_str(), u"HOME", u"secret", 2, WIRELESS_SECURITY_OPEN, 0), ERROR_INVALID_PASSWORD);
  EXPECT_EQ(Connect(wlan.c_str(), u"HOME", u"secret", 1, WIRELESS_SECURITY_KEY, 0), ERROR_NOT_FOUND);
  EXPECT_EQ(Connect(wlan.c_str(), u"HOME", u"secret", 2, WIRELESS_SECURITY_KEY, 12345), ERROR_NOT_FOUND);
  EXPECT_EQ(Disconnect(u"{UNKNOWN}"), ERROR_NOT_FOUND);
  EXPECT_EQ(AddSsid(wlan.c_str(), u"   ", u"60917"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(AddSsid(wlan.c_str(), u"Brisklane", loneSurrogate), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DeleteSsid(wlan.c_str(), u"Brisklane"), ERROR_NOT_FOUND);
  EXPECT_EQ(RegisterNotification(nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(UnRegisterNotification(), 0u);
}

TEST_P(WirelessLibrary, NotifiesOnItsOwnThreadInTheNativeWifiLayout) {
  ARRANGE_MACHINE(hearing({{{"name", "HOME"}, {"kind", 2}, {"key", "secret"}}}));
  auto& log = NotificationLog::instance();
  log.clear();
  ASSERT_EQ(RegisterNotification(&LogNotification), 0u);

  ASSERT_EQ(Connect(wlan.c_str(), u"HOME", u"secret", 2, WIRELESS_SECURITY_KEY, 0), 0u);
  EXPECT_EQ(Disconnect(wlan.c_str()), 0u);
  ASSERT_EQ(AddSsid(wlan.c_str(), u"Brisklane", u"60917"), 0u);
  ASSERT_EQ(DeleteSsid(wlan.c_str(), u"Brisklane"), 0u);

  const auto received = log.waitFor(4);
  ASSERT_EQ(received.size(), 4u);
  const std::vector<std::pair<DWORD, std::string>> expected = {
      {10, "HOME"}, {21, "HOME"}, {10, "Brisklane"}, {21, "Brisklane"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(received[i].source, WLAN_NOTIFICATION_SOURCE_ACM);
    EXPECT_EQ(received[i].code, expected[i].first);
    EXPECT_EQ(received[i].name, expected[i].second);
    EXPECT_EQ(received[i].thread, received[0].thread);
    EXPECT_NE(received[i].thread, std::this_thread::get_id());
  }
  EXPECT_EQ(received[0].profile, u"HOME");
}

TEST_P(WirelessLibrary, NoNotificationArrivesAfterUnregisteringReturns) {
  ARRANGE_MACHINE(hearing({{{"name", "Cafe"}, {"kind", 3}}}));
  // The callback holds the first delivery until the test lets it go, and
  // tells whether unregistering had returned meanwhile.
  static std::mutex mutex;
  static std::condition_variable changed;
  static bool entered, released, unregistering, returned, returnedDuringDelivery;
  static int calls;
  entered = released = unregistering = returned = returnedDuringDelivery = false;
  calls = 0;
  auto callback = [](WLAN_NOTIFICATION_DATA*, PVOID) {
    std::unique_lock lock(mutex);
    ++calls;
    entered = true;
    changed.notify_all();
    changed.wait(lock, [] { return released; });
    returnedDuringDelivery = returned;
  };
  ASSERT_EQ(RegisterNotification(callback), 0u);
  ASSERT_EQ(Connect(wlan.c_str(), u"Cafe", nullptr, 0, WIRELESS_SECURITY_OPEN, 0), 0u);
  ASSERT_EQ(Disconnect(wlan.c_str()), 0u);  // queued behind the held one
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [] { return entered; });
  }
  std::jthread unregister([] {
    {
      std::lock_guard lock(mutex);
      unregistering = true;
      changed.notify_all();
    }
    UnRegisterNotification();
    std::lock_guard lock(mutex);
    returned = true;
  });
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [] { return unregistering; });
    released = true;
    changed.notify_all();
  }
  unregister.join();
  int callsAtReturn = 0;
  {
    std::lock_guard lock(mutex);
    EXPECT_FALSE(returnedDuringDelivery);
    callsAtReturn = calls;
  }
  // Had the disconnect stayed queued, the next registration would get it
  // before the connect that follows.
  auto& log = NotificationLog::instance();
  log.clear();
  ASSERT_EQ(RegisterNotification(&LogNotification), 0u);
  ASSERT_EQ(Connect(wlan.c_str(), u"Cafe", nullptr, 0, WIRELESS_SECURITY_OPEN, 0), 0u);
  const auto received = log.waitFor(1);
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received[0].code, wlan_notification_acm_connection_complete);
  std::lock_guard lock(mutex);
  EXPECT_EQ(calls, callsAtReturn);
}

TEST_P(WirelessLibrary, UnregisteringFromInsideTheCallbackDoesNotHang) {
  ARRANGE_MACHINE(hearing({{{"name", "Cafe"}, {"kind", 3}}}));
  static std::mutex mutex;
  static std::condition_variable changed;
  static bool done = false;
  done = false;
  ASSERT_EQ(RegisterNotification([](WLAN_NOTIFICATION_DATA*, PVOID) {
              UnRegisterNotification();
              std::lock_guard lock(mutex);
              done = true;
              changed.notify_all();
            }),
            0u);
  ASSERT_EQ(Connect(wlan.c_str(), u"Cafe", nullptr, 0, WIRELESS_SECURITY_OPEN, 0), 0u);
  std::unique_lock lock(mutex);
  EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [] { return done; }));
}

// The library's front on simulated machines that share an air, or that
// stand in for a kind of machine.
class SimWirelessLibrary : public testing::Test {
 protected:
  void TearDown() override {
    UnRegisterNotification();
    UnRegisterGuestNotification();
  }
};

TEST_F(SimWirelessLibrary, ANetworkCreatedHereIsHeardByAnotherSimulatedMachineWithKind1) {
  testkit::TempDir air;
  auto guest = testkit::SimMachineBuilder()
                   .section("wireless", {{"interfaces", {{{"id", "{GUEST}"}}}}})
                   .airDir(air.path())
                   .build();
  auto host = testkit::SimMachineBuilder()
                  .section("wireless", {{"interfaces", {{{"id", "{HOST}"}}}}})
                  .airDir(air.path())
                  .build();
  testkit::ScopedMachine scope(host);
  ASSERT_EQ(AddSsid(u"{HOST}", u"Brisklane", u"60917"), 0u);

  std::vector<plat::VisibleNetwork> heard;
  ASSERT_EQ(guest->simRadio().visibleNetworks("{GUEST}", heard), plat::RadioResult::Ok);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].name, "Brisklane");
  EXPECT_EQ(heard[0].kind, plat::NetworkKind::Computer);
}

TEST_F(SimWirelessLibrary, TellsTheHostedNetworkAndTheDevicesThatJoinIt) {
  testkit::TempDir air;
  auto host = testkit::SimMachineBuilder()
                  .section("wireless", {{"interfaces", {{{"id", "{HOST}"}}}}})
                  .airDir(air.path())
                  .build();
  auto guest = testkit::SimMachineBuilder()
                   .section("wireless", {{"hostName", "Zoë's laptop"}, {"interfaces", {{{"id", "{GUEST}"}}}}})
                   .section("adapters",
                            {{{"guid", "{GUEST}"}, {"index", 12}, {"type", 71}, {"mac", "00-26-5E-4C-8D-91"}}})
                   .airDir(air.path())
                   .build();
  testkit::ScopedMachine scope(host);
  auto& connections = NotificationLog::instance();
  auto& guests = GuestLog::instance();
  connections.clear();
  guests.clear();
  ASSERT_EQ(RegisterNotification(&LogNotification), 0u);
  ASSERT_EQ(RegisterGuestNotification(&LogGuestNotification), 0u);

  Guarded<WIRELESS_HOSTED_NETWORK> hosted;
  EXPECT_EQ(GetHostedNetwork(u"{HOST}", &hosted.record), ERROR_NOT_FOUND);
  Guarded<WIRELESS_GUEST_LIST> list;
  EXPECT_EQ(GetHostedNetworkGuests(u"{HOST}", &list.record), ERROR_NOT_FOUND);
  ASSERT_EQ(AddSsid(u"{HOST}", u"Brisklane", u"60917"), 0u);
  ASSERT_EQ(GetHostedNetwork(u"{HOST}", &hosted.record), 0u);
  EXPECT_EQ(std::u16string(hosted.record.Name), u"Brisklane");
  EXPECT_EQ(hosted.record.Security, WIRELESS_HOSTED_WEP);
  EXPECT_TRUE(hosted.guardIntact());

  ASSERT_EQ(guest->simRadio().connect("{GUEST}", "Brisklane", std::string("60917"), std::nullopt, 0),
            plat::RadioResult::Ok);
  auto received = guests.waitFor(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].code, WIRELESS_GUEST_JOINED);
  EXPECT_EQ(received[0].network, u"Brisklane");
  EXPECT_EQ(std::u16string(received[0].guest.Name), u"Zoë's laptop");
  ASSERT_EQ(received[0].guest.HardwareAddressLength, 6u);
  EXPECT_EQ(received[0].guest.HardwareAddress[2], 0x5E);
  EXPECT_EQ(std::string(received[0].guest.IpAddress), "192.168.137.2");
  EXPECT_NE(received[0].thread, std::this_thread::get_id());

  ASSERT_EQ(GetHostedNetworkGuests(u"{HOST}", &list.record), 0u);
  ASSERT_EQ(list.record.Count, 1u);
  EXPECT_EQ(std::u16string(list.record.Guest[0].Name), u"Zoë's laptop");
  EXPECT_EQ(std::string(list.record.Guest[0].IpAddress), "192.168.137.2");
  EXPECT_EQ(list.record.Guest[1].HardwareAddressLength, 0u);
  EXPECT_TRUE(list.guardIntact());

  // The two registrations are apart: guest news still comes without the other.
  ASSERT_EQ(UnRegisterNotification(), 0u);
  ASSERT_EQ(guest->simRadio().disconnect("{GUEST}"), plat::RadioResult::Ok);
  received = guests.waitFor(2);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[1].code, WIRELESS_GUEST_LEFT);
  const auto own = connections.waitFor(1);
  ASSERT_EQ(own.size(), 1u);  // its own AddSsid: no guest news among them
  EXPECT_EQ(own[0].code, wlan_notification_acm_connection_complete);

  EXPECT_EQ(GetHostedNetwork(u"{HOST}", nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetHostedNetworkGuests(nullptr, &list.record), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetHostedNetworkGuests(u"{UNKNOWN}", &list.record), ERROR_NOT_FOUND);
  EXPECT_EQ(RegisterGuestNotification(nullptr), ERROR_INVALID_PARAMETER);
}

// A radio that answers only what the wireless library was first made for.
class PlainRadio : public plat::RadioBackend {
 public:
  std::vector<std::string> interfaces() override { return {"{PLAIN}"}; }
  plat::RadioResult visibleNetworks(const std::string&, std::vector<plat::VisibleNetwork>&) override {
    return plat::RadioResult::Ok;
  }
  plat::RadioResult connect(const std::string&, const std::string&, const std::optional<std::string>&,
                            std::optional<plat::NetworkKind>, std::uint32_t) override {
    return plat::RadioResult::NotVisible;
  }
  plat::RadioResult disconnect(const std::string&) override { return plat::RadioResult::Ok; }
  plat::RadioResult addOwnNetwork(const std::string&, const std::string&, const std::string&) override {
    return plat::RadioResult::Ok;
  }
  plat::RadioResult deleteOwnNetwork(const std::string&, const std::string&) override {
    return plat::RadioResult::Ok;
  }
  std::string networkPassphrase(const std::string& key) override { return key; }
  void setEventSink(EventSink) override {}
};

class PlainRadioMachine : public plat::sim::SimMachine {
 public:
  PlainRadioMachine() : SimMachine(testkit::SimMachineBuilder().json(), {}) {}
  plat::RadioBackend& radio() override { return radio_; }

 private:
  PlainRadio radio_;
};

TEST_F(SimWirelessLibrary, AMachineThatCannotTellWhoIsOnItsNetworkSaysSo) {
  testkit::ScopedMachine scope(std::make_shared<PlainRadioMachine>());
  ASSERT_EQ(AddSsid(u"{PLAIN}", u"Brisklane", u"60917"), 0u);
  WIRELESS_HOSTED_NETWORK hosted{};
  WIRELESS_GUEST_LIST list{};
  EXPECT_EQ(GetHostedNetwork(u"{PLAIN}", &hosted), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(GetHostedNetworkGuests(u"{PLAIN}", &list), ERROR_NOT_SUPPORTED);
}

}  // namespace
