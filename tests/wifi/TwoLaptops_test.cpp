// Two machines on one air: the host broadcasts with the library's AddSsid, the
// guest's component scans, joins, is told, and loses the network again; the
// other way round, this laptop's hotspot component is told of the guest.
#include <gtest/gtest.h>

#include "WifiTestKit.h"
#include "sim/SimNetwork.h"
#include "testkit/TempDir.h"
#include "wifi/WifiHotspot.h"

namespace {

using namespace wifitest;
using Link = EventRecorder::Link;

class TwoLaptops : public WifiTest {
 protected:
  void SetUp() override {
    host = makeMachine(MachineSpec().withInternet().sharingToWireless().onAir(air.path()));
    install(MachineSpec().onAir(air.path()));
    ASSERT_EQ(host->simRadio().addOwnNetwork(wlan, "Brisklane", "60917"), plat::RadioResult::Ok);
  }

  testkit::TempDir air;
  std::shared_ptr<plat::sim::SimMachine> host;
};

TEST_F(TwoLaptops, TheGuestFindsJoinsAndLosesTheHostsNetwork) {
  auto& wifi = create();
  wifi.SetSSID("Brisklane");
  struct Found {
    std::u16string name;
    std::uint8_t state;
    std::uint8_t kind;
    bool operator==(const Found&) const = default;
  };
  std::vector<Found> found;
  wifi.OnNetworkFound = [&](const std::u16string& name, std::uint8_t state, std::uint8_t kind) {
    found.push_back({name, state, kind});
  };
  wifi.Refresh();
  EXPECT_EQ(found, (std::vector<Found>{{u"Brisklane", 1, WIRELESS_KIND_COMPUTER}}));

  ASSERT_TRUE(wifi.ConnectOrCreate());
  ASSERT_TRUE(events.waitLinks(1));
  EXPECT_EQ(wifi.CurrentNetworkName(), "Brisklane");
  found.clear();
  wifi.Scan();
  EXPECT_EQ(found, (std::vector<Found>{{u"Brisklane", 0, WIRELESS_KIND_COMPUTER}}));
  ASSERT_NE(wifi.CurrentNetwork(), nullptr);
  EXPECT_EQ(wifi.CurrentNetwork()->Name, u"Brisklane");

  ASSERT_EQ(host->simRadio().deleteOwnNetwork(wlan, "Brisklane"), plat::RadioResult::Ok);
  ASSERT_TRUE(events.waitLinks(2));  // told without scanning
  EXPECT_EQ(events.links(), (std::vector<Link>{{true, u"Brisklane"}, {false, u"Brisklane"}}));
  EXPECT_EQ(wifi.CurrentNetworkName(), "");
  found.clear();
  wifi.Refresh();
  EXPECT_TRUE(found.empty());
}

TEST_F(TwoLaptops, AGuestWithAnotherKeyDoesNotJoin) {
  auto& wifi = create();
  wifi.SetSSID("Brisklane");
  wifi.SetPassword("99999");
  wifi.Scan();
  EXPECT_FALSE(wifi.ConnectOrCreate());
  wifi.Scan();
  ASSERT_EQ(wifi.NetworkCount(), 1);
  EXPECT_EQ(wifi.Networks().Objects(0)->State, 1);
}

TEST_F(TwoLaptops, TheGuestReachesTheInternetWhileTheHostSharesIt) {
  auto& wifi = create();
  gate.allow(1);
  ASSERT_TRUE(events.waitStatuses(1));
  EXPECT_EQ(wifi.InternetStatus(), 2);

  wifi.SetSSID("Brisklane");
  wifi.Scan();
  ASSERT_TRUE(wifi.ConnectOrCreate());
  wifi.CheckInternetNow();
  gate.allow(1);
  ASSERT_TRUE(events.waitStatuses(2));
  EXPECT_EQ(wifi.InternetStatus(), 1);

  // The host stops sharing; its keeper tells the air (one round of it here).
  ASSERT_EQ(host->simNetwork().disableSharing(wlan), plat::SharingStatus::Ok);
  host->simRadio().tendAir();
  wifi.CheckInternetNow();
  gate.allow(1);
  ASSERT_TRUE(events.waitStatuses(3));
  EXPECT_EQ(events.statuses(), (std::vector<std::uint8_t>{2, 1, 2}));
}

TEST_F(TwoLaptops, ThisLaptopsHotspotIsToldOfEachGuestAndListsIt) {
  auto& wifi = create();
  wifi.SetSSID("Visitors");
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<TGuestNotice> notices;
  auto hotspot = std::make_unique<TWifiHotspot>();
  hotspot->OnGuestChange = [&](const TGuestNotice& notice) {
    std::lock_guard lock(mutex);
    notices.push_back(notice);
    changed.notify_all();
  };
  const auto waitNotices = [&](std::size_t count) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, patience, [&] { return notices.size() >= count; });
  };

  EXPECT_FALSE(hotspot->HostedNetwork());
  wifi.Scan();
  ASSERT_TRUE(wifi.CreateNetwork());
  const auto hosted = hotspot->HostedNetwork();
  ASSERT_TRUE(hosted);
  EXPECT_EQ(hosted->Name, u"Visitors");
  EXPECT_EQ(hosted->Security, THostedSecurity::Wep);
  EXPECT_TRUE(hotspot->Guests().empty());

  // The other laptop leaves its own network to join this one.
  ASSERT_EQ(host->simRadio().connect(wlan, "Visitors", std::string("60917"), plat::NetworkKind::Computer, 0),
            plat::RadioResult::Ok);
  ASSERT_TRUE(waitNotices(1));
  const auto guests = hotspot->Guests();
  ASSERT_EQ(guests.size(), 1u);
  EXPECT_EQ(guests[0].DisplayName(), u"test");
  EXPECT_EQ(guests[0].IpAddress, "192.168.137.2");
  ASSERT_EQ(host->simRadio().disconnect(wlan), plat::RadioResult::Ok);
  ASSERT_TRUE(waitNotices(2));

  // Gone, it is told nothing: the guest comes and goes again before the
  // library's disconnect of this laptop's network, which comes after them.
  hotspot.reset();
  ASSERT_EQ(host->simRadio().connect(wlan, "Visitors", std::string("60917"), plat::NetworkKind::Computer, 0),
            plat::RadioResult::Ok);
  std::vector<plat::NetworkGuest> seen;
  ASSERT_EQ(machine->simRadio().guests(wlan, seen), plat::RadioResult::Ok);
  ASSERT_EQ(seen.size(), 1u);
  ASSERT_TRUE(wifi.DeleteNetwork());
  ASSERT_TRUE(events.waitLinks(2));

  std::lock_guard lock(mutex);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_TRUE(notices[0].Joined);
  EXPECT_EQ(notices[0].NetworkName, u"Visitors");
  EXPECT_EQ(notices[0].Guest.DisplayName(), u"test");
  EXPECT_FALSE(notices[1].Joined);
}

}  // namespace
