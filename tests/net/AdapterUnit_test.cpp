// The adapter inventory against simulated machines: records, registry facts,
// adapter names, the 5120-byte limit, interface states and the module's
// interface table buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "net/AdapterUnit.h"
#include "net/NetTestSupport.h"
#include "rtl/Registry.h"
#include "sim/SimNetwork.h"
#include "testkit/SimMachineBuilder.h"

namespace {

using nettest::Adapter;
using nettest::Guid;

std::vector<std::string> Names(const TAdapterManager& manager) {
  std::vector<std::string> names;
  for (const auto& entry : manager.Adapters) names.push_back(entry.object->AdapterName);
  return names;
}

// Each test starts the module afresh, as a new run of the program would.
class AdapterUnitTest : public ::testing::Test, protected nettest::AdapterMachine {
 protected:
  void SetUp() override { FinalizeAdapterUnit(); }
  void TearDown() override { FinalizeAdapterUnit(); }

};

TEST(FormatMacAddress, TwoUpperCaseDigitsPerByte) {
  const BYTE bytes[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0xff, 0x07};
  EXPECT_EQ(FormatMacAddress(bytes, 6), "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(FormatMacAddress(bytes, 8), "00-1A-2B-3C-4D-5E-FF-07");
  EXPECT_EQ(FormatMacAddress(bytes + 6, 1), "FF");
  EXPECT_EQ(FormatMacAddress(bytes, 0), "");
}

TEST(JoinIpAddresses, JoinsTheChainLineByLine) {
  IP_ADDR_STRING entries[3] = {};
  std::strcpy(entries[0].IpAddress.String, "192.168.1.23");
  std::strcpy(entries[0].IpMask.String, "255.255.255.0");
  std::strcpy(entries[1].IpAddress.String, "10.0.0.5");
  std::strcpy(entries[1].IpMask.String, "255.0.0.0");
  std::memcpy(entries[2].IpAddress.String, "123.123.123.1234", 16);  // fills the field, no NUL
  EXPECT_EQ(JoinIpAddresses(&entries[0]), "192.168.1.23");
  EXPECT_EQ(JoinIpMasks(&entries[0]), "255.255.255.0");
  entries[0].Next = &entries[1];
  entries[1].Next = &entries[2];
  EXPECT_EQ(JoinIpAddresses(&entries[0]), "192.168.1.23\r\n10.0.0.5\r\n123.123.123.1234");
  EXPECT_EQ(JoinIpMasks(&entries[0]), "255.255.255.0\r\n255.0.0.0\r\n");

  // An empty first text is replaced by the next one.
  IP_ADDR_STRING empty = {};
  empty.Next = &entries[1];
  entries[1].Next = nullptr;
  EXPECT_EQ(JoinIpAddresses(&empty), "10.0.0.5");
}

TEST_F(AdapterUnitTest, LoadsTheShippedLaptop) {
  auto laptop = testkit::SimMachineBuilder().scenario(testkit::shippedScenario("laptop")).build();
  testkit::ScopedMachine scope(laptop);
  TAdapterManager manager;
  ASSERT_EQ(manager.Adapters.Count(), 3);
  EXPECT_EQ(manager.Adapters.Strings(0), "11");
  EXPECT_EQ(manager.Adapters.Strings(2), "15");
  const TAdapter& wired = *manager.Adapters.Objects(0);
  EXPECT_EQ(wired.AdapterName, nettest::LaptopWired);
  EXPECT_EQ(wired.Description, "Intel(R) 82577LM Gigabit Network Connection");
  EXPECT_EQ(wired.Index, 11u);
  EXPECT_EQ(wired.MacAddress, "00-24-E8-5A-3C-11");
  EXPECT_EQ(wired.AdapterType, 6);
  EXPECT_TRUE(wired.DhcpEnabled);
  EXPECT_EQ(wired.IpAddresses, std::vector<std::string>({"192.168.1.23"}));
  EXPECT_EQ(wired.IpMasks, std::vector<std::string>({"255.255.255.0"}));
  EXPECT_EQ(wired.Gateways, std::vector<std::string>({"192.168.1.1"}));
  EXPECT_TRUE(wired.IsPhysical);
  EXPECT_FALSE(wired.IsWireless);
  const TAdapter& wifi = *manager.Adapters.Objects(1);
  EXPECT_TRUE(wifi.IsPhysical);
  EXPECT_TRUE(wifi.IsWireless);
  EXPECT_TRUE(wifi.Gateways.empty());
  const TAdapter& virtualAdapter = *manager.Adapters.Objects(2);
  EXPECT_FALSE(virtualAdapter.IsPhysical);
  EXPECT_FALSE(virtualAdapter.DhcpEnabled);
  EXPECT_EQ(manager.WiredAdapterName, nettest::LaptopWired);
  EXPECT_EQ(manager.WirelessAdapterName, nettest::LaptopWireless);
  EXPECT_EQ(manager.DialUpAdapterName, "");
}

TEST_F(AdapterUnitTest, PnpInstanceIdPrefixesMakeAnAdapterPhysical) {
  struct Case {
    nlohmann::json id;
    bool physical;
  };
  const Case cases[] = {
      {"PCI\\VEN_8086&DEV_10EA", true}, {"USB\\VID_0BDA&PID_8187", true}, {"PCMCIA\\ATHEROS-AR5212", true},
      {"PCIX", true},                   {"pci\\VEN_8086", false},          {"Usb\\VID_0BDA", false},
      {"pcmcia\\X", false},             {"ROOT\\NET\\0000", false},        {"PC", false},
      {"", false},                      {" PCI", false},                   {nullptr, false},
  };
  for (const Case& c : cases) {
    install({Adapter(Guid(1), 11, {{"pnpInstanceId", c.id}})});
    TAdapterManager manager;
    EXPECT_EQ(manager.Adapters.Objects(0)->IsPhysical, c.physical) << c.id.dump();
    EXPECT_EQ(manager.WiredAdapterName, c.physical ? Guid(1) : "") << c.id.dump();
    FinalizeAdapterUnit();
  }
}

TEST_F(AdapterUnitTest, MediaSubTypeTwoMakesAnAdapterWireless) {
  struct Case {
    nlohmann::json subType;
    bool wireless;
  };
  const Case cases[] = {{2, true}, {1, false}, {0, false}, {nullptr, false}};
  for (const Case& c : cases) {
    install({Adapter(Guid(1), 11, {{"mediaSubType", c.subType}})});
    TAdapterManager manager;
    EXPECT_EQ(manager.Adapters.Objects(0)->IsWireless, c.wireless) << c.subType.dump();
    EXPECT_FALSE(manager.Adapters.Objects(0)->IsPhysical);
    EXPECT_EQ(manager.WirelessAdapterName, "") << "only physical adapters are named";
    FinalizeAdapterUnit();
  }
}

TEST_F(AdapterUnitTest, ReadConnectionKeyLeavesFlagsAloneWithoutValues) {
  install({Adapter(Guid(1), 11, {{"mediaSubType", 2}})});
  bool physical = true;
  bool wireless = false;
  ReadConnectionKey(Guid(1), physical, wireless);
  EXPECT_TRUE(physical) << "no PnpInstanceID: the flag stays as it was";
  EXPECT_TRUE(wireless);
  physical = false;
  wireless = false;
  EXPECT_NO_THROW(ReadConnectionKey(Guid(7), physical, wireless)) << "no Connection key";
  EXPECT_FALSE(physical);
  EXPECT_FALSE(wireless);
}

TEST_F(AdapterUnitTest, ValuesOfAnotherTypeRaiseAndKeepTheAdaptersReadSoFar) {
  install({Adapter(Guid(1), 11, {{"pnpInstanceId", "PCI\\A"}}), Adapter(Guid(2), 12)});
  TAdapterManager manager;
  machine_->simNetwork().addAdapter(Adapter(Guid(3), 13, {{"mediaSubType", "2"}}));
  machine_->simNetwork().addAdapter(Adapter(Guid(4), 14));
  try {
    manager.LoadAdapters();
    FAIL() << "no error raised";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'MediaSubType'");
  }
  EXPECT_EQ(Names(manager), std::vector<std::string>({Guid(1), Guid(2)}));
  EXPECT_EQ(manager.WiredAdapterName, Guid(1));

  install({Adapter(Guid(1), 11, {{"pnpInstanceId", 5}})});
  EXPECT_THROW(TAdapterManager(), ERegistryException);
}

TEST_F(AdapterUnitTest, LaterAdaptersWinTheAdapterNames) {
  install({Adapter(Guid(1), 11, {{"pnpInstanceId", "PCI\\1"}, {"mediaSubType", 1}}),
           Adapter(Guid(2), 12, {{"pnpInstanceId", "USB\\2"}, {"mediaSubType", 2}, {"type", 71}}),
           Adapter(Guid(3), 13, {{"pnpInstanceId", "PCI\\3"}}),
           Adapter(Guid(4), 14, {{"pnpInstanceId", "PCMCIA\\4"}, {"mediaSubType", 2}, {"type", 71}}),
           Adapter(Guid(5), 15, {{"type", 23}}),
           Adapter(Guid(6), 16, {{"type", 23}, {"pnpInstanceId", "ROOT\\6"}}),
           Adapter(Guid(7), 17, {{"pnpInstanceId", "ROOT\\7"}, {"mediaSubType", 2}})});
  TAdapterManager manager;
  EXPECT_EQ(manager.WiredAdapterName, Guid(3));
  EXPECT_EQ(manager.WirelessAdapterName, Guid(4));
  EXPECT_EQ(manager.DialUpAdapterName, Guid(6));
}

TEST_F(AdapterUnitTest, MoreThan5120BytesOfRecordsFailAndKeepThePreviousInventory) {
  // 704 bytes per record and 48 per further address on this build: seven
  // records with one address each take 4928 bytes.
  nlohmann::json adapters = nlohmann::json::array();
  for (unsigned i = 0; i < 7; ++i) adapters.push_back(Adapter(Guid(i), 10 + i));
  install(adapters);
  TAdapterManager manager;
  ASSERT_EQ(manager.Adapters.Count(), 7);
  const auto before = Names(manager);

  // Four more addresses: 5120 bytes exactly, still fits.
  nlohmann::json addresses = nlohmann::json::array();
  for (int a = 0; a < 5; ++a) addresses.push_back({{"ip", "10.9.9." + std::to_string(a)}, {"mask", "255.0.0.0"}});
  adapters[6]["addresses"] = addresses;
  install(adapters);
  EXPECT_NO_THROW(manager.LoadAdapters());
  EXPECT_EQ(manager.Adapters.Objects(6)->IpAddresses.size(), 5u);

  machine_->simNetwork().addAdapter(Adapter(Guid(20), 40));
  SetLastError(0);
  try {
    manager.LoadAdapters();
    FAIL() << "no error raised";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ERROR_BUFFER_OVERFLOW);
    EXPECT_STREQ(e.what(), "System Error.  Code: 111.\r\nThe file name is too long");
  }
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(Names(manager), before);
  EXPECT_EQ(manager.Adapters.Objects(6)->IpAddresses.size(), 5u);
  EXPECT_THROW(manager.Refresh(), EOSError);
  EXPECT_EQ(Names(manager), before);
}

TEST_F(AdapterUnitTest, NoAdaptersFailsConstruction) {
  install(nlohmann::json::array());
  try {
    TAdapterManager manager;
    FAIL() << "no error raised";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ERROR_NO_DATA);
  }
}

