// The Linux machine's adapters, connections and sharing roles over the
// devices a mocked NetworkManager reports, with the kernel's side of them in
// a fake sysfs: what the program's sharing manager lists and may share.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <fstream>

#include "RadioTestSupport.h"
#include "brisklane_refusal.h"
#include "harness/NetworkManagerMock.h"
#include "linux/LinuxNetwork.h"
#include "linux/LinuxRegistry.h"
#include "linux/kernel/DeviceGuid.h"
#include "linux/nm/NmClient.h"
#include "linux/nm/NmDeviceInventory.h"
#include "linux/radio/NmRadio.h"
#include "net/AdapterUnit.h"
#include "net/ConnectionUnit.h"
#include "testkit/FakeSystemRoot.h"
#include "testkit/MixedMachine.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

using testkit::FakeInterface;

const std::string wiredGuid = plat::lnx::deviceGuid({0x52, 0x54, 0x00, 0x12, 0x34, 0x56});
const std::string wifiGuid = plat::lnx::deviceGuid({0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f});

nmtest::MockMachine laptopWithContainersAndAModem() {
  nmtest::MockMachine machine = nmtest::MockMachine::laptop();
  nmtest::DeviceSpec bridge = nmtest::DeviceSpec::ethernet("docker0", "02:42:ac:11:00:01").unmanaged();
  bridge.kind = "bridge";
  nmtest::DeviceSpec veth = nmtest::DeviceSpec::ethernet("veth1a2b", "12:34:56:78:9a:00").unmanaged();
  veth.kind = "veth";
  machine.devices.push_back(bridge);
  machine.devices.push_back(veth);
  machine.devices.push_back(nmtest::DeviceSpec::modem("cdc-wdm0", "wwan0"));
  return machine;
}

class LinuxConnections : public testing::Test {
 protected:
  LinuxConnections() {
    root.add(FakeInterface("eth0", 2).address("52:54:00:12:34:56").on("pci", "8086:15BE"))
        .add(FakeInterface("wlan0", 3).address("00:1b:2c:3d:4e:5f").wireless().state("down").on("pci", "8086:2723"))
        .add(FakeInterface("docker0", 4).address("02:42:ac:11:00:01"))
        .add(FakeInterface("veth1a2b", 5).address("12:34:56:78:9a:00"))
        .defaultRoute("eth0", "192.168.1.1");
    auto network = std::make_unique<plat::lnx::LinuxNetwork>(view, state / "sharing.json",
                                                             [] { return plat::lnx::AddressesByInterface{}; });
    linuxNetwork = network.get();
    machine->networkPart = std::move(network);
    machine->registryPart = std::make_unique<plat::lnx::LinuxRegistry>(
        view, plat::lnx::LinuxRegistry::Places{state / "registry.json", state / "autostart"});
    FinalizeAdapterUnit();
  }
  ~LinuxConnections() override { FinalizeAdapterUnit(); }

  nmtest::NetworkManagerMock nm{laptopWithContainersAndAModem()};
  plat::lnx::NmClient client{radiotest::firstLook};
  plat::lnx::NmDeviceInventory inventory{client};
  testkit::FakeSystemRoot root;
  plat::lnx::DeviceView view{inventory, root.path()};
  testkit::TempDir state;
  plat::lnx::LinuxNetwork* linuxNetwork = nullptr;
  std::shared_ptr<testkit::MixedMachine> machine =
      std::make_shared<testkit::MixedMachine>(testkit::SimMachineBuilder().build());
  testkit::ScopedMachine scope{machine};
};

