// One TWifiConnection::Refresh on a machine with four wireless interfaces that
// each hear 21 networks: the library's interface and network lists through
// the simulated radio, then 84 TWLanNetwork objects with their events.
// Measured with an empty shared air folder (every scan looks into it, as the
// program does) and without one.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "sim/SimMachine.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "wifi/WifiNetwork.h"

namespace {

std::shared_ptr<plat::sim::SimMachine> FullRadio(const std::filesystem::path* air) {
  auto interfaces = nlohmann::json::array();
  for (int i = 0; i < 4; ++i) interfaces.push_back({{"id", "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B0" + std::to_string(i) + "}"}});
  auto networks = nlohmann::json::array();
  for (int j = 0; j < 21; ++j) {
    nlohmann::json network = {{"name", "Network number " + std::to_string(j)}, {"kind", 1 + j % 3}};
    if (j % 3 == 1) network["key"] = "secret key";
    networks.push_back(network);
  }
  testkit::SimMachineBuilder builder;
  builder.section("wireless", {{"interfaces", interfaces}, {"networks", networks}});
  if (air) builder.airDir(*air);
  return builder.build();
}

void BM_Refresh(benchmark::State& state) {
  testkit::TempDir air;
  testkit::ScopedMachine scope(FullRadio(state.range(0) ? &air.path() : nullptr));
  TWifiConnection wifi(std::chrono::hours(1));
  int found = 0;
  wifi.OnNetworkFound = [&](const std::u16string&, std::uint8_t, std::uint8_t) { ++found; };
  for (auto _ : state) {
    wifi.Refresh();
    benchmark::DoNotOptimize(wifi.NetworkCount());
  }
  if (wifi.NetworkCount() != 84) state.SkipWithError("expected 84 networks");
  state.counters["networks"] = wifi.NetworkCount();
}
BENCHMARK(BM_Refresh)->ArgName("air")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
