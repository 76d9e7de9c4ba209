// The Linux machine as the program meets it through the platform's front,
// over a mocked NetworkManager and a fake sysfs: Start WiFi's sharing and
// hotspot on the card whose GUID the connection list shows, what a crashed
// run leaves, and a machine without NetworkManager.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "WirelessLibrary.h"
#include "brisklane_refusal.h"
#include "harness/ChildProcess.h"
#include "harness/NetworkManagerMock.h"
#include "harness/Waiting.h"
#include "linux/LinuxMachine.h"
#include "linux/kernel/DeviceGuid.h"
#include "machine/Machine.h"
#include "machine/RadioBackend.h"
#include "net/ConnectionUnit.h"
#include "testkit/FakeSystemRoot.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

using testkit::FakeInterface;

const std::string wiredGuid = plat::lnx::deviceGuid({0x52, 0x54, 0x00, 0x12, 0x34, 0x56});
const std::string wifiGuid = plat::lnx::deviceGuid({0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f});

class LinuxMachineTest : public testing::Test {
 protected:
  LinuxMachineTest() {
    root.add(FakeInterface("eth0", 2).address("52:54:00:12:34:56").on("pci", "8086:15BE"))
        .add(FakeInterface("wlan0", 3).address("00:1b:2c:3d:4e:5f").wireless().state("down").on("pci", "8086:2723"))
        .defaultRoute("eth0", "192.168.1.1");
    std::filesystem::create_directories(root.path() / "usr/sbin");
    std::ofstream(root.path() / "usr/sbin/dnsmasq") << "#!/bin/sh\n";
    machine.autoActivation = true;
  }

  // A run of the program: the machine over the fake system root, keeping
  // what outlives a run in the test's state folder.
  std::shared_ptr<plat::lnx::LinuxMachine> Run() {
    plat::lnx::LinuxMachine::Options options;
    options.firstLook = std::chrono::seconds(5);  // the mock answers at once, but a loaded machine may be slow
    options.backends = [this](plat::lnx::DeviceInventory& inventory) {
      plat::lnx::LinuxBackends backends;
      backends.devices = std::make_unique<plat::lnx::DeviceView>(inventory, root.path());
      backends.system = std::make_unique<plat::lnx::LinuxSystem>("x86_64", [](const std::string&) { return false; });
      backends.registry = std::make_unique<plat::lnx::LinuxRegistry>(
          *backends.devices, plat::lnx::LinuxRegistry::Places{state / "registry.json", state / "autostart"});
      backends.network = std::make_unique<plat::lnx::LinuxNetwork>(
          *backends.devices, state / "sharing.json", [] { return plat::lnx::AddressesByInterface{}; });
      backends.services = std::make_unique<plat::lnx::LinuxServices>();
      backends.internet = std::make_unique<plat::lnx::LinuxInternet>(root.path());
      return backends;
    };
    options.radio.systemRoot = root.path();
    return std::make_shared<plat::lnx::LinuxMachine>(std::move(options));
  }

  plat::SharingRole RoleOf(plat::Machine& run, const std::string& guid) {
    plat::SharingRole role = plat::SharingRole::none;
    EXPECT_EQ(run.network().sharingRole(guid, role), plat::SharingStatus::Ok);
    return role;
  }

  nmtest::MockMachine machine = nmtest::MockMachine::laptop();
  testkit::FakeSystemRoot root;
  testkit::TempDir state;
};

TEST_F(LinuxMachineTest, StartWifiSharesTheCableIntoAHotspotOnTheCardOfTheSameGuidAndStopLeavesNothing) {
  nmtest::NetworkManagerMock nm(machine);
  testkit::ScopedMachine scope(Run());
  TConnectionManager manager;
  manager.Refresh();
  ASSERT_EQ(manager.Connections.Count(), 2);
  EXPECT_EQ(manager.Connections.Objects(1)->GuidText, wifiGuid);
  WIRELESS_INTERFACE_LIST interfaces{};
  ASSERT_EQ(EnumInterface(&interfaces), 0u);
  ASSERT_EQ(interfaces.Count, 1u);
  EXPECT_EQ(std::u16string(interfaces.Interface[0].Identifier), std::u16string(wifiGuid.begin(), wifiGuid.end()));

  ASSERT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid)) << BrisklaneLastRefusal();
  ASSERT_EQ(AddSsid(interfaces.Interface[0].Identifier, u"Brisklane", u"12345"), 0u) << BrisklaneLastRefusal();
  const auto sent = nm.calls(QStringLiteral("AddAndActivateConnection2"));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].settingsArg(0).value("ipv4").value("method"), QStringLiteral("shared"));

  EXPECT_EQ(DeleteSsid(interfaces.Interface[0].Identifier, u"Brisklane"), 0u);
  EXPECT_TRUE(manager.DisableSharing());
  EXPECT_TRUE(nmtest::waitUntil([&] { return nm.profilePaths().size() == 1; })) << "only the wired profile stays";
}

