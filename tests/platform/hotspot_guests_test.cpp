// The devices on a Linux hotspot: NetworkManager's dnsmasq leases joined with
// the kernel's neighbour table, read from sample files with odd lines, from
// files that are no lease files, and while dnsmasq rewrites them; and the
// names devices give, as the program shows them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "linux/hotspot/HotspotGuestWatch.h"
#include "linux/hotspot/HotspotGuests.h"
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
      "99999999999999 aa:bb:cc:00:00:05 10.42.0.27 far-future *\n"
      "1700003600 aa:bb:cc:00:00:04 10.42.0.26 cut-off");
  ASSERT_EQ(leases.size(), 3u);
  EXPECT_EQ(leases[0].expiry, system_clock::time_point(seconds(1'700'003'600)));
  EXPECT_EQ(leases[0].hardwareAddress, address(1));
  EXPECT_EQ(leases[0].ipAddress, "10.42.0.23");
  EXPECT_EQ(leases[0].hostName, "pixel-7");
  EXPECT_EQ(leases[0].clientId, "01:aa:bb:cc:00:00:01");
  EXPECT_EQ(leases[1].expiry, system_clock::time_point());  // never expires
  EXPECT_EQ(leases[1].hardwareAddress, address(2));
  EXPECT_EQ(leases[1].hostName, "");
  EXPECT_EQ(leases[1].clientId, "");
  EXPECT_GT(leases[2].expiry, sampleNow) << "an expiry beyond the clock's range never comes";
  EXPECT_TRUE(plat::lnx::parseDnsmasqLeases("").empty());
}

TEST(HotspotGuests, NamesAreShownWithoutControlsEscapesOrDirectionOverrides) {
  const struct {
    std::string given, shown;
  } names[] = {
      {"pixel-7", "pixel-7"},
      {"Anna\xE2\x80\x99s iPhone \xF0\x9F\x93\xB1", "Anna\xE2\x80\x99s iPhone \xF0\x9F\x93\xB1"},  // UTF-8 stays
      {"\x1b[31mevil\x1b[0m", "evil"},
      {"\x1b]0;title\x07x", "x"},
      {"a\xE2\x80\xAE" "b", "ab"},      // U+202E right-to-left override
      {"a\xE2\x81\xA6" "b\xE2\x81\xA9", "ab"},  // an isolate and its end
      {"line\r\n", "line"},
      {"tab\there", "tabhere"},
      {"c1\xC2\x9B" "x", "c1x"},          // U+009B, a C1 control
      {"bad\xFF\xC0\xAF", "bad\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // not UTF-8, overlong
      {"", ""},
  };
  for (const auto& name : names) {
    EXPECT_EQ(plat::lnx::guestName(name.given), name.shown) << name.given;
  }
  const auto leases = plat::lnx::parseDnsmasqLeases("0 aa:bb:cc:00:00:01 10.42.0.23 \x1b[2Jphone\xE2\x80\xAE *\n");
  ASSERT_EQ(leases.size(), 1u);
  EXPECT_EQ(leases[0].hostName, "phone");
}

// A lease file of the hotspot and a neighbour table where its device is on
// the link, under a root of their own.
struct HotspotRoot {
  HotspotRoot() {
    std::filesystem::create_directories(root / "var/lib/NetworkManager");
    std::filesystem::create_directories(root / "proc/net");
    std::ofstream(root / "proc/net/arp") << "IP address HW type Flags HW address Mask Device\n"
                                            "10.42.0.23 0x1 0x2 aa:bb:cc:00:00:01 * wlp2s0\n";
    writeLeases("0 aa:bb:cc:00:00:01 10.42.0.23 pixel-7 *\n", system_clock::now() - seconds(60));
  }
  std::filesystem::path leases() const { return plat::lnx::leaseFilePath(root.path(), "wlp2s0"); }
  void writeLeases(const std::string& text, system_clock::time_point changed) const {
    std::ofstream(leases(), std::ios::trunc) << text;
    const auto since = changed.time_since_epoch();
    const auto whole = std::chrono::duration_cast<seconds>(since);
    const timespec times[2] = {{0, UTIME_OMIT},
                               {static_cast<time_t>(whole.count()),
                                static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(since - whole).count())}};
    EXPECT_EQ(::utimensat(AT_FDCWD, leases().c_str(), times, 0), 0);
  }
  testkit::TempDir root;
};

TEST(HotspotGuests, WhatIsNoRegularLeaseFileOfSaneSizeIsNotRead) {
  const struct {
    const char* what;
    std::function<void(const std::filesystem::path&)> make;
  } files[] = {
      {"a pipe without a writer", [](const std::filesystem::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
      {"a link to /dev/zero", [](const std::filesystem::path& p) { std::filesystem::create_symlink("/dev/zero", p); }},
      {"a folder", [](const std::filesystem::path& p) { std::filesystem::create_directory(p); }},
      {"a file of 100 MB", [](const std::filesystem::path& p) {
         std::ofstream(p) << "0 aa:bb:cc:00:00:01 10.42.0.23 pixel-7 *\n";
         std::filesystem::resize_file(p, 100u << 20);
       }},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    HotspotRoot hotspot;
    std::filesystem::remove(hotspot.leases());
    file.make(hotspot.leases());
    const auto read = plat::lnx::readHotspotFiles(hotspot.root.path(), "wlp2s0", system_clock::now());
    EXPECT_FALSE(read.leaseFile);
    EXPECT_TRUE(read.leases.empty());
  }
}

TEST(HotspotGuests, AReadingInTheMidstOfARewriteIsNotSettled) {
  HotspotRoot hotspot;
  const auto now = system_clock::now();
  const struct {
    system_clock::duration changedAgo;
    bool settled;
  } readings[] = {{seconds(60), true},
                  {plat::lnx::leaseFileSettleTime, true},
                  {std::chrono::milliseconds(10), false},
                  {seconds(-10), false},   // written in the future: the clock says so
                  {seconds(-3600), true}};  // the clock was set back
  for (const auto& reading : readings) {
    hotspot.writeLeases("", now - reading.changedAgo);
    EXPECT_EQ(plat::lnx::readHotspotFiles(hotspot.root.path(), "wlp2s0", now).settled, reading.settled)
        << std::chrono::duration_cast<std::chrono::milliseconds>(reading.changedAgo).count() << " ms ago";
  }
}

TEST(HotspotGuests, AGuestStaysWhileDnsmasqRewritesTheLeaseFileAndLeavesOnceItIsWhole) {
  HotspotRoot hotspot;
  std::mutex mutex;
  std::vector<plat::RadioEvent::Code> events;
  plat::lnx::HotspotGuestWatch watch(hotspot.root.path(), std::chrono::hours(1),
                                     [&](const std::vector<plat::RadioEvent>& happened) {
                                       std::lock_guard lock(mutex);
                                       for (const auto& e : happened) events.push_back(e.code);
                                     });
  watch.watch({"wlan", "wlp2s0", "Brisklane"});
  ASSERT_EQ(watch.guests("wlan").value().size(), 1u);

  // Cut to nothing and not written yet; a reading now finds no lease. The
  // file's time keeps every reading of this test in the midst of the rewrite.
  hotspot.writeLeases("", system_clock::now() + seconds(30));
  EXPECT_EQ(watch.guests("wlan").value().size(), 1u);
  hotspot.writeLeases("", system_clock::now() - seconds(1));  // and that was all: the phone gave its lease back
  EXPECT_TRUE(watch.guests("wlan").value().empty());
  std::lock_guard lock(mutex);
  EXPECT_EQ(events, (std::vector<plat::RadioEvent::Code>{plat::RadioEvent::Code::GuestJoined,
                                                          plat::RadioEvent::Code::GuestLeft}));
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

  // A device that gave its lease back left, though the kernel still resolves it.
  plat::lnx::LeaseHistory history{address(8)};
  const auto released = seen(plat::lnx::readHotspotGuests(sampleRoot, "wlp2s0", sampleNow, &history));
  ASSERT_EQ(released.size(), 3u);
  EXPECT_EQ(released[2].hardwareAddress, address(7));
  EXPECT_EQ(history, (plat::lnx::LeaseHistory{address(1), address(2), address(3), address(4), address(8)}))
      << "the leases held now join the history";

  testkit::TempDir empty;
  EXPECT_TRUE(plat::lnx::readHotspotGuests(empty.path(), "wlp2s0", sampleNow).empty());
  EXPECT_TRUE(plat::lnx::readHotspotGuests(sampleRoot, "../wlp2s0", sampleNow).empty());
  // The router on the wired side is a neighbour there, but no hotspot runs.
  EXPECT_TRUE(plat::lnx::readHotspotGuests(sampleRoot, "enp0s31f6", sampleNow).empty());
}

}  // namespace
