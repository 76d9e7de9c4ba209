// The connection sharing manager against simulated machines: the connection
// list, switching sharing on and off, the faults of the sharing service, COM
// left as it was found, and sharing state that outlives a run.
#include <gtest/gtest.h>

#include <thread>

#include "net/AdapterUnit.h"
#include "net/ConnectionUnit.h"
#include "net/NETCONLib_TLB.h"
#include "net/NetTestSupport.h"
#include "sim/SimNetwork.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

using nettest::Adapter;
using nettest::Connection;
using nettest::Guid;
using plat::SharingRole;
using Calls = std::vector<std::string>;

const std::string Wired = Guid(1);
const std::string Wireless = Guid(2);
const std::string Virtual = Guid(3);

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Three adapters and their connections: wired with Internet, Wi-Fi, a virtual
// adapter.
testkit::SimMachineBuilder Laptop() {
  testkit::SimMachineBuilder builder;
  builder
      .section("adapters",
               {Adapter(Wired, 11,
                        {{"dhcp", true},
                         {"addresses", {{{"ip", "192.168.1.23"}, {"mask", "255.255.255.0"}}}},
                         {"gateways", {"192.168.1.1"}},
                         {"pnpInstanceId", "PCI\\VEN_8086"},
                         {"mediaSubType", 1}}),
                Adapter(Wireless, 12, {{"type", 71}, {"pnpInstanceId", "PCI\\VEN_8086&DEV_4238"}, {"mediaSubType", 2}}),
                Adapter(Virtual, 15, {{"pnpInstanceId", "ROOT\\NET\\0000"}})})
      .section("connections", {Connection(Wired, "Local Area Connection", {{"internet", true}}),
                               Connection(Wireless, "Wireless Network Connection"),
                               Connection(Virtual, "VirtualBox Host-Only Network")});
  return builder;
}

std::vector<std::string> Names(const TConnectionManager& manager) {
  std::vector<std::string> names;
  for (const auto& entry : manager.Connections) names.push_back(entry.text);
  return names;
}

// Whether the calling thread has COM initialised, without changing that.
bool ComInitialised() {
  IUnknown* object = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_NetSharingManager, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                      reinterpret_cast<void**>(&object));
  if (object != nullptr) object->Release();
  return hr != CO_E_NOTINITIALIZED;
}

class ConnectionUnitTest : public ::testing::Test {
 protected:
  void SetUp() override { FinalizeAdapterUnit(); }
  void TearDown() override {
    manager_.reset();
    scoped_.reset();
    FinalizeAdapterUnit();
  }

  void start(const testkit::SimMachineBuilder& builder) {
    manager_.reset();
    scoped_.reset();
    machine_ = builder.build();
    scoped_ = std::make_unique<testkit::ScopedMachine>(machine_);
    manager_ = std::make_unique<TConnectionManager>();
  }
  plat::sim::SimNetwork& network() { return machine_->simNetwork(); }
  TConnection& connection(int index) { return *manager_->Connections.Objects(index); }

  std::shared_ptr<plat::sim::SimMachine> machine_;
  std::unique_ptr<testkit::ScopedMachine> scoped_;
  std::unique_ptr<TConnectionManager> manager_;
};

TEST_F(ConnectionUnitTest, RefreshListsConnectionsWithTheirAdapterFacts) {
  start(Laptop());
  EXPECT_EQ(manager_->Connections.Count(), 0) << "empty until the first Refresh";
  EXPECT_EQ(manager_->AdapterManager->Adapters.Count(), 3);
  manager_->Refresh();
  ASSERT_EQ(Names(*manager_),
            std::vector<std::string>({"Local Area Connection", "Wireless Network Connection", "VirtualBox Host-Only Network"}));
  const TConnection& wired = connection(0);
  EXPECT_EQ(wired.GuidText, Wired);
  EXPECT_EQ(wired.Name, "Local Area Connection");
  EXPECT_EQ(wired.DeviceName, "Local Area Connection device");
  EXPECT_EQ(wired.Status, NCS_CONNECTED);
  EXPECT_EQ(wired.MediaType, NCM_LAN);
  EXPECT_TRUE(wired.IsPhysical);
  EXPECT_FALSE(wired.IsWireless);
  EXPECT_TRUE(wired.DhcpEnabled);
  EXPECT_EQ(wired.IpAddresses, std::vector<std::string>({"192.168.1.23"}));
  EXPECT_EQ(wired.IpMasks, std::vector<std::string>({"255.255.255.0"}));
  EXPECT_EQ(wired.Gateways, std::vector<std::string>({"192.168.1.1"}));
  EXPECT_TRUE(connection(1).IsPhysical);
  EXPECT_TRUE(connection(1).IsWireless);
  EXPECT_FALSE(connection(2).IsPhysical);
  EXPECT_EQ(manager_->AdapterManager->Adapters.Objects(0)->OperStatus, 5u) << "Refresh refreshes the inventory";
}

