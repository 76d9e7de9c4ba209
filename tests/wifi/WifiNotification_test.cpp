// The library's notifications: records read within their bounds, and the
// connect and disconnect events they raise.
#include <cstring>

#include <gtest/gtest.h>

#include "WifiTestKit.h"

namespace {

using namespace wifitest;
using Link = EventRecorder::Link;

// A notification record with its payload, built as the library would.
struct Record {
  WLAN_CONNECTION_NOTIFICATION_DATA payload{};
  WLAN_NOTIFICATION_DATA data{};

  Record(DWORD code, const std::string& name, DWORD source = WLAN_NOTIFICATION_SOURCE_ACM) {
    std::memcpy(payload.dot11Ssid.ucSSID, name.data(), std::min(name.size(), sizeof payload.dot11Ssid.ucSSID));
    data.NotificationSource = source;
    data.NotificationCode = code;
    data.dwDataSize = sizeof payload;
    data.pData = &payload;
  }
};

class WifiNotification : public WifiTest {};

TEST_F(WifiNotification, ConnectSetsTheCurrentNameAndDisconnectClearsItWhateverItCarries) {
  install({});
  auto& wifi = create();
  Record connected(10, "Brisklane");
  wifi.HandleNotification(&connected.data);
  EXPECT_EQ(wifi.CurrentNetworkName(), "Brisklane");
  Record disconnected(21, "Elsewhere");
  wifi.HandleNotification(&disconnected.data);
  EXPECT_EQ(wifi.CurrentNetworkName(), "");
  EXPECT_EQ(events.links(), (std::vector<Link>{{true, u"Brisklane"}, {false, u"Elsewhere"}}));
}

TEST_F(WifiNotification, IgnoresWhatIsNotAConnectOrDisconnectOfASource) {
  install({});
  auto& wifi = create();
  Record noSource(10, "A", 0x10000);  // low 16 bits zero
  Record otherCode(11, "B");
  Record highBits(0x1200 | 10, "C");  // only the low byte is the code
  wifi.HandleNotification(nullptr);
  wifi.HandleNotification(&noSource.data);
  wifi.HandleNotification(&otherCode.data);
  EXPECT_EQ(wifi.CurrentNetworkName(), "");
  wifi.HandleNotification(&highBits.data);
  EXPECT_EQ(wifi.CurrentNetworkName(), "C");
  EXPECT_EQ(events.links(), (std::vector<Link>{{true, u"C"}}));
}

TEST_F(WifiNotification, ReadsTheNameOnlyWithinThePayload) {
  install({});
  auto& wifi = create();
  struct Case {
    std::string name;
    DWORD dataSize;
    bool withPayload;
    std::string read;
  };
  const std::string full(32, 'x');
  const DWORD size = sizeof(WLAN_CONNECTION_NOTIFICATION_DATA);
  for (const auto& c : {Case{"Brisklane", size, true, "Brisklane"},
                        Case{full, size, true, full},  // no terminator: the SSID field's end
                        Case{"Brisklane", 525, true, "Brisk"},
                        Case{"Brisklane", 520, true, ""},
                        Case{"Brisklane", 0, true, ""},
                        Case{"Brisklane", size, false, ""}}) {
    Record record(10, c.name);
    std::memset(&record.payload.dot11BssType, 'y', sizeof record.payload.dot11BssType);
    record.data.dwDataSize = c.dataSize;
    if (!c.withPayload) record.data.pData = nullptr;
    wifi.HandleNotification(&record.data);
    EXPECT_EQ(wifi.CurrentNetworkName(), c.read) << c.name << ", " << c.dataSize;
  }
}

TEST_F(WifiNotification, TheLibrarysEventsArriveOnItsOwnThread) {
  install(MachineSpec().withNetworks({{{"name", "Sabrevane"}, {"kind", 1}, {"key", "60917"}}}));
  auto& wifi = create();
  wifi.Scan();
  ASSERT_TRUE(wifi.ConnectOrCreate());
  ASSERT_TRUE(events.waitLinks(1));
  EXPECT_EQ(wifi.CurrentNetworkName(), "Sabrevane");
  ASSERT_TRUE(wifi.DeleteNetwork());  // leaves the joined network
  ASSERT_TRUE(events.waitLinks(2));
  EXPECT_EQ(events.links(), (std::vector<Link>{{true, u"Sabrevane"}, {false, u"Sabrevane"}}));
  EXPECT_EQ(wifi.CurrentNetworkName(), "");
  for (auto thread : events.threads()) EXPECT_NE(thread, std::this_thread::get_id());
}

TEST_F(WifiNotification, NothingArrivesOnceTheComponentIsGone) {
  install(MachineSpec().withNetworks({{{"name", "Sabrevane"}, {"kind", 1}}}));
  auto& first = create();
  first.Scan();
  ASSERT_TRUE(first.ConnectOrCreate());
  ASSERT_TRUE(events.waitLinks(1));
  gate.open();
  wifi.reset();
  // A second component hears the disconnect; the first one's handlers do not.
  EventRecorder second;
  TWifiConnection next(std::chrono::hours(1));
  second.attach(next);
  ASSERT_EQ(machine->simRadio().disconnect(wlan), plat::RadioResult::Ok);
  ASSERT_TRUE(second.waitLinks(1));
  EXPECT_EQ(second.links(), (std::vector<Link>{{false, u"Sabrevane"}}));
  EXPECT_EQ(events.links().size(), 1u);
}

}  // namespace
