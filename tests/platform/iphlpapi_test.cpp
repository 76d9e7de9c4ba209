// Conformance of GetAdaptersInfo and GetIfTable on every kind of machine: size
// probes, record layout and chains, nothing written past the size offered,
// last-error code left alone, and the two views of the same adapters agreeing.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "iphlpapi.h"
#include "net/NetTestSupport.h"
#include "sim/SimNetwork.h"
#include "testkit/ConformanceMachines.h"
#include "testkit/SimMachineBuilder.h"

namespace {

using nettest::Adapter;
using nettest::Guid;

constexpr BYTE Guard = 0xCD;
constexpr std::size_t GuardBytes = 64;
constexpr DWORD LastErrorMarker = 0xBEEF;

// A buffer of `size` bytes followed by guard bytes, all set to Guard.
struct GuardedBuffer {
  explicit GuardedBuffer(std::size_t size) : size(size), bytes(size + GuardBytes, Guard) {}
  bool guardIntact() const {
    for (std::size_t i = size; i < bytes.size(); ++i) {
      if (bytes[i] != Guard) return false;
    }
    return true;
  }
  bool untouched() const {
    for (BYTE b : bytes) {
      if (b != Guard) return false;
    }
    return true;
  }
  template <class T>
  T* as() {
    return reinterpret_cast<T*>(bytes.data());
  }
  std::size_t size;
  std::vector<BYTE> bytes;
};

class IpHelperTest : public testkit::ConformanceTest {};
INSTANTIATE_CONFORMANCE_SUITE(IpHelperTest);

TEST_P(IpHelperTest, AdaptersInfoRejectsAMissingSizeAndReportsNoAdapters) {
  ARRANGE_MACHINE(nettest::AdapterScenario(nlohmann::json::array()));
  SetLastError(LastErrorMarker);
  ULONG size = 5120;
  EXPECT_EQ(GetAdaptersInfo(nullptr, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetAdaptersInfo(nullptr, &size), ERROR_NO_DATA);
  EXPECT_EQ(size, 5120u);
  EXPECT_EQ(GetLastError(), LastErrorMarker);
}

TEST_P(IpHelperTest, AdaptersInfoSizeCountsRecordsAndFurtherChainEntries) {
  struct Case {
    int adapters;
    int addressesEach;
    int gatewaysEach;
    ULONG expected;
  };
  const Case cases[] = {
      {1, 1, 0, 704},
      {1, 0, 0, 704},
      {3, 1, 1, 3 * 704},
      {2, 3, 0, 2 * 704 + 2 * 2 * 48},
      {1, 2, 3, 704 + (1 + 2) * 48},
      {8, 1, 0, 8 * 704},
  };
  for (const Case& c : cases) {
    nlohmann::json adapters = nlohmann::json::array();
    for (int i = 0; i < c.adapters; ++i) {
      nlohmann::json addresses = nlohmann::json::array();
      for (int a = 0; a < c.addressesEach; ++a) addresses.push_back({{"ip", "10.1.1." + std::to_string(a)}, {"mask", "255.0.0.0"}});
      nlohmann::json gateways = nlohmann::json::array();
      for (int g = 0; g < c.gatewaysEach; ++g) gateways.push_back("10.1.1." + std::to_string(100 + g));
      adapters.push_back(Adapter(Guid(i), 10 + i, {{"addresses", addresses}, {"gateways", gateways}}));
    }
    ARRANGE_MACHINE(nettest::AdapterScenario(adapters));
    ULONG size = 0;
    SetLastError(LastErrorMarker);
    EXPECT_EQ(GetAdaptersInfo(nullptr, &size), ERROR_BUFFER_OVERFLOW) << c.adapters << " adapters";
    EXPECT_EQ(size, c.expected) << c.adapters << " adapters";
    GuardedBuffer small(c.expected - 1);
    ULONG offered = c.expected - 1;
    EXPECT_EQ(GetAdaptersInfo(small.as<IP_ADAPTER_INFO>(), &offered), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(offered, c.expected);
    EXPECT_TRUE(small.untouched()) << "an overflow writes nothing";
    EXPECT_EQ(GetLastError(), LastErrorMarker);
  }
}

TEST_P(IpHelperTest, AdaptersInfoFillsChainedRecordsWithinTheSizeOffered) {
  ARRANGE_MACHINE(nettest::AdapterScenario(
      {Adapter(Guid(1), 11,
               {{"description", "Intel(R) 82577LM Gigabit Network Connection"},
                {"mac", "00-24-E8-5A-3C-11"},
                {"dhcp", true},
                {"addresses",
                 {{{"ip", "192.168.1.23"}, {"mask", "255.255.255.0"}}, {{"ip", "10.0.0.5"}, {"mask", "255.0.0.0"}}}},
                {"gateways", {"192.168.1.1", "192.168.1.254"}},
                {"dhcpServer", "192.168.1.1"}}),
       Adapter(Guid(2), 12, {{"type", 71}, {"mac", ""}, {"addresses", nlohmann::json::array()}}),
       Adapter(Guid(3), 23, {{"type", 23}, {"mac", "01:02:03:04:05:06:07:08"}})}));
  ULONG size = 0;
  ASSERT_EQ(GetAdaptersInfo(nullptr, &size), ERROR_BUFFER_OVERFLOW);
  GuardedBuffer buffer(size);
  SetLastError(LastErrorMarker);
  ASSERT_EQ(GetAdaptersInfo(buffer.as<IP_ADAPTER_INFO>(), &size), ERROR_SUCCESS);
  EXPECT_TRUE(buffer.guardIntact());
  EXPECT_EQ(GetLastError(), LastErrorMarker);

  const BYTE* begin = buffer.bytes.data();
  const BYTE* end = begin + buffer.size;
  auto inside = [&](const void* p, std::size_t length) {
    auto* at = static_cast<const BYTE*>(p);
    return at >= begin && at + length <= end;
  };

  const IP_ADAPTER_INFO* first = buffer.as<IP_ADAPTER_INFO>();
  EXPECT_STREQ(first->AdapterName, Guid(1).c_str());
  EXPECT_STREQ(first->Description, "Intel(R) 82577LM Gigabit Network Connection");
  EXPECT_EQ(first->AddressLength, 6u);
  EXPECT_EQ(std::memcmp(first->Address, "\x00\x24\xE8\x5A\x3C\x11", 6), 0);
  EXPECT_EQ(first->Index, 11u);
  EXPECT_EQ(first->Type, 6u);
  EXPECT_EQ(first->DhcpEnabled, 1u);
  EXPECT_STREQ(first->IpAddressList.IpAddress.String, "192.168.1.23");
  EXPECT_STREQ(first->IpAddressList.IpMask.String, "255.255.255.0");
  const IP_ADDR_STRING* second = first->IpAddressList.Next;
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(inside(second, sizeof *second));
  EXPECT_STREQ(second->IpAddress.String, "10.0.0.5");
  EXPECT_STREQ(second->IpMask.String, "255.0.0.0");
  EXPECT_EQ(second->Next, nullptr);
  EXPECT_STREQ(first->GatewayList.IpAddress.String, "192.168.1.1");
  ASSERT_NE(first->GatewayList.Next, nullptr);
  EXPECT_TRUE(inside(first->GatewayList.Next, sizeof(IP_ADDR_STRING)));
  EXPECT_STREQ(first->GatewayList.Next->IpAddress.String, "192.168.1.254");
  EXPECT_STREQ(first->DhcpServer.IpAddress.String, "192.168.1.1");

  const IP_ADAPTER_INFO* wireless = first->Next;
  ASSERT_NE(wireless, nullptr);
  EXPECT_TRUE(inside(wireless, sizeof *wireless));
  EXPECT_EQ(wireless->Type, 71u);
  EXPECT_EQ(wireless->AddressLength, 0u);
  EXPECT_EQ(wireless->DhcpEnabled, 0u);
  EXPECT_STREQ(wireless->IpAddressList.IpAddress.String, "") << "an empty chain is the embedded entry, empty";
  EXPECT_EQ(wireless->IpAddressList.Next, nullptr);
  EXPECT_STREQ(wireless->GatewayList.IpAddress.String, "");

  const IP_ADAPTER_INFO* dialUp = wireless->Next;
  ASSERT_NE(dialUp, nullptr);
  EXPECT_EQ(dialUp->Index, 23u);
  EXPECT_EQ(dialUp->AddressLength, 8u);
  EXPECT_EQ(std::memcmp(dialUp->Address, "\x01\x02\x03\x04\x05\x06\x07\x08", 8), 0);
  EXPECT_EQ(dialUp->Next, nullptr);
}

TEST_P(IpHelperTest, AdaptersInfoCutsLongTextsAtTheirFields) {
  const std::string longName(400, 'N');
  const std::string longDescription(300, 'D');
  ARRANGE_MACHINE(nettest::AdapterScenario({Adapter(longName, 5, {{"description", longDescription}})}));
  ULONG size = sizeof(IP_ADAPTER_INFO);
  GuardedBuffer buffer(size);
  ASSERT_EQ(GetAdaptersInfo(buffer.as<IP_ADAPTER_INFO>(), &size), ERROR_SUCCESS);
  const IP_ADAPTER_INFO* record = buffer.as<IP_ADAPTER_INFO>();
  EXPECT_EQ(std::string(record->AdapterName), std::string(259, 'N'));
  EXPECT_EQ(std::string(record->Description), std::string(131, 'D'));
  EXPECT_TRUE(buffer.guardIntact());
}

TEST_P(IpHelperTest, IfTableSizeQueryAndInvalidArguments) {
  ARRANGE_MACHINE(nettest::AdapterScenario({Adapter(Guid(1), 11), Adapter(Guid(2), 12)},
                                           {{{"index", 40}, {"type", 131}, {"description", "Tunnel"}}}));
  SetLastError(LastErrorMarker);
  EXPECT_EQ(GetIfTable(nullptr, nullptr, FALSE), ERROR_INVALID_PARAMETER);
  ULONG size = 0;
  EXPECT_EQ(GetIfTable(nullptr, &size, FALSE), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 4u + 4u * sizeof(MIB_IFROW)) << "two adapters, one tunnel row, the loopback";
  GuardedBuffer small(size - 1);
  ULONG offered = size - 1;
  EXPECT_EQ(GetIfTable(small.as<MIB_IFTABLE>(), &offered, FALSE), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(offered, size);
  EXPECT_TRUE(small.untouched());
  EXPECT_EQ(GetLastError(), LastErrorMarker);
}

TEST_P(IpHelperTest, IfTableRowsInMachineOrderOrSortedOnRequest) {
  ARRANGE_MACHINE(nettest::AdapterScenario(
      {Adapter(Guid(1), 30, {{"operStatus", 2}}), Adapter(Guid(2), 12, {{"description", "Wi-Fi"}, {"type", 71}})},
      {{{"index", 20}, {"type", 131}, {"description", "Tunnel"}, {"operStatus", 1}}}));
  ULONG size = 0;
  ASSERT_EQ(GetIfTable(nullptr, &size, FALSE), ERROR_INSUFFICIENT_BUFFER);

  for (BOOL sorted : {FALSE, TRUE}) {
    GuardedBuffer buffer(size);
    ULONG offered = size;
    ASSERT_EQ(GetIfTable(buffer.as<MIB_IFTABLE>(), &offered, sorted), ERROR_SUCCESS);
    EXPECT_TRUE(buffer.guardIntact());
    const MIB_IFTABLE* table = buffer.as<MIB_IFTABLE>();
    ASSERT_EQ(table->dwNumEntries, 4u);
    std::vector<DWORD> indexes;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) indexes.push_back(table->table[i].dwIndex);
    EXPECT_EQ(indexes, sorted ? std::vector<DWORD>({1, 12, 20, 30}) : std::vector<DWORD>({30, 12, 20, 1}));
  }

  GuardedBuffer buffer(size);
  ASSERT_EQ(GetIfTable(buffer.as<MIB_IFTABLE>(), &size, FALSE), ERROR_SUCCESS);
  const MIB_IFROW& wired = buffer.as<MIB_IFTABLE>()->table[0];
  const std::string guid = Guid(1);
  EXPECT_EQ(std::u16string(wired.wszName), u"\\DEVICE\\TCPIP_" + std::u16string(guid.begin(), guid.end()));
  EXPECT_EQ(wired.dwType, 6u);
  EXPECT_EQ(wired.dwOperStatus, 2u);
  EXPECT_EQ(wired.dwAdminStatus, MIB_IF_ADMIN_STATUS_UP);
  EXPECT_EQ(wired.dwPhysAddrLen, 6u);
  EXPECT_EQ(wired.dwDescrLen, std::string("Adapter 30").size() + 1) << "the description's length counts its NUL";
  EXPECT_STREQ(reinterpret_cast<const char*>(wired.bDescr), "Adapter 30");
  const MIB_IFROW& loopback = buffer.as<MIB_IFTABLE>()->table[3];
  EXPECT_EQ(loopback.dwType, MIB_IF_TYPE_LOOPBACK);
  EXPECT_EQ(loopback.dwPhysAddrLen, 0u);
}

TEST(SimIpHelper, IfTableGrowsWithTheMachineAndOldSizesFail) {
  auto machine = testkit::SimMachineBuilder().scenario(nettest::AdapterScenario({Adapter(Guid(1), 11)})).build();
  testkit::ScopedMachine scope(machine);
  ULONG size = 0;
  ASSERT_EQ(GetIfTable(nullptr, &size, FALSE), ERROR_INSUFFICIENT_BUFFER);
  const ULONG before = size;
  machine->simNetwork().addAdapter(Adapter(Guid(2), 12));
  GuardedBuffer buffer(before);
  ULONG offered = before;
  EXPECT_EQ(GetIfTable(buffer.as<MIB_IFTABLE>(), &offered, FALSE), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(offered, before + sizeof(MIB_IFROW));
  EXPECT_TRUE(buffer.untouched());
}

// Every adapter with an interface row describes the same interface in both
// views; rows without adapters exist, adapters without rows too.
TEST_P(IpHelperTest, AdapterIndexesAgreeWithInterfaceRows) {
  ARRANGE_MACHINE(nettest::AdapterScenario({Adapter(Guid(1), 11, {{"mac", "00-24-E8-5A-3C-11"}}),
                                            Adapter(Guid(2), 12, {{"type", 71}}),
                                            Adapter(Guid(3), 13, {{"interfaceRow", false}})},
                                           {{{"index", 40}, {"type", 131}}}));
  ULONG adapterSize = 0;
  ASSERT_EQ(GetAdaptersInfo(nullptr, &adapterSize), ERROR_BUFFER_OVERFLOW);
  GuardedBuffer adapters(adapterSize);
  ASSERT_EQ(GetAdaptersInfo(adapters.as<IP_ADAPTER_INFO>(), &adapterSize), ERROR_SUCCESS);
  ULONG tableSize = 0;
  ASSERT_EQ(GetIfTable(nullptr, &tableSize, FALSE), ERROR_INSUFFICIENT_BUFFER);
  GuardedBuffer table(tableSize);
  ASSERT_EQ(GetIfTable(table.as<MIB_IFTABLE>(), &tableSize, FALSE), ERROR_SUCCESS);

  std::map<DWORD, const MIB_IFROW*> rows;
  for (DWORD i = 0; i < table.as<MIB_IFTABLE>()->dwNumEntries; ++i) {
    const MIB_IFROW* row = &table.as<MIB_IFTABLE>()->table[i];
    rows[row->dwIndex] = row;
  }
  std::vector<DWORD> withoutRow;
  for (const IP_ADAPTER_INFO* a = adapters.as<IP_ADAPTER_INFO>(); a != nullptr; a = a->Next) {
    auto it = rows.find(a->Index);
    if (it == rows.end()) {
      withoutRow.push_back(a->Index);
      continue;
    }
    const MIB_IFROW& row = *it->second;
    EXPECT_EQ(row.dwType, a->Type) << a->Index;
    EXPECT_EQ(row.dwPhysAddrLen, a->AddressLength) << a->Index;
    EXPECT_EQ(std::memcmp(row.bPhysAddr, a->Address, a->AddressLength), 0) << a->Index;
    EXPECT_STREQ(reinterpret_cast<const char*>(row.bDescr), a->Description) << a->Index;
    rows.erase(it);
  }
  EXPECT_EQ(withoutRow, std::vector<DWORD>({13}));
  std::vector<DWORD> rowsWithoutAdapter;
  for (const auto& [index, row] : rows) rowsWithoutAdapter.push_back(index);
  EXPECT_EQ(rowsWithoutAdapter, std::vector<DWORD>({1, 40}));
}

TEST(IpHelperScenario, MalformedAdapterSectionsAreRefused) {
  const nlohmann::json cases[] = {
      nettest::Array({Adapter(Guid(1), 11), Adapter(Guid(2), 11)}),
      nettest::Array({Adapter(Guid(1), 1)}),
      nettest::Array({Adapter(Guid(1), 11, {{"mac", "00-1G"}})}),
      nettest::Array({Adapter(Guid(1), 11, {{"mac", "00-11-22-33-44-55-66-77-88"}})}),
      nettest::Array({{{"guid", Guid(1)}}}),
      {{"guid", Guid(1)}, {"index", 11}},
  };
  for (const auto& adapters : cases) {
    EXPECT_THROW(testkit::SimMachineBuilder().section("adapters", adapters).build(), std::runtime_error) << adapters.dump();
  }
}

}  // namespace