TEST_F(AdapterUnitTest, OperStatusComesFromTheRowWithTheSameIndex) {
  install({Adapter(Guid(1), 11, {{"operStatus", 5}}), Adapter(Guid(2), 12, {{"operStatus", 2}}),
           Adapter(Guid(3), 13, {{"operStatus", 4}, {"interfaceRow", false}})},
          {{{"index", 40}, {"operStatus", 1}}});
  TAdapterManager manager;
  for (const auto& entry : manager.Adapters) EXPECT_EQ(entry.object->OperStatus, 0u) << "nothing read by the constructor";
  EXPECT_EQ(manager.IfTable, nullptr);

  manager.Refresh();
  ASSERT_NE(manager.IfTable, nullptr);
  EXPECT_EQ(manager.IfTable, IfTableBuffer);
  EXPECT_EQ(manager.IfTable->dwNumEntries, 4u);
  EXPECT_EQ(manager.Adapters.Objects(0)->OperStatus, 5u);
  EXPECT_EQ(manager.Adapters.Objects(1)->OperStatus, 2u);
  EXPECT_EQ(manager.Adapters.Objects(2)->OperStatus, 0u) << "an adapter without a row";
  EXPECT_EQ(manager.Adapters.Count(), 3) << "rows without adapters add nothing";
}

