// The Linux machine's adapters, connections and sharing roles, read through
// the program's own inventory and sharing manager from a fake sysfs and
// procfs and a fake NetworkManager device list.
#include <gtest/gtest.h>

#include <algorithm>

#include "brisklane_refusal.h"
#include "linux/LinuxNetwork.h"
#include "linux/LinuxRegistry.h"
#include "linux/kernel/DeviceGuid.h"
#include "net/AdapterUnit.h"
#include "net/ConnectionUnit.h"
#include "testkit/FakeDeviceInventory.h"
#include "testkit/FakeSystemRoot.h"
#include "testkit/MixedMachine.h"
#include "testkit/PermissionsEnforced.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

using plat::SharingRole;
using plat::lnx::DeviceKind;
using plat::lnx::LinuxNetwork;
using plat::lnx::NetworkDevice;

const std::vector<std::uint8_t> wiredAddress{0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
const std::vector<std::uint8_t> wifiPermanentAddress{0x00, 0x21, 0x6a, 0x11, 0x22, 0x33};
const std::vector<std::uint8_t> dongleAddress{0x00, 0xe0, 0x4c, 0x68, 0x00, 0x01};
const std::string wiredGuid = plat::lnx::deviceGuid(wiredAddress);
const std::string wifiGuid = plat::lnx::deviceGuid(wifiPermanentAddress);
const std::string dongleGuid = plat::lnx::deviceGuid(dongleAddress);

NetworkDevice device(std::string name, DeviceKind kind, bool managed, std::vector<std::uint8_t> permanentAddress = {}) {
  NetworkDevice device;
  device.objectPath = "/org/freedesktop/NetworkManager/Devices/" + name;
  device.interfaceName = std::move(name);
  device.kind = kind;
  device.managed = managed;
  device.permanentHardwareAddress = std::move(permanentAddress);
  return device;
}

// A laptop on wired Internet with an idle Wi-Fi card, an unmanaged USB
// Ethernet dongle, Docker's bridge and a dozen containers.
class LinuxLaptop : public testing::Test {
 protected:
  LinuxLaptop() {
    using testkit::FakeInterface;
    root.add(FakeInterface("lo", 1).address("00:00:00:00:00:00").link(772).state("unknown").mtuBytes(65536))
        .add(FakeInterface("enp0s31f6", 2).address("00:1b:2c:3d:4e:5f").speed(1000).on("pci", "8086:15BE 17AA:2292"))
        // NetworkManager gives an idle card a random address while it scans.
        .add(FakeInterface("wlp2s0", 3).address("3a:b1:07:5c:9e:10").wireless().state("down").on("pci", "8086:2723"))
        .add(FakeInterface("docker0", 4).address("02:42:ac:11:00:01"))
        .add(FakeInterface("enx00e04c680001", 5).address("00:e0:4c:68:00:01").state("down").on("usb", "bda/8153/3100"))
        .defaultRoute("enp0s31f6", "192.168.1.1");
    for (unsigned i = 0; i < 12; ++i) root.add(FakeInterface("veth" + std::to_string(i), 10 + i).address("12:34:56:78:9a:00"));

    NetworkDevice wired = device("enp0s31f6", DeviceKind::Ethernet, true, wiredAddress);
    wired.activated = true;
    wired.primary = true;
    wired.dhcp = true;
    wired.dhcpServer = "192.168.1.1";
    NetworkDevice wifi = device("wlp2s0", DeviceKind::Wifi, true, wifiPermanentAddress);
    wifi.canHostAccessPoint = true;
    std::vector<NetworkDevice> devices{device("lo", DeviceKind::Other, false), wired, wifi,
                                       device("docker0", DeviceKind::Other, false),
                                       device("enx00e04c680001", DeviceKind::Ethernet, false, dongleAddress)};
    for (unsigned i = 0; i < 12; ++i) devices.push_back(device("veth" + std::to_string(i), DeviceKind::Other, false));
    inventory.set(devices);

    addresses = {{"lo", {{"127.0.0.1", "255.0.0.0"}}},
                 {"enp0s31f6", {{"192.168.1.23", "255.255.255.0"}, {"10.8.0.5", "255.255.0.0"}}},
                 {"docker0", {{"172.17.0.1", "255.255.0.0"}}}};
    install();
    FinalizeAdapterUnit();
  }
  ~LinuxLaptop() override { FinalizeAdapterUnit(); }

  // A machine of fresh backends over the same devices and saved roles, as a
  // new run of the program would have.
  void install() {
    scope.reset();
    auto machine = std::make_shared<testkit::MixedMachine>(testkit::SimMachineBuilder().build());
    view = std::make_unique<plat::lnx::DeviceView>(inventory, root.path());
    auto linuxNetwork = std::make_unique<LinuxNetwork>(*view, state / "sharing.json", [this] { return addresses; });
    network = linuxNetwork.get();
    machine->networkPart = std::move(linuxNetwork);
    machine->registryPart = std::make_unique<plat::lnx::LinuxRegistry>(
        *view, plat::lnx::LinuxRegistry::Places{state / "registry.json", state / "autostart"});
    scope = std::make_unique<testkit::ScopedMachine>(machine);
  }

  NetworkDevice& inventoryDevice(std::vector<NetworkDevice>& devices, const std::string& name) {
    return *std::find_if(devices.begin(), devices.end(), [&](const NetworkDevice& d) { return d.interfaceName == name; });
  }

  testkit::FakeSystemRoot root;
  testkit::FakeDeviceInventory inventory;
  plat::lnx::AddressesByInterface addresses;
  testkit::TempDir state;
  std::unique_ptr<plat::lnx::DeviceView> view;
  LinuxNetwork* network = nullptr;
  std::unique_ptr<testkit::ScopedMachine> scope;
};

const TConnection* connection(const TConnectionManager& manager, const std::string& guid) {
  for (int i = 0; i < manager.Connections.Count(); ++i) {
    if (manager.Connections.Objects(i)->GuidText == guid) return manager.Connections.Objects(i);
  }
  return nullptr;
}

TEST_F(LinuxLaptop, AdaptersAreTheRealDevicesWithTheirFieldsAndContainersDoNotCrowdThemOut) {
  // Fourteen virtual interfaces would overflow the inventory's fixed buffer.
  TAdapterManager manager;
  manager.Refresh();
  ASSERT_EQ(manager.Adapters.Count(), 3);
  const TAdapter& wired = *manager.Adapters.Objects(0);
  const TAdapter& wifi = *manager.Adapters.Objects(1);
  const TAdapter& dongle = *manager.Adapters.Objects(2);

  EXPECT_EQ(wired.AdapterName, wiredGuid);
  EXPECT_EQ(wired.Description, "enp0s31f6");
  EXPECT_EQ(wired.Index, 2u);
  EXPECT_EQ(wired.AdapterType, 6);
  EXPECT_EQ(wired.MacAddress, "00-1B-2C-3D-4E-5F");
  EXPECT_TRUE(wired.DhcpEnabled);
  EXPECT_EQ(wired.IpAddresses, (std::vector<std::string>{"192.168.1.23", "10.8.0.5"}));
  EXPECT_EQ(wired.IpMasks, (std::vector<std::string>{"255.255.255.0", "255.255.0.0"}));
  EXPECT_EQ(wired.Gateways, std::vector<std::string>{"192.168.1.1"});
  EXPECT_EQ(wired.OperStatus, MIB_IF_OPER_STATUS_OPERATIONAL);
  EXPECT_TRUE(wired.IsPhysical);
  EXPECT_FALSE(wired.IsWireless);

  // The idle card: named by its permanent address, shown with its current one.
  EXPECT_EQ(wifi.AdapterName, wifiGuid);
  EXPECT_EQ(wifi.AdapterType, 71);
  EXPECT_EQ(wifi.MacAddress, "3A-B1-07-5C-9E-10");
  EXPECT_FALSE(wifi.DhcpEnabled);
  EXPECT_EQ(wifi.IpAddresses, std::vector<std::string>{"0.0.0.0"});
  EXPECT_TRUE(wifi.Gateways.empty());
  EXPECT_EQ(wifi.OperStatus, MIB_IF_OPER_STATUS_DISCONNECTED);
  EXPECT_TRUE(wifi.IsPhysical);
  EXPECT_TRUE(wifi.IsWireless);

  // Hardware NetworkManager leaves alone is still an adapter.
  EXPECT_EQ(dongle.AdapterName, dongleGuid);
  EXPECT_EQ(dongle.Index, 5u);
  EXPECT_TRUE(dongle.IsPhysical);
  EXPECT_EQ(manager.WiredAdapterName, dongleGuid);
  EXPECT_EQ(manager.WirelessAdapterName, wifiGuid);
}

TEST_F(LinuxLaptop, InterfaceTableHoldsTheAdaptersAndTheLoopback) {
  ULONG size = 0;
  ASSERT_EQ(GetIfTable(nullptr, &size, FALSE), ERROR_INSUFFICIENT_BUFFER);
  std::vector<std::uint8_t> buffer(size);
  auto* table = reinterpret_cast<PMIB_IFTABLE>(buffer.data());
  ASSERT_EQ(GetIfTable(table, &size, TRUE), ERROR_SUCCESS);
  ASSERT_EQ(table->dwNumEntries, 4u);
  EXPECT_EQ(table->table[0].dwType, MIB_IF_TYPE_LOOPBACK);
  EXPECT_EQ(table->table[0].dwOperStatus, MIB_IF_OPER_STATUS_OPERATIONAL);
  const MIB_IFROW& wired = table->table[1];
  EXPECT_EQ(wired.dwIndex, 2u);
  EXPECT_EQ(wired.dwSpeed, 1000000000u);
  EXPECT_EQ(wired.dwMtu, 1500u);
  EXPECT_EQ(std::u16string(wired.wszName), u"\\DEVICE\\TCPIP_" + std::u16string(wiredGuid.begin(), wiredGuid.end()));
  EXPECT_EQ(table->table[2].dwType, IF_TYPE_IEEE80211);
  EXPECT_EQ(table->table[2].dwSpeed, 0u);  // the driver does not tell
  EXPECT_EQ(table->table[3].dwIndex, 5u);
}

TEST_F(LinuxLaptop, ConnectionsAreTheManagedDevicesAndAnIdleWifiCardStaysListed) {
  TConnectionManager manager;
  manager.Refresh();
  ASSERT_EQ(manager.Connections.Count(), 2);

  const TConnection* wired = connection(manager, wiredGuid);
  ASSERT_NE(wired, nullptr);
  EXPECT_EQ(wired->Name, "Ethernet");
  EXPECT_EQ(wired->DeviceName, "enp0s31f6");
  EXPECT_EQ(wired->Status, 2);
  EXPECT_EQ(wired->MediaType, 3);
  EXPECT_TRUE(wired->IsPhysical);
  EXPECT_FALSE(wired->IsWireless);
  EXPECT_EQ(wired->IpAddresses, (std::vector<std::string>{"192.168.1.23", "10.8.0.5"}));

  // Media disconnected, not disconnected: the program would drop it.
  const TConnection* wifi = connection(manager, wifiGuid);
  ASSERT_NE(wifi, nullptr);
  EXPECT_EQ(wifi->Name, "Wi-Fi");
  EXPECT_EQ(wifi->Status, 7);
  EXPECT_TRUE(wifi->IsWireless);
  EXPECT_TRUE(wifi->IsPhysical);

  auto devices = inventory.devices();
  inventoryDevice(devices, "wlp2s0").activated = true;
  devices.push_back(device("enp3s0", DeviceKind::Ethernet, true, {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x60}));
  inventory.set(devices);
  manager.Refresh();
  EXPECT_EQ(connection(manager, wifiGuid)->Status, 2);
  ASSERT_EQ(manager.Connections.Count(), 3);
  EXPECT_EQ(manager.Connections.Objects(2)->Name, "Ethernet 2");
  EXPECT_EQ(manager.Connections.Objects(2)->DeviceName, "enp3s0");  // no kernel interface yet
}

TEST_F(LinuxLaptop, OnlyThePrimaryConnectionIsSharedAndOnlyIntoWifi) {
  TConnectionManager manager;
  EXPECT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid));
  EXPECT_TRUE(network->sharesInternetInto(wifiGuid));
  EXPECT_TRUE(manager.DisableSharing());
  EXPECT_FALSE(network->sharesInternetInto(wifiGuid));

  // The Wi-Fi card is not where NetworkManager's default route goes.
  EXPECT_EQ(network->enableSharing(wifiGuid, SharingRole::publicSide), plat::SharingStatus::NotSupported);
  EXPECT_EQ(BrisklaneLastRefusal(),
            "Wi-Fi (wlp2s0) cannot be the shared Internet connection: NetworkManager shares the one that carries the "
            "default route, Ethernet (enp0s31f6).");
  EXPECT_EQ(network->enableSharing(wiredGuid, SharingRole::privateSide), plat::SharingStatus::NotSupported);
  EXPECT_EQ(BrisklaneLastRefusal(),
            "Ethernet (enp0s31f6) cannot carry the hotspot: the Internet is shared into a Wi-Fi hotspot only.");
  SharingRole role = SharingRole::publicSide;
  ASSERT_EQ(network->sharingRole(wiredGuid, role), plat::SharingStatus::Ok);
  EXPECT_EQ(role, SharingRole::none);
  // A later walk starts without the reason of an earlier refusal.
  EXPECT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid));
  EXPECT_EQ(BrisklaneLastRefusal(), "");
  EXPECT_TRUE(manager.DisableSharing());
  EXPECT_FALSE(network->sharesInternetInto(wifiGuid));
}