// What a Refresh of the window asks: the connections, the wireless
// interfaces and what each hears, all read from what the machine already
// heard from NetworkManager. The one call left asks for a fresh scan, and a
// card that hosts a network is not asked to scan.
TEST_F(LinuxMachineTest, ARefreshReadsWhatTheMachineHeardAndOnlyAsksForAScan) {
  for (int i = 0; i < 60; ++i) {
    nmtest::NetworkSpec heard;
    heard.ssid = "Network " + std::to_string(i);
    heard.bssid = "00:11:22:33:" + std::to_string(10 + i / 10) + ":" + std::to_string(10 + i % 10);
    machine.networks.push_back(heard);
  }
  nmtest::NetworkManagerMock nm(machine);
  testkit::ScopedMachine scope(Run());
  TConnectionManager manager;
  WIRELESS_INTERFACE_LIST interfaces{};
  WIRELESS_NETWORK_LIST networks{};
  const auto refresh = [&] {
    manager.Refresh();
    ASSERT_EQ(EnumInterface(&interfaces), 0u);
    ASSERT_EQ(interfaces.Count, 1u);
    ASSERT_EQ(GetVisibleNetworkList(interfaces.Interface[0].Identifier, &networks), 0u);
  };
  struct Case {
    const char* what;
    std::function<void()> before;
    std::vector<QString> calls;
  };
  const std::vector<Case> cases{
      {"on no network", [] {}, {QStringLiteral("RequestScan")}},
      {"hosting", [&] {
         ASSERT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid)) << BrisklaneLastRefusal();
         ASSERT_EQ(AddSsid(interfaces.Interface[0].Identifier, u"Brisklane", u"12345"), 0u) << BrisklaneLastRefusal();
       }, {}},
  };
  refresh();
  EXPECT_EQ(networks.Count, 60u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.before();
    nm.clearCalls();
    refresh();
    std::vector<QString> calls;
    for (const auto& call : nm.calls()) calls.push_back(call.member);
    EXPECT_EQ(calls, c.calls);
  }
}

TEST_F(LinuxMachineTest, ARunAfterACrashFindsNoSharingLeftUnlessAnotherInstancesHotspotIsUp) {
  nmtest::NetworkManagerMock nm(machine);
  // A run shares the cable into the Wi-Fi card and, with `hotspot`, hosts
  // its network.
  auto share = [this](std::shared_ptr<plat::lnx::LinuxMachine> run, bool hotspot) {
    testkit::ScopedMachine scope(run);
    TConnectionManager manager;
    manager.Refresh();
    ASSERT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid)) << BrisklaneLastRefusal();
    if (hotspot) {
      ASSERT_EQ(run->radio().addOwnNetwork(wifiGuid, "Brisklane", "12345"), plat::RadioResult::Ok);
    }
  };

  share(Run(), false);  // and crashed: its hotspot went with it
  auto next = Run();
  EXPECT_EQ(RoleOf(*next, wiredGuid), plat::SharingRole::none);
  EXPECT_EQ(RoleOf(*next, wifiGuid), plat::SharingRole::none);
  next.reset();

  auto running = Run();
  share(running, true);
  auto second = Run();
  EXPECT_EQ(RoleOf(*second, wiredGuid), plat::SharingRole::publicSide);
  EXPECT_EQ(RoleOf(*second, wifiGuid), plat::SharingRole::privateSide);
}

TEST_F(LinuxMachineTest, WithoutNetworkManagerTheMachineListsNoWirelessInterfaceAndSaysWhy) {
  nmtest::NetworkManagerMock nm(machine);
  nm.stop();
  testkit::ScopedMachine scope(Run());
  WIRELESS_INTERFACE_LIST interfaces{};
  EXPECT_EQ(EnumInterface(&interfaces), 0u);
  EXPECT_EQ(interfaces.Count, 0u);
  EXPECT_EQ(BrisklaneLastRefusal(), "NetworkManager is not running: start it (systemctl start NetworkManager) and try again.");
}

// A NetworkManager that answers in shapes its API does not give: the call
// that meets one is refused with a reason, and nothing crashes or hangs.
struct WrongShape {
  const char* name;       // the method or property that answers so
  const char* signature;  // what it answers with
  enum Call { Interfaces, Scan, StartWifi } call;
  bool refused;  // false: only the leftover sweep reads it, and the call goes on without it
};

void PrintTo(const WrongShape& shape, std::ostream* os) { *os << shape.name << " as " << shape.signature; }

class WrongShapeTest : public LinuxMachineTest, public testing::WithParamInterface<WrongShape> {};