TEST_F(LinuxConnections, ListTheManagedDevicesUnderTheGuidsOfTheirPermanentAddresses) {
  TConnectionManager manager;
  manager.Refresh();
  ASSERT_EQ(manager.AdapterManager->Adapters.Count(), 2);
  EXPECT_EQ(manager.AdapterManager->Adapters.Objects(0)->AdapterName, wiredGuid);
  EXPECT_EQ(manager.AdapterManager->Adapters.Objects(1)->AdapterName, wifiGuid);

  ASSERT_EQ(manager.Connections.Count(), 3);
  const TConnection& wired = *manager.Connections.Objects(0);
  EXPECT_EQ(wired.GuidText, wiredGuid);
  EXPECT_EQ(wired.Name, "Ethernet");
  EXPECT_EQ(wired.Status, 2);
  EXPECT_TRUE(wired.IsPhysical);
  EXPECT_EQ(wired.Gateways, std::vector<std::string>{"192.168.1.1"});
  EXPECT_TRUE(wired.DhcpEnabled);
  EXPECT_EQ(linuxNetwork->adapters().front().dhcpServer, "192.168.1.1");
  const TConnection& wifi = *manager.Connections.Objects(1);
  EXPECT_EQ(wifi.GuidText, wifiGuid);
  EXPECT_EQ(wifi.Status, 7);
  EXPECT_TRUE(wifi.IsWireless);
  EXPECT_FALSE(wifi.DhcpEnabled);
  // The modem has no kernel interface until it connects: no adapter yet.
  const TConnection& modem = *manager.Connections.Objects(2);
  EXPECT_EQ(modem.Name, "Mobile broadband");
  EXPECT_EQ(modem.DeviceName, "cdc-wdm0");
  EXPECT_EQ(modem.MediaType, 4);
  EXPECT_EQ(modem.Status, 7);
}

TEST_F(LinuxConnections, AnUnmanagedWifiCardStaysListedSoThatStartWiFiCanSayWhy) {
  nm.setDeviceManaged(QStringLiteral("wlan0"), false);
  TConnectionManager manager;
  manager.Refresh();
  ASSERT_EQ(manager.Connections.Count(), 3);
  const TConnection& wifi = *manager.Connections.Objects(1);
  EXPECT_EQ(wifi.GuidText, wifiGuid);
  EXPECT_TRUE(wifi.IsWireless);
  EXPECT_EQ(wifi.Status, 7);
}

TEST_F(LinuxConnections, ShareOnlyWhatNetworkManagerRoutesTheInternetThrough) {
  TConnectionManager manager;
  EXPECT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid));
  EXPECT_TRUE(linuxNetwork->sharesInternetInto(wifiGuid));
  EXPECT_TRUE(manager.DisableSharing());

  nm.setCarrier(QStringLiteral("eth0"), false);  // the cable is pulled: no default route any more
  radiotest::hearAll(client);
  EXPECT_FALSE(manager.EnableSharing(wiredGuid, wifiGuid));
  EXPECT_EQ(BrisklaneLastRefusal(),
            "Ethernet (eth0) cannot be the shared Internet connection: NetworkManager has no connection that carries "
            "the default route.");
  EXPECT_FALSE(linuxNetwork->sharesInternetInto(wifiGuid));
}

// The radio names the card as its adapter and connection are named, and
// hosts a shared network exactly when the sharing service made the card the
// private side.
TEST_F(LinuxConnections, TheRadioKnowsTheCardByItsConnectionsGuidAndSharesWhatTheRolesSay) {
  std::filesystem::create_directories(root.path() / "usr/sbin");
  std::ofstream(root.path() / "usr/sbin/dnsmasq") << "";
  plat::lnx::NmRadio::Options options;
  options.systemRoot = root.path();
  options.sharesInternetTo = [this](const std::string& id) { return linuxNetwork->sharesInternetInto(id); };
  options.user = getpwuid(geteuid())->pw_name;  // the hotspot belongs to whoever runs the test
  plat::lnx::NmRadio radio(client, inventory, options);
  EXPECT_EQ(radio.interfaces(), std::vector<std::string>{wifiGuid});

  nm.setAutoActivation(true);
  auto hostedMethod = [&] {
    nm.clearCalls();
    EXPECT_EQ(radio.addOwnNetwork(wifiGuid, "Brisklane", "60917"), plat::RadioResult::Ok);
    const auto calls = nm.calls(QStringLiteral("AddAndActivateConnection2"));
    EXPECT_EQ(radio.deleteOwnNetwork(wifiGuid, "Brisklane"), plat::RadioResult::Ok);
    return calls.size() == 1 ? calls[0].settingsArg(0)[QStringLiteral("ipv4")][QStringLiteral("method")].toString()
                             : QStringLiteral("<no single activation>");
  };
  TConnectionManager manager;
  ASSERT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid));
  EXPECT_EQ(hostedMethod(), QStringLiteral("shared"));
  ASSERT_TRUE(manager.DisableSharing());
  EXPECT_EQ(hostedMethod(), QStringLiteral("link-local"));
}

}  // namespace
