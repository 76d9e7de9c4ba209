// What a Wi-Fi device hears on the Linux machine, as the program lists it:
// NetworkManager's access points merged by name, security and kind.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "linux/nm/NmNames.h"
#include "linux/radio/ScanMerge.h"

namespace {

using plat::NetworkKind;
using plat::lnx::AccessPointRecord;
using plat::lnx::JoinSecurity;
using plat::lnx::OwnHotspot;
namespace nm = plat::lnx::nm;

constexpr auto Open = NetworkKind::OpenAccessPoint;
constexpr auto Keyed = NetworkKind::AccessPoint;
constexpr auto Computer = NetworkKind::Computer;

const std::string globalAddress = "00:1A:2B:3C:4D:5E";
const std::string localAddress = "02:1A:2B:3C:4D:5E";  // locally administered

AccessPointRecord ap(std::string path, std::string ssid, std::uint8_t strength, std::uint32_t rsn = 0,
                     std::string address = globalAddress, std::uint32_t flags = 0, bool active = false) {
  return {std::move(path), std::move(ssid), flags, 0, rsn, std::move(address), strength, active};
}

AccessPointRecord activeAp(std::string path, std::string ssid, std::uint8_t strength) {
  auto record = ap(std::move(path), std::move(ssid), strength);
  record.active = true;
  return record;
}

struct Entry {
  std::string name;
  NetworkKind kind;
  bool connected;
  bool secured;
  std::uint32_t signal;
  std::uint32_t id;
  std::string accessPoint;
  JoinSecurity security = JoinSecurity::Open;
  bool enterprise = false;
  bool own = false;
  bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
  return out << "{" << e.name << " kind " << int(e.kind) << (e.connected ? " connected" : "")
             << (e.secured ? " secured" : "") << " signal " << e.signal << " id " << e.id << " " << e.accessPoint
             << " security " << int(e.security) << (e.enterprise ? " enterprise" : "") << (e.own ? " own" : "")
             << "}";
}

std::vector<Entry> merged(const std::vector<AccessPointRecord>& accessPoints,
                          const std::optional<OwnHotspot>& hotspot) {
  std::vector<Entry> entries;
  for (const auto& n : plat::lnx::mergeScan(accessPoints, hotspot)) {
    entries.push_back({n.shown.name, n.shown.kind, n.shown.connected, n.shown.secured, n.shown.signal, n.shown.id,
                       n.accessPoint, n.security, n.enterprise, n.own});
  }
  return entries;
}

struct Case {
  const char* what;
  std::vector<AccessPointRecord> accessPoints;
  std::optional<OwnHotspot> hotspot;
  std::vector<Entry> expected;
};

const std::vector<Case> cases = {
    {"nothing heard", {}, std::nullopt, {}},
    {"one name, its strongest access point; connected through a weaker one",
     {ap("/ap/1", "cafe", 40), activeAp("/ap/2", "cafe", 30), ap("/ap/3", "cafe", 70), ap("/ap/4", "cafe", 70)},
     std::nullopt,
     {{"cafe", Open, true, false, 70, 1, "/ap/3"}}},
    {"each security as the join needs it",
     {ap("/ap/1", "wep", 10, 0, globalAddress, nm::apFlagPrivacy), ap("/ap/2", "wpa2", 20, nm::apSecurityPsk),
      ap("/ap/3", "wpa3", 30, nm::apSecuritySae), ap("/ap/4", "both", 40, nm::apSecurityPsk | nm::apSecuritySae),
      ap("/ap/5", "office", 50, nm::apSecurity8021x),
      ap("/ap/6", "mixed", 60, nm::apSecurity8021x | nm::apSecurityPsk), ap("/ap/7", "owe", 70, nm::apSecurityOwe)},
     std::nullopt,
     {{"owe", Open, false, false, 70, 1, "/ap/7", JoinSecurity::Open},
      {"mixed", Keyed, false, true, 60, 2, "/ap/6", JoinSecurity::WpaPersonal},
      {"office", Keyed, false, true, 50, 2, "/ap/5", JoinSecurity::Wep, true},
      {"both", Keyed, false, true, 40, 2, "/ap/4", JoinSecurity::WpaPersonal},
      {"wpa3", Keyed, false, true, 30, 2, "/ap/3", JoinSecurity::Wpa3Personal},
      {"wpa2", Keyed, false, true, 20, 2, "/ap/2", JoinSecurity::WpaPersonal},
      {"wep", Keyed, false, true, 10, 2, "/ap/1", JoinSecurity::Wep}}},
    {"a computer's network is a secured one from a locally administered address",
     {ap("/ap/1", "laptop", 50, nm::apSecurityPsk, localAddress), ap("/ap/2", "laptop", 60, nm::apSecurityPsk),
      ap("/ap/3", "laptop", 40, 0, localAddress), ap("/ap/4", "laptop", 30, nm::apSecurityPsk, "not an address")},
     std::nullopt,
     {{"laptop", Keyed, false, true, 60, 2, "/ap/2", JoinSecurity::WpaPersonal},
      {"laptop", Computer, false, true, 50, 4, "/ap/1", JoinSecurity::WpaPersonal},
      {"laptop", Open, false, false, 40, 1, "/ap/3"}}},
    {"equally strong entries keep the order of name, security and kind",
     {ap("/ap/1", "b", 50, nm::apSecurityPsk), ap("/ap/2", "b", 50), ap("/ap/3", "a", 50, nm::apSecurityPsk)},
     std::nullopt,
     {{"a", Keyed, false, true, 50, 2, "/ap/3", JoinSecurity::WpaPersonal},
      {"b", Open, false, false, 50, 1, "/ap/2"},
      {"b", Keyed, false, true, 50, 2, "/ap/1", JoinSecurity::WpaPersonal}}},
    {"hidden names and names the program cannot carry are left out",
     {ap("/ap/1", "", 90), ap("/ap/2", std::string("nul\0name", 8), 80), ap("/ap/3", "\xff\xfe", 70),
      ap("/ap/4", "caf\xc3\xa9", 60)},
     std::nullopt,
     {{"caf\xc3\xa9", Open, false, false, 60, 1, "/ap/4"}}},
    {"the own hotspot at full strength, also when the device hears itself",
     {ap("/ap/1", "Brisklane", 30, nm::apSecurityPsk, localAddress), ap("/ap/2", "cafe", 99)},
     OwnHotspot{"Brisklane", true},
     {{"Brisklane", Computer, true, true, 100, 4, "/ap/1", JoinSecurity::WpaPersonal, false, true},
      {"cafe", Open, false, false, 99, 1, "/ap/2"}}},
    {"the own hotspot alone", {}, OwnHotspot{"open one", false},
     {{"open one", Computer, true, false, 100, 3, "", JoinSecurity::Open, false, true}}},
};

TEST(ScanMerge, OneEntryPerNameSecurityAndKindStrongestFirst) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(merged(c.accessPoints, c.hotspot), c.expected);
  }
}

TEST(ScanMerge, ListsNamesThatAreNotHiddenAndCarriedWhole) {
  const struct {
    std::string ssid;
    bool listed;
  } names[] = {
      {"", false},
      {"home", true},
      {" ", true},
      {"\xc3\xa9t\xc3\xa9", true},
      {std::string("a\0b", 3), false},
      {"\xc3", false},          // a cut sequence
      {"\xed\xa0\x80", false},  // a UTF-16 surrogate
  };
  for (const auto& n : names) EXPECT_EQ(plat::lnx::listedName(n.ssid), n.listed) << n.ssid;
}

}  // namespace
