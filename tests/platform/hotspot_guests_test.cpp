// The devices on a Linux hotspot: NetworkManager's dnsmasq leases joined with
// the kernel's neighbour table, read from sample files with odd lines.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "linux/HotspotGuests.h"
#include "testkit/TempDir.h"

namespace {

using std::chrono::seconds;
using std::chrono::system_clock;

const std::filesystem::path sampleRoot = std::filesystem::path(BRISKLANE_SOURCE_DIR) / "tests/platform/data/hotspot";
const system_clock::time_point sampleNow{seconds(1'700'000'000)};

std::vector<std::uint8_t> address(std::uint8_t last) { return {0xAA, 0xBB, 0xCC, 0x00, 0x00, last}; }

struct Seen {
  std::string name;
  std::vector<std::uint8_t> hardwareAddress;
  std::string ipAddress;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> seen(const std::vector<plat::NetworkGuest>& guests) {
  std::vector<Seen> list;
  for (const auto& g : guests) list.push_back({g.name, g.hardwareAddress, g.ipAddress});
  return list;
}

TEST(HotspotGuests, LeasesFileKeepsOnlyWholeIpv4Leases) {
  const auto leases = plat::lnx::parseDnsmasqLeases(
      "1700003600 aa:bb:cc:00:00:01 10.42.0.23 pixel-7 01:aa:bb:cc:00:00:01\n"
      "0 AA:BB:CC:00:00:02 10.42.0.24 * *\n"
      "1700003600 aa:bb:cc:00:00:03 10.42.0.25 too many fields here\n"
      "1700003600 aa:bb:cc:00:00:04 10.42.0.26 cut-off");
  ASSERT_EQ(leases.size(), 2u);
  EXPECT_EQ(leases[0].expiry, system_clock::time_point(seconds(1'700'003'600)));
  EXPECT_EQ(leases[0].hardwareAddress, address(1));
  EXPECT_EQ(leases[0].ipAddress, "10.42.0.23");
  EXPECT_EQ(leases[0].hostName, "pixel-7");
  EXPECT_EQ(leases[0].clientId, "01:aa:bb:cc:00:00:01");
  EXPECT_EQ(leases[1].expiry, system_clock::time_point());  // never expires
  EXPECT_EQ(leases[1].hardwareAddress, address(2));
  EXPECT_EQ(leases[1].hostName, "");
  EXPECT_EQ(leases[1].clientId, "");
  EXPECT_TRUE(plat::lnx::parseDnsmasqLeases("").empty());
}

TEST(HotspotGuests, NeighbourTableTellsResolvedEntriesFromIncompleteOnes) {
  const auto neighbours = plat::lnx::parseNeighbourTable(
      "IP address       HW type     Flags       HW address            Mask     Device\n"
      "10.42.0.23       0x1         0x2         aa:bb:cc:00:00:01     *        wlp2s0\n"
      "10.42.0.26       0x1         0x0         00:00:00:00:00:00     *        wlp2s0\n"
      "10.42.0.27       0x1         0xZ         aa:bb:cc:00:00:05     *        wlp2s0\n");
  ASSERT_EQ(neighbours.size(), 2u);
  EXPECT_EQ(neighbours[0].ipAddress, "10.42.0.23");
  EXPECT_EQ(neighbours[0].hardwareAddress, address(1));
  EXPECT_EQ(neighbours[0].device, "wlp2s0");
  EXPECT_TRUE(neighbours[0].complete);
  EXPECT_FALSE(neighbours[1].complete);
  EXPECT_TRUE(neighbours[1].hardwareAddress.empty());
}

TEST(HotspotGuests, SampleFilesGiveTheDevicesSeenOnTheHotspotsLink) {
  // Left out: an expired lease, a lease whose device the kernel resolved on
  // another interface only, odd and IPv6 lines, and the last line, which
  // dnsmasq is still writing; that device shows by its neighbour entry alone.
  EXPECT_EQ(seen(plat::lnx::readHotspotGuests(sampleRoot, "wlp2s0", sampleNow)),
            (std::vector<Seen>{{"pixel-7", address(1), "10.42.0.23"},
                               {"", address(2), "10.42.0.24"},
                               {"", address(8), "10.42.0.50"},
                               {"", address(7), "10.42.0.28"}}));

  // An hour on, the first lease has run out; the one without an end has not.
  const auto later = seen(plat::lnx::readHotspotGuests(sampleRoot, "wlp2s0", sampleNow + seconds(3600)));
  ASSERT_EQ(later.size(), 3u);
  EXPECT_EQ(later[0].hardwareAddress, address(2));

  testkit::TempDir empty;
  EXPECT_TRUE(plat::lnx::readHotspotGuests(empty.path(), "wlp2s0", sampleNow).empty());
  EXPECT_TRUE(plat::lnx::readHotspotGuests(sampleRoot, "../wlp2s0", sampleNow).empty());
  // The router on the wired side is a neighbour there, but no hotspot runs.
  EXPECT_TRUE(plat::lnx::readHotspotGuests(sampleRoot, "enp0s31f6", sampleNow).empty());
}

}  // namespace