TEST_F(ConnectionUnitTest, NamesAreConvertedFromUtf16) {
  start(Laptop().section("connections", nettest::Array({Connection(Wired, "LAN-Verbindung \u00fcber \u6771")})));
  manager_->Refresh();
  ASSERT_EQ(manager_->Connections.Count(), 1);
  EXPECT_EQ(connection(0).Name, "LAN-Verbindung \u00fcber \u6771");
  EXPECT_EQ(manager_->Connections.Strings(0), "LAN-Verbindung \u00fcber \u6771");
}

TEST_F(ConnectionUnitTest, DisconnectedConnectionsAreLeftOut) {
  start(Laptop());
  network().setConnectionStatus(Wired, NCS_DISCONNECTED);
  network().setConnectionStatus(Wireless, NCS_MEDIA_DISCONNECTED);
  manager_->Refresh();
  ASSERT_EQ(Names(*manager_), std::vector<std::string>({"Wireless Network Connection", "VirtualBox Host-Only Network"}));
  EXPECT_EQ(connection(0).Status, NCS_MEDIA_DISCONNECTED);
  network().setConnectionStatus(Wired, NCS_CONNECTED);
  manager_->Refresh();
  EXPECT_EQ(manager_->Connections.Count(), 3);
}

TEST_F(ConnectionUnitTest, AdaptersMatchWithoutCaseAndTheLastMatchWins) {
  auto builder = Laptop();
  builder.section("adapters",
                  {Adapter(Lower(Wired), 11, {{"dhcp", true}}),
                   Adapter(Wireless, 12, {{"addresses", {{{"ip", "10.0.0.1"}, {"mask", "255.0.0.0"}}}}}),
                   Adapter(Wireless, 13, {{"dhcp", true}, {"addresses", {{{"ip", "10.0.0.2"}, {"mask", "255.255.0.0"}}}}})});
  start(builder);
  manager_->Refresh();
  ASSERT_EQ(manager_->Connections.Count(), 3);
  EXPECT_TRUE(connection(0).DhcpEnabled) << "adapter name in lower case";
  EXPECT_EQ(connection(0).IpAddresses, std::vector<std::string>({"10.0.11.1"}));
  EXPECT_TRUE(connection(1).DhcpEnabled);
  EXPECT_EQ(connection(1).IpAddresses, std::vector<std::string>({"10.0.0.2"}));
  EXPECT_EQ(connection(1).IpMasks, std::vector<std::string>({"255.255.0.0"}));
  const TConnection& noAdapter = connection(2);
  EXPECT_FALSE(noAdapter.DhcpEnabled);
  EXPECT_TRUE(noAdapter.IpAddresses.empty());
  EXPECT_TRUE(noAdapter.IpMasks.empty());
  EXPECT_TRUE(noAdapter.Gateways.empty());
}

TEST_F(ConnectionUnitTest, AConnectionWhosePropertiesFailIsPassedOver) {
  start(Laptop());
  network().failGetProperties(Wireless, plat::SharingStatus::Failed);
  manager_->Refresh();
  EXPECT_EQ(Names(*manager_), std::vector<std::string>({"Local Area Connection", "VirtualBox Host-Only Network"}));
}

TEST_F(ConnectionUnitTest, ARegistryErrorEndsTheRefreshWithTheConnectionsListedBefore) {
  auto builder = Laptop();
  builder.section("connections", {Connection(Wired, "Local Area Connection"),
                                   Connection(Guid(9), "1394 Connection", {{"mediaSubType", "wireless"}}),
                                   Connection(Virtual, "VirtualBox Host-Only Network")});
  start(builder);
  EXPECT_NO_THROW(manager_->Refresh());
  EXPECT_EQ(Names(*manager_), std::vector<std::string>({"Local Area Connection"}));
}

