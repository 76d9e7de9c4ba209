// What a laptop that broadcasts pays for knowing who is on its network: one
// round of the air keeper, which runs four times a second while it
// broadcasts (with 0, 8 and 32 guests in the air), and one list of the
// guests as the program asks for it. On the Linux machine, one reading of a
// hotspot with many devices (leases joined with the neighbour table, then
// the roster's update), as 250 spoofed neighbours would make it. Also the
// QR code of the How To Connect page.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/JoinCode.h"
#include "linux/hotspot/HotspotGuests.h"
#include "machine/GuestRoster.h"
#include "sim/Air.h"
#include "sim/SimMachine.h"
#include "sim/SimRadio.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

const std::string wlan = "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";

// A host broadcasting "Brisklane", and `count` guest stations that joined it.
struct Hotspot {
  explicit Hotspot(int count) {
    machine = testkit::SimMachineBuilder()
                  .section("wireless", {{"interfaces", {{{"id", wlan}}}}})
                  .airDir(air.path())
                  .build();
    machine->simRadio().addOwnNetwork(wlan, "Brisklane", "60917");
    plat::sim::AirStation listener(air.path());
    const auto stations = plat::sim::listenToAir(air.path(), listener.id());
    for (int i = 0; i < count; ++i) {
      guests.push_back(std::make_unique<plat::sim::AirStation>(air.path()));
      const std::uint8_t last = static_cast<std::uint8_t>(i);
      guests.back()->publish({}, {{stations.at(0).id, stations.at(0).networks.at(0).id, "GUEST" + std::to_string(i),
                                   {0x02, 0, 0, 0, 0, last}}});
    }
  }
  testkit::TempDir air;
  std::shared_ptr<plat::sim::SimMachine> machine;
  std::vector<std::unique_ptr<plat::sim::AirStation>> guests;
};

void BM_KeeperRound(benchmark::State& state) {
  Hotspot hotspot(static_cast<int>(state.range(0)));
  for (auto _ : state) hotspot.machine->simRadio().tendAir();
  std::vector<plat::NetworkGuest> listed;
  hotspot.machine->simRadio().guests(wlan, listed);
  if (listed.size() != static_cast<std::size_t>(state.range(0))) state.SkipWithError("guests not listed");
}
BENCHMARK(BM_KeeperRound)->ArgName("guests")->Arg(0)->Arg(8)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_GuestList(benchmark::State& state) {
  Hotspot hotspot(8);
  for (auto _ : state) {
    std::vector<plat::NetworkGuest> listed;
    hotspot.machine->simRadio().guests(wlan, listed);
    benchmark::DoNotOptimize(listed.data());
  }
}
BENCHMARK(BM_GuestList)->Unit(benchmark::kMicrosecond);

// `count` devices with a lease each, all resolved on the hotspot's link,
// and as many again that set an address of their own.
struct CrowdedHotspot {
  explicit CrowdedHotspot(int count) {
    for (int i = 0; i < count; ++i) {
      const std::vector<std::uint8_t> leased{0x02, 0, 0, 0, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
      const std::vector<std::uint8_t> own{0x06, 0, 0, 0, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
      const std::string ip = "10.42." + std::to_string(i / 250) + "." + std::to_string(2 + i % 250);
      leases.push_back({{}, leased, ip, "guest-" + std::to_string(i), {}});
      neighbours.push_back({ip, leased, "wlp2s0", true});
      neighbours.push_back({ip, own, "wlp2s0", true});
    }
  }
  std::vector<plat::lnx::DhcpLease> leases;
  std::vector<plat::lnx::Neighbour> neighbours;
};

void BM_LinuxGuestReading(benchmark::State& state) {
  const CrowdedHotspot hotspot(static_cast<int>(state.range(0)));
  plat::GuestRoster roster;
  std::uint64_t now = 0;
  for (auto _ : state) {
    const auto present = plat::lnx::joinGuests(hotspot.leases, hotspot.neighbours, "wlp2s0", {});
    benchmark::DoNotOptimize(roster.update(present, ++now));
  }
  if (roster.guests(now).size() != 2 * static_cast<std::size_t>(state.range(0))) state.SkipWithError("guests not listed");
}
BENCHMARK(BM_LinuxGuestReading)->ArgName("devices")->Arg(10)->Arg(250)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_JoinCode(benchmark::State& state) {
  const QString text = WifiJoinText(THostedSecurity::Wep, QStringLiteral("Brisklane"), QStringLiteral("60917"));
  for (auto _ : state) benchmark::DoNotOptimize(QrCodeImage(text, 4));
}
BENCHMARK(BM_JoinCode)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