TEST_F(AdapterUnitTest, TheTableSizeIsFoundOnceAndAGrownTableIsNotRead) {
  install({Adapter(Guid(1), 11, {{"operStatus", 5}})});
  EXPECT_EQ(IfTableSize, 0u);
  EXPECT_EQ(IfTableBuffer, nullptr);
  TAdapterManager first;
  const DWORD size = IfTableSize;
  EXPECT_EQ(size, 4u + 2u * sizeof(MIB_IFROW)) << "the adapter and the loopback";
  ASSERT_NE(IfTableBuffer, nullptr);
  const PMIB_IFTABLE buffer = IfTableBuffer;
  TAdapterManager second;
  EXPECT_EQ(IfTableBuffer, buffer) << "every manager shares the module's buffer";

  machine_->simNetwork().addAdapter(Adapter(Guid(2), 12, {{"operStatus", 2}}));
  first.Refresh();
  EXPECT_EQ(first.IfTable, nullptr);
  EXPECT_EQ(first.Adapters.Count(), 2);
  for (const auto& entry : first.Adapters) EXPECT_EQ(entry.object->OperStatus, 0u);
  EXPECT_EQ(IfTableSize, size) << "a failed read does not resize the buffer";
  EXPECT_EQ(ReadIfTable(), nullptr);

  // The next run of the program finds the new size.
  FinalizeAdapterUnit();
  TAdapterManager third;
  EXPECT_EQ(IfTableSize, size + sizeof(MIB_IFROW));
  third.Refresh();
  EXPECT_EQ(third.Adapters.Objects(1)->OperStatus, 2u);
}

}  // namespace