TEST_F(ConnectionUnitTest, AFailingInventoryLeavesAnEmptyList) {
  start(Laptop());
  manager_->Refresh();
  ASSERT_EQ(manager_->Connections.Count(), 3);
  for (unsigned i = 0; i < 5; ++i) network().addAdapter(Adapter(Guid(20 + i), 20 + i));
  EXPECT_NO_THROW(manager_->Refresh());
  EXPECT_EQ(manager_->Connections.Count(), 0) << "no stale entries";
  EXPECT_EQ(network().sharingCalls(), Calls({"open"})) << "the sharing manager is made after the inventory";
}

TEST_F(ConnectionUnitTest, ConstructionPassesOnTheInventoryError) {
  testkit::SimMachineBuilder empty;
  auto machine = empty.build();
  testkit::ScopedMachine scope(machine);
  try {
    TConnectionManager manager;
    FAIL() << "no error raised";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ERROR_NO_DATA);
  }
}

TEST_F(ConnectionUnitTest, AFailingSharingServiceIsQuiet) {
  start(Laptop());
  manager_->Refresh();
  network().failSharingService(plat::SharingStatus::ServiceDisabled);
  EXPECT_NO_THROW(manager_->Refresh());
  EXPECT_EQ(manager_->Connections.Count(), 0);
  EXPECT_FALSE(manager_->EnableSharing(Wired, Wireless));
  EXPECT_FALSE(manager_->DisableSharing());
  EXPECT_EQ(network().sharingCalls(), Calls({"open", "open", "open", "open"}));
}

TEST_F(ConnectionUnitTest, EnableSharingSharesSourcePubliclyAndDestinationPrivately) {
  start(Laptop());
  EXPECT_TRUE(manager_->EnableSharing(Wired, Wireless));
  EXPECT_EQ(network().sharedConnection(SharingRole::publicSide), Wired);
  EXPECT_EQ(network().sharedConnection(SharingRole::privateSide), Wireless);
  EXPECT_EQ(network().sharingCalls(), Calls({"open", "enable " + Wired + " public", "enable " + Wireless + " private"}));
  EXPECT_TRUE(network().sharesInternetTo(Wireless));
}

TEST_F(ConnectionUnitTest, EnableSharingRefusesWhatNamesNoTwoConnections) {
  struct Case {
    const char* what;
    std::string source;
    std::string destination;
    Calls calls;
  };
  const Case cases[] = {
      {"empty source", "", Wireless, {}},
      {"empty destination", Wired, "", {}},
      {"same connection", Wired, Wired, {"open"}},
      {"source in lower case", Lower(Wired), Wireless, {"open"}},
      {"destination in lower case", Wired, Lower(Wireless), {"open"}},
      {"unknown destination", Wired, Guid(77), {"open"}},
      {"source without braces", Wired.substr(1, 36), Wireless, {"open"}},
  };
  for (const Case& c : cases) {
    start(Laptop());
    EXPECT_FALSE(manager_->EnableSharing(c.source, c.destination)) << c.what;
    EXPECT_EQ(network().sharingCalls(), c.calls) << c.what;
    EXPECT_EQ(network().sharedConnection(SharingRole::publicSide), "") << c.what;
    EXPECT_EQ(network().sharedConnection(SharingRole::privateSide), "") << c.what;
  }
}

TEST_F(ConnectionUnitTest, EndsSharedAlreadyAreLeftAloneAndStillCount) {
  struct Case {
    const char* what;
    nlohmann::json sharing;
    bool result;
    Calls enableCalls;
  };
  const Case cases[] = {
      {"both shared as asked", {{"public", Wired}, {"private", Wireless}}, true, {}},
      {"source shared publicly", {{"public", Wired}}, true, {"enable " + Wireless + " private"}},
      {"destination shared privately", {{"private", Wireless}}, true, {"enable " + Wired + " public"}},
      {"source shared privately", {{"private", Wired}}, false, {"enable " + Wireless + " private"}},
      {"the other way round", {{"public", Wireless}, {"private", Wired}}, true, {}},
  };
  for (const Case& c : cases) {
    start(Laptop().section("sharing", c.sharing));
    EXPECT_EQ(manager_->EnableSharing(Wired, Wireless), c.result) << c.what;
    Calls calls = network().sharingCalls();
    calls.erase(calls.begin());  // "open"
    EXPECT_EQ(calls, c.enableCalls) << c.what;
  }
}

