// What a Brisklane instance that ends without cleaning up leaves in
// NetworkManager (nothing), and what NetworkManager restarting does to the
// radio: a disconnect, after which it works on.
#include "RadioTestSupport.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>

#include "harness/ChildProcess.h"

namespace radiotest {
namespace {

// An instance of the program that starts a hotspot on its first interface
// and runs until it is killed.
NMTEST_CHILD_ROLE(hotspot) {
  plat::lnx::NmClient client;
  plat::lnx::NmDeviceInventory inventory(client);
  plat::lnx::NmRadio radio(client, inventory, {});
  const auto ids = radio.interfaces();
  if (ids.empty() || radio.addOwnNetwork(ids.front(), "Brisklane", "12345") != RadioResult::Ok) {
    std::printf("failed: %s\n", plat::lastRefusal().c_str());
    return 1;
  }
  std::printf("up\n");
  std::fflush(stdout);
  for (;;) pause();
}

TEST_F(RadioTest, AKilledInstancesHotspotGoesWithItAndTheNextInstanceFindsNothingToRemove) {
  machine.autoActivation = true;
  Start();
  nmtest::ChildProcess instance(QStringLiteral("hotspot"));
  ASSERT_EQ(instance.readLine(), QStringLiteral("up"));
  ASSERT_EQ(nm->deviceState("wlan0"), nmtest::kActivated);
  ASSERT_EQ(nm->profilePaths().size(), 2);

  instance.kill();
  EXPECT_TRUE(nmtest::waitUntil([&] {
    return nm->deviceState("wlan0") == nmtest::kDisconnected && nm->profilePaths().size() == 1;
  }));
  EXPECT_FALSE(radio->removeLeftovers());
  EXPECT_EQ(Changes(), std::vector<std::string>{});
}

TEST_F(RadioTest, StartUpRemovesWhatInstancesThatNoLongerRunLeftAndKeepsARunningInstancesHotspot) {
  machine.devices.push_back(nmtest::DeviceSpec::wifi("wlan1", "00:1B:2C:3D:4E:60"));
  machine.autoActivation = true;
  Start();
  // A hotspot an instance that is gone left up on wlan1, as a daemon that
  // does not bind activations to their client would keep it.
  auto left = plat::lnx::hotspotSettings({"Old", "12345", {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x60}, false},
                                         {QString::fromLatin1(getpwuid(geteuid())->pw_name), ":1.9999"});
  const QString leftUuid = left["connection"]["uuid"].toString();
  nm->addProfile(left, QStringLiteral("memory"));
  nm->activateProfile(leftUuid, "wlan1");
  // A running instance's hotspot on wlan0.
  plat::lnx::NmClient otherClient;
  plat::lnx::NmDeviceInventory otherInventory(otherClient);
  plat::lnx::NmRadio other(otherClient, otherInventory, {});
  ASSERT_EQ(other.addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  nm->clearCalls();

  EXPECT_TRUE(radio->removeLeftovers()) << "a running instance's hotspot is up";
  EXPECT_EQ(Changes(), (std::vector<std::string>{"DeactivateConnection", "Delete"}));
  EXPECT_EQ(nm->deviceState("wlan1"), nmtest::kDisconnected);
  EXPECT_EQ(nm->deviceState("wlan0"), nmtest::kActivated);
  EXPECT_EQ(nm->profilePaths().size(), 2) << "the wired profile and the running instance's hotspot";
}

TEST_F(RadioTest, NetworkManagerRestartingIsADisconnectAfterWhichTheRadioWorksOn) {
  machine.autoActivation = true;
  sharedInterface.clear();
  Start();
  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  ASSERT_TRUE(WaitForEvents(1));

  nm->restart();
  ASSERT_TRUE(WaitForEvents(2));
  EXPECT_EQ(Events()[1].code, RadioEvent::Code::Disconnected);
  EXPECT_EQ(Events()[1].interfaceId, wlan0);
  EXPECT_EQ(Events()[1].networkName, "Brisklane");
  EXPECT_EQ(nm->deviceState("wlan0"), nmtest::kDisconnected) << "a volatile hotspot does not survive a restart";

  EXPECT_EQ(radio->interfaces(), std::vector<std::string>{wlan0});
  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  ASSERT_TRUE(WaitForEvents(3));
  EXPECT_EQ(Events()[2].code, RadioEvent::Code::Connected);
}

}  // namespace
}  // namespace radiotest