TEST_F(LinuxLaptop, RolesOutliveTheRunUntilTheyAreReset) {
  {
    TConnectionManager manager;
    ASSERT_TRUE(manager.EnableSharing(wiredGuid, wifiGuid));
  }
  install();
  SharingRole role = SharingRole::none;
  ASSERT_EQ(network->sharingRole(wifiGuid, role), plat::SharingStatus::Ok);
  EXPECT_EQ(role, SharingRole::privateSide);
  EXPECT_TRUE(network->sharesInternetInto(wifiGuid));

  {
    // Roles that cannot be saved as gone are not taken away, and the program hears so.
    std::filesystem::permissions(state / "sharing.json", std::filesystem::perms::owner_read);
    std::filesystem::permissions(state.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    testkit::PermissionsEnforced asUser;
    TConnectionManager manager;
    EXPECT_FALSE(manager.DisableSharing());
    EXPECT_TRUE(network->sharesInternetInto(wifiGuid));
  }
  std::filesystem::permissions(state.path(), std::filesystem::perms::owner_all);
  std::filesystem::permissions(state / "sharing.json", std::filesystem::perms::owner_all);

  network->resetSharing();
  install();
  ASSERT_EQ(network->sharingRole(wiredGuid, role), plat::SharingStatus::Ok);
  EXPECT_EQ(role, SharingRole::none);
  EXPECT_FALSE(network->sharesInternetInto(wifiGuid));
}

}  // namespace
