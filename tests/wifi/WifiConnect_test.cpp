// ConnectOrCreate, CreateNetwork and DeleteNetwork against the machine's radio.
#include <gtest/gtest.h>

#include "WifiTestKit.h"
#include "machine/Refusal.h"

namespace {

using namespace wifitest;

class WifiConnect : public WifiTest {
 protected:
  // The network this machine broadcasts, as its first interface hears it.
  std::optional<plat::VisibleNetwork> own() {
    for (const auto& n : heard()) {
      if (n.kind == plat::NetworkKind::Computer && n.connected && n.signal == 100) return n;
    }
    return std::nullopt;
  }
};

TEST_F(WifiConnect, JoinsTheLaterOfTwoMatchingNetworks) {
  install(MachineSpec().withNetworks({{{"name", "Sabrevane"}, {"kind", 1}, {"key", "60917"}},
                        {{"name", "Sabrevane"}, {"kind", 1}, {"key", "60917"}}}));
  auto& wifi = create();
  wifi.Scan();
  ASSERT_TRUE(wifi.ConnectOrCreate());
  const auto networks = heard();
  EXPECT_FALSE(networks[0].connected);
  EXPECT_TRUE(networks[1].connected);
}

TEST_F(WifiConnect, LeavesEveryOtherNetworkBeforeJoining) {
  install(MachineSpec().withNetworks({{{"name", "HOME"}, {"kind", 2}, {"key", "secret"}},
                        {{"name", "Sabrevane"}, {"kind", 1}, {"key", "60917"}}}).withInterfaces({{{"id", wlan}, {"joined", "HOME"}}}));
  auto& wifi = create();
  wifi.Scan();
  ASSERT_TRUE(wifi.ConnectOrCreate());
  EXPECT_EQ(wifi.Networks().Objects(0)->State, 2);
  EXPECT_EQ(wifi.Networks().Objects(1)->State, 1);  // the list is not rescanned
  const auto networks = heard();
  EXPECT_FALSE(networks[0].connected);
  EXPECT_TRUE(networks[1].connected);
  EXPECT_FALSE(own());
}

TEST_F(WifiConnect, CreatesTheNetworkWhenOnlyAnotherKindCarriesTheName) {
  install(MachineSpec().withNetworks({{{"name", "Sabrevane"}, {"kind", 3}}}).withInterfaces({{{"id", wlan}, {"joined", "Sabrevane"}}}));
  auto& wifi = create();
  wifi.Scan();
  ASSERT_TRUE(wifi.ConnectOrCreate());
  EXPECT_EQ(wifi.Networks().Objects(0)->State, 2);
  const auto created = own();
  ASSERT_TRUE(created);
  EXPECT_EQ(created->name, "Sabrevane");
  EXPECT_TRUE(created->secured);
  EXPECT_FALSE(heard()[0].connected);
}

TEST_F(WifiConnect, AWrongKeyJoinsNothingAndCreatesNothing) {
  install(MachineSpec().withNetworks({{{"name", "Sabrevane"}, {"kind", 1}, {"key", "other"}}}));
  auto& wifi = create();
  wifi.Scan();
  EXPECT_FALSE(wifi.ConnectOrCreate());
  EXPECT_FALSE(heard()[0].connected);
  EXPECT_FALSE(own());
}

TEST_F(WifiConnect, JoinsWithTheKindAndValuesOfTheList) {
  install(MachineSpec().withNetworks({{{"name", "Open"}, {"kind", 3}}, {{"name", "HOME"}, {"kind", 2}, {"key", "secret"}}}));
  auto& wifi = create();
  wifi.Scan();
  TWLanNetwork& open = *wifi.Networks().Objects(0);
  TWLanNetwork& home = *wifi.Networks().Objects(1);
  EXPECT_TRUE(open.Connect());
  EXPECT_FALSE(home.Connect());  // its Key is empty
  home.Key = u"secret";
  EXPECT_TRUE(home.Connect());
  home.Kind = 7;  // not a kind: any kind is asked for
  EXPECT_TRUE(home.Connect());
  home.ConnectValueB = 0xDEAD;  // another network's id
  EXPECT_FALSE(home.Connect());
  home.Disconnect();
  EXPECT_EQ(home.State, 2);
  EXPECT_FALSE(heard()[1].connected);
}

TEST_F(WifiConnect, CreatesAndDeletesOnTheFirstInterface) {
  install(MachineSpec().withInterfaces({{{"id", wlan}}, {{"id", "{SECOND}"}}}));
  auto& wifi = create();
  // Before the first query the interface list counts none.
  EXPECT_FALSE(wifi.CreateNetwork());
  EXPECT_FALSE(own());
  // ConnectOrCreate looks for the interfaces itself when the last look found none.
  wifi.SetSSID("Brisklane");
  ASSERT_TRUE(wifi.ConnectOrCreate());
  ASSERT_TRUE(own());
  EXPECT_EQ(own()->name, "Brisklane");
  EXPECT_TRUE(heard("{SECOND}").empty());
  EXPECT_TRUE(wifi.DeleteNetwork());
  EXPECT_FALSE(own());
  EXPECT_FALSE(wifi.DeleteNetwork());
}

TEST_F(WifiConnect, WithoutAnInterfaceNothingIsCreatedOrDeletedAndTheMachinesWordOnThatIsKept) {
  install(MachineSpec().withInterfaces(nlohmann::json::array()));
  auto& wifi = create();
  plat::setRefusal("NetworkManager is not running.");  // what a real machine says with its empty list
  wifi.Scan();
  plat::clearRefusal();  // later calls of the platform start without it
  EXPECT_FALSE(wifi.CreateNetwork());
  EXPECT_FALSE(wifi.DeleteNetwork());
  EXPECT_EQ(wifi.RefusalReason(), "NetworkManager is not running.");
  // ConnectOrCreate looks again, and has the machine's newest word.
  plat::setRefusal("NetworkManager has not answered yet.");
  EXPECT_FALSE(wifi.ConnectOrCreate());
  EXPECT_EQ(wifi.RefusalReason(), "NetworkManager has not answered yet.");
}

}  // namespace