TEST_P(WrongShapeTest, IsRefusedAsAReplyTheProgramDoesNotUnderstand) {
  // The Wi-Fi card is on a network, so that its profile is read too.
  nmtest::NetworkSpec homeNetwork;
  homeNetwork.ssid = "Home";
  homeNetwork.bssid = "00:11:22:33:44:01";
  homeNetwork.security = "open";
  machine.networks = {homeNetwork};
  nmtest::NetworkManagerMock nm(machine);
  const QString home = QStringLiteral("0b5a3c1e-7f51-4a61-9d5e-1c2b3a4d5e6f");
  nm.addProfile({{QStringLiteral("connection"),
                  {{QStringLiteral("id"), QStringLiteral("Home")},
                   {QStringLiteral("uuid"), home},
                   {QStringLiteral("type"), QStringLiteral("802-11-wireless")}}},
                 {QStringLiteral("802-11-wireless"), {{QStringLiteral("ssid"), QByteArray("Home")}}}});
  nm.activateProfile(home, QStringLiteral("wlan0"));
  nm.setWrongShape(QString::fromLatin1(GetParam().name), QString::fromLatin1(GetParam().signature));
  testkit::ScopedMachine scope(Run());

  const std::u16string id(wifiGuid.begin(), wifiGuid.end());
  DWORD result = 0;
  WIRELESS_INTERFACE_LIST interfaces{};
  WIRELESS_NETWORK_LIST networks{};
  switch (GetParam().call) {
    case WrongShape::Interfaces:
      result = EnumInterface(&interfaces);
      EXPECT_EQ(interfaces.Count, GetParam().refused ? 0u : 1u);
      break;
    case WrongShape::Scan: result = GetVisibleNetworkList(id.c_str(), &networks); break;
    case WrongShape::StartWifi: result = AddSsid(id.c_str(), u"Brisklane", u"12345"); break;
  }
  if (GetParam().refused) {
    EXPECT_THAT(BrisklaneLastRefusal(), testing::StartsWith("NetworkManager sent a reply this program does not understand"));
    if (GetParam().call != WrongShape::Interfaces) {
      EXPECT_NE(result, 0u);
    }
  } else {
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(BrisklaneLastRefusal(), "");
  }
  EXPECT_TRUE(nm.calls(QStringLiteral("AddAndActivateConnection2")).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, WrongShapeTest,
    testing::Values(WrongShape{"GetManagedObjects", "a{sv}", WrongShape::Interfaces, true},
                    WrongShape{"GetManagedObjects", "a{oa{ss}}", WrongShape::Interfaces, true},
                    WrongShape{"GetManagedObjects", "av", WrongShape::Interfaces, true},
                    WrongShape{"Devices", "a(o)", WrongShape::Interfaces, true},
                    WrongShape{"Devices", "aao", WrongShape::Interfaces, true},
                    WrongShape{"Devices", "av", WrongShape::Interfaces, true},
                    WrongShape{"Options", "a{ss}", WrongShape::Interfaces, true},
                    WrongShape{"PrimaryConnection", "s", WrongShape::Interfaces, true},
                    // A profile whose settings cannot be read is nobody's the program knows.
                    WrongShape{"GetSettings", "a{ss}", WrongShape::Interfaces, false},
                    WrongShape{"GetSettings", "a{sa{ss}}", WrongShape::Interfaces, false},
                    WrongShape{"ActiveConnections", "a(o)", WrongShape::Interfaces, false},
                    WrongShape{"ActiveConnections", "av", WrongShape::Interfaces, false},
                    WrongShape{"Connections", "aao", WrongShape::Interfaces, false},
                    WrongShape{"Connections", "a(o)", WrongShape::Interfaces, false},
                    WrongShape{"AccessPoints", "a(o)", WrongShape::Scan, true},
                    WrongShape{"AccessPoints", "aao", WrongShape::Scan, true},
                    WrongShape{"AccessPoints", "av", WrongShape::Scan, true},
                    WrongShape{"Ssid", "s", WrongShape::Scan, true},
                    WrongShape{"GetPermissions", "a{sv}", WrongShape::StartWifi, true}));

// A process of the program on the Linux machine, which the environment
// chooses: it lists the wireless interfaces and returns from main, which
// ends the application object and then, among the statics, the machine.
NMTEST_CHILD_ROLE(linuxProcess) {
  setenv("BRISKLANE_MACHINE", "linux", 1);
  std::printf("%zu\n", plat::machine().radio().interfaces().size());
  std::fflush(stdout);
  return 0;
}

TEST_F(LinuxMachineTest, AProcessOnTheLinuxMachineEndsCleanlyAfterTalkingToNetworkManager) {
  nmtest::NetworkManagerMock nm(machine);
  nmtest::ChildProcess process(QStringLiteral("linuxProcess"));
  EXPECT_EQ(process.readLine(), QStringLiteral("1"));
  EXPECT_EQ(process.waitForExit(), 0);
}

}  // namespace
