// What a Brisklane instance that ends without cleaning up leaves in
// NetworkManager (nothing), what the next start removes (only what such an
// instance left unsaved), and what NetworkManager restarting does to the
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
  plat::lnx::NmClient client(firstLook);
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
  ASSERT_TRUE(WaitUntilHeard());
  EXPECT_EQ(radio->removeLeftovers(), std::optional<bool>(false));
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
  // The user's saved copy of it (nmcli connection clone) carries its tag.
  nm->addProfile(plat::lnx::hotspotSettings({"Old", "12345", {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x60}, false},
                                            {QString::fromLatin1(getpwuid(geteuid())->pw_name), ":1.9999"}));
  // A running instance's hotspot on wlan0.
  plat::lnx::NmClient otherClient(firstLook);
  plat::lnx::NmDeviceInventory otherInventory(otherClient);
  plat::lnx::NmRadio other(otherClient, otherInventory, {});
  ASSERT_EQ(other.addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  nm->clearCalls();

  ASSERT_TRUE(WaitUntilHeard());
  EXPECT_EQ(radio->removeLeftovers(), std::optional<bool>(true)) << "a running instance's hotspot is up";
  // Sent without waiting for NetworkManager.
  EXPECT_TRUE(nmtest::waitUntil([&] { return nm->deviceState("wlan1") == nmtest::kDisconnected; }));
  EXPECT_EQ(Changes(), (std::vector<std::string>{"DeactivateConnection", "Delete"}));
  EXPECT_EQ(nm->deviceState("wlan0"), nmtest::kActivated);
  EXPECT_EQ(nm->profilePaths().size(), 3) << "the wired profile, the running instance's hotspot and the copy";
}

TEST_F(RadioTest, NetworkManagerRestartingIsADisconnectAfterWhichTheRadioWorksOn) {
  using Code = RadioEvent::Code;
  machine.autoActivation = true;
  InstallDnsmasq();
  guestRefreshInterval = 10ms;  // the neighbour table is read again, never watched
  const std::string resolved = "10.42.0.23 0x1 0x2 aa:bb:cc:dd:ee:01 * wlan0\n";
  WriteNeighbours(resolved);
  WriteLeases("0 aa:bb:cc:dd:ee:01 10.42.0.23 pixel-7 *\n");
  Start();
  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  ASSERT_TRUE(WaitForEvents(2));
  // Out of range without giving its lease back: the kernel no longer resolves it.
  WriteNeighbours("10.42.0.23 0x1 0x0 00:00:00:00:00:00 * wlan0\n");
  ASSERT_TRUE(WaitForEvents(3));
  WriteNeighbours(resolved);
  ASSERT_TRUE(WaitForEvents(4));

  nm->restart();
  ASSERT_TRUE(WaitForEvents(6));
  EXPECT_EQ(Codes(), (std::vector<Code>{Code::Connected, Code::GuestJoined, Code::GuestLeft, Code::GuestJoined,
                                        Code::GuestLeft, Code::Disconnected}));
  EXPECT_EQ(Events()[4].guest.name, "pixel-7");
  EXPECT_EQ(Events()[5].interfaceId, wlan0);
  EXPECT_EQ(Events()[5].networkName, "Brisklane");
  EXPECT_EQ(nm->deviceState("wlan0"), nmtest::kDisconnected) << "a volatile hotspot does not survive a restart";
  ASSERT_TRUE(WaitUntilHeard()) << "the objects of the NetworkManager that came back";
  std::vector<plat::NetworkGuest> guests;
  EXPECT_EQ(radio->guests(wlan0, guests), RadioResult::NotFound);

  EXPECT_EQ(radio->interfaces(), std::vector<std::string>{wlan0});
  ASSERT_EQ(radio->addOwnNetwork(wlan0, "Brisklane", "12345"), RadioResult::Ok) << plat::lastRefusal();
  ASSERT_TRUE(WaitForEvents(7));
  EXPECT_EQ(Events()[6].code, Code::Connected);
}

}  // namespace
}  // namespace radiotest
