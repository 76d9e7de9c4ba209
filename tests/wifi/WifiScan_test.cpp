// Scan: what becomes of the library's lists.
#include <gtest/gtest.h>

#include "WifiTestKit.h"

namespace {

using namespace wifitest;

class WifiScan : public WifiTest {
 protected:
  struct Found {
    std::u16string name;
    std::uint8_t state;
    std::uint8_t kind;
    bool operator==(const Found&) const = default;
  };

  // Refreshes and returns what OnScanStart (as "start") and OnNetworkFound
  // reported, in order.
  std::vector<Found> refresh(TWifiConnection& wifi) {
    std::vector<Found> found;
    wifi.OnScanStart = [&](TWifiConnection* sender) {
      EXPECT_EQ(sender, &wifi);
      found.push_back({u"start", 0, 0});
    };
    wifi.OnNetworkFound = [&](const std::u16string& name, std::uint8_t state, std::uint8_t kind) {
      EXPECT_EQ(wifi.Networks().Count(), static_cast<int>(found.size()));  // added before the event
      found.push_back({name, state, kind});
    };
    wifi.Refresh();
    wifi.OnScanStart = nullptr;
    wifi.OnNetworkFound = nullptr;
    return found;
  }
};

TEST_F(WifiScan, ListsEveryNetworkOfEveryInterfaceInLibraryOrder) {
  install(MachineSpec().withNetworks({{{"name", "Cafe"}, {"kind", 3}},
                        {{"name", "HOME"}, {"kind", 2}, {"key", "secret"}},
                        {{"name", "Laptop"}, {"kind", 1}}}).withInterfaces({{{"id", wlan}, {"joined", "HOME"}}, {{"id", "{SECOND}"}}}));
  auto& wifi = create();
  EXPECT_EQ(refresh(wifi), (std::vector<Found>{{u"start", 0, 0},
                                               {u"Cafe", 1, 3},
                                               {u"HOME", 0, 2},
                                               {u"Laptop", 1, 1},
                                               {u"Cafe", 1, 3},
                                               {u"HOME", 1, 2},
                                               {u"Laptop", 1, 1}}));
  ASSERT_EQ(wifi.NetworkCount(), 6);
  EXPECT_EQ(wifi.Networks().Strings(1), "HOME");
  const TWLanNetwork& home = *wifi.Networks().Objects(1);
  EXPECT_EQ(home.InterfaceId, u"{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}");
  EXPECT_EQ(home.ConnectValueA, WIRELESS_SECURITY_KEY);
  EXPECT_NE(home.ConnectValueB, wifi.Networks().Objects(0)->ConnectValueB);
  EXPECT_EQ(wifi.Networks().Objects(4)->InterfaceId, u"{SECOND}");
  EXPECT_EQ(wifi.CurrentNetwork(), &home);
  EXPECT_EQ(wifi.CurrentNetworkName(), "HOME");
}

TEST_F(WifiScan, SkipsNamesThatAreEmptyOrBlank) {
  install(MachineSpec().withNetworks({{{"name", ""}, {"kind", 3}},
                        {{"name", "   "}, {"kind", 3}},
                        {{"name", "\t\r\n"}, {"kind", 3}},
                        {{"name", " Real "}, {"kind", 3}}}));
  auto& wifi = create();
  EXPECT_EQ(refresh(wifi), (std::vector<Found>{{u"start", 0, 0}, {u" Real ", 1, 3}}));
  EXPECT_EQ(wifi.NetworkCount(), 1);
  EXPECT_EQ(wifi.Networks().Strings(0), " Real ");
}

TEST_F(WifiScan, ReadsANameThatFillsAll33UnitsWhole) {
  const std::string exactly33(33, 'L');
  install(MachineSpec().withNetworks({{{"name", exactly33}, {"kind", 3}}, {{"name", exactly33 + "TAIL"}, {"kind", 3}}}));
  auto& wifi = create();
  wifi.Scan();
  ASSERT_EQ(wifi.NetworkCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(wifi.Networks().Strings(i), exactly33);
    EXPECT_EQ(wifi.Networks().Objects(i)->Name, std::u16string(33, u'L'));
  }
}

TEST_F(WifiScan, ReadsNoMoreThanItsBuffersHold) {
  auto networks = nlohmann::json::array();
  for (int i = 0; i < 25; ++i) networks.push_back({{"name", "N" + std::to_string(i)}, {"kind", 3}});
  auto interfaces = nlohmann::json::array();
  for (int i = 0; i < 6; ++i) interfaces.push_back({{"id", "{IF" + std::to_string(i) + "}"}});
  install(MachineSpec().withNetworks(networks).withInterfaces(interfaces));
  auto& wifi = create();
  EXPECT_EQ(wifi.QueryInterfaces(), 0u);
  wifi.Scan();
  EXPECT_EQ(wifi.NetworkCount(), 4 * 21);
  EXPECT_EQ(wifi.Networks().Strings(20), "N20");
  EXPECT_EQ(wifi.Networks().Strings(21), "N0");
  EXPECT_EQ(wifi.Networks().Objects(4 * 21 - 1)->InterfaceId, u"{IF3}");
}

TEST_F(WifiScan, GivesTheKeyOnlyToTheNetworkNamedSsidOfKind1) {
  install(MachineSpec().withNetworks({{{"name", "Sabrevane"}, {"kind", 1}},
                        {{"name", "Sabrevane"}, {"kind", 3}},
                        {{"name", "sabrevane"}, {"kind", 1}},
                        {{"name", "Other"}, {"kind", 1}}}));
  auto& wifi = create();
  wifi.Scan();
  ASSERT_EQ(wifi.NetworkCount(), 4);
  EXPECT_EQ(wifi.Networks().Objects(0)->Key, u"60917");
  for (int i = 1; i < 4; ++i) EXPECT_EQ(wifi.Networks().Objects(i)->Key, u"") << i;
}

TEST_F(WifiScan, ANewScanReplacesTheLastOne) {
  install(MachineSpec().withNetworks({{{"name", "HOME"}, {"kind", 2}, {"key", "secret"}}}).withInterfaces({{{"id", wlan}, {"joined", "HOME"}}}));
  auto& wifi = create();
  wifi.Scan();
  ASSERT_NE(wifi.CurrentNetwork(), nullptr);
  ASSERT_EQ(machine->simRadio().disconnect(wlan), plat::RadioResult::Ok);
  wifi.Scan();
  EXPECT_EQ(wifi.NetworkCount(), 1);
  EXPECT_EQ(wifi.Networks().Objects(0)->State, 1);
  EXPECT_EQ(wifi.CurrentNetwork(), nullptr);
  EXPECT_EQ(wifi.CurrentNetworkName(), "");
}

TEST_F(WifiScan, AMachineWithoutWirelessInterfacesListsNothing) {
  install(MachineSpec().withInterfaces(nlohmann::json::array()));
  auto& wifi = create();
  EXPECT_EQ(wifi.QueryInterfaces(), 0u);
  EXPECT_EQ(refresh(wifi), (std::vector<Found>{{u"start", 0, 0}}));
  EXPECT_EQ(wifi.NetworkCount(), 0);
}

}  // namespace