TEST_F(ConnectionUnitTest, AFailingDestinationLeavesTheSourceShared) {
  start(Laptop());
  network().failEnableSharing(Wireless, plat::SharingStatus::AccessDenied);
  EXPECT_FALSE(manager_->EnableSharing(Wired, Wireless));
  EXPECT_EQ(network().sharedConnection(SharingRole::publicSide), Wired);
  EXPECT_EQ(network().sharedConnection(SharingRole::privateSide), "");
}

TEST_F(ConnectionUnitTest, ASourceWhosePropertiesFailIsNotFound) {
  start(Laptop());
  network().failGetProperties(Wired, plat::SharingStatus::Failed);
  EXPECT_FALSE(manager_->EnableSharing(Wired, Wireless));
  EXPECT_EQ(network().sharingCalls(), Calls({"open"}));
}

TEST_F(ConnectionUnitTest, DisableSharingWalksEveryConnection) {
  start(Laptop().section("sharing", {{"public", Wired}, {"private", Virtual}}));
  EXPECT_TRUE(manager_->DisableSharing());
  EXPECT_EQ(network().sharingCalls(), Calls({"open", "disable " + Wired, "disable " + Wireless, "disable " + Virtual}));
  EXPECT_EQ(network().sharedConnection(SharingRole::publicSide), "");
  EXPECT_EQ(network().sharedConnection(SharingRole::privateSide), "");
}

TEST_F(ConnectionUnitTest, AFailureMidwayThroughDisableSharingStopsTheWalkThere) {
  start(Laptop().section("sharing", {{"public", Wired}, {"private", Virtual}}));
  network().failDisableSharing(Wireless, plat::SharingStatus::Failed);
  EXPECT_FALSE(manager_->DisableSharing());
  EXPECT_EQ(network().sharingCalls(), Calls({"open", "disable " + Wired, "disable " + Wireless}));
  EXPECT_EQ(network().sharedConnection(SharingRole::publicSide), "");
  EXPECT_EQ(network().sharedConnection(SharingRole::privateSide), Virtual) << "connections after the failure keep sharing";
}

// Every operation leaves the thread's COM as it found it, on success and on
// failure alike.
TEST_F(ConnectionUnitTest, ComIsUninitialisedOnEveryPath) {
  start(Laptop());
  std::thread([this] {
    const std::function<void()> operations[] = {
        [this] { manager_->Refresh(); },
        [this] { manager_->EnableSharing(Wired, Wireless); },
        [this] { manager_->EnableSharing(Wired, Guid(77)); },
        [this] { manager_->DisableSharing(); },
    };
    for (bool failing : {false, true}) {
      network().failSharingService(failing ? plat::SharingStatus::Failed : plat::SharingStatus::Ok);
      for (const auto& operation : operations) {
        operation();
        EXPECT_FALSE(ComInitialised()) << (failing ? "failing" : "working");
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        operation();
        EXPECT_TRUE(ComInitialised()) << "the caller's initialisation stays";
        CoUninitialize();
        EXPECT_FALSE(ComInitialised());
      }
    }
  }).join();
}

// Sharing switched on in one run is on in the next (same state folder, new
// machine), until DisableSharing.
TEST_F(ConnectionUnitTest, SharingOutlivesTheRunUntilDisabled) {
  testkit::TempDir state;
  start(Laptop().stateDir(state.path()));
  ASSERT_TRUE(manager_->EnableSharing(Wired, Wireless));

  start(Laptop().stateDir(state.path()));
  EXPECT_EQ(network().sharedConnection(SharingRole::publicSide), Wired);
  EXPECT_EQ(network().sharedConnection(SharingRole::privateSide), Wireless);
  EXPECT_TRUE(network().sharesInternetTo(Wireless));
  EXPECT_TRUE(manager_->EnableSharing(Wired, Wireless)) << "both ends are shared already";
  EXPECT_EQ(network().sharingCalls(), Calls({"open"}));
  EXPECT_TRUE(manager_->DisableSharing());

  start(Laptop().stateDir(state.path()));
  EXPECT_EQ(network().sharedConnection(SharingRole::publicSide), "");
  EXPECT_EQ(network().sharedConnection(SharingRole::privateSide), "");
  EXPECT_FALSE(network().sharesInternetTo(Wireless));
}

}  // namespace
