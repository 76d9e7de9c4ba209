// One TConnectionManager::Refresh on a machine with many connections: the
// adapter inventory (GetAdaptersInfo, registry facts, interface table), the
// sharing service's walk over 32 connections with their properties and
// registry facts, and the adapter match of each connection.
//
// 704-byte adapter records on this 64-bit build: at most seven adapters fit
// the inventory's 5120-byte buffer. With an eighth the inventory overflows
// and Refresh ends with an empty list; that path is measured separately.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "net/AdapterUnit.h"
#include "net/ConnectionUnit.h"
#include "sim/SimMachine.h"
#include "sim/SimNetwork.h"
#include "testkit/SimMachineBuilder.h"

namespace {

constexpr int ConnectionCount = 32;
constexpr int AdaptersThatFit = 7;

std::string Guid(int number) {
  char text[40];
  std::snprintf(text, sizeof text, "{5E2B7C19-0A4D-4F63-8B1E-%012X}", number);
  return text;
}

nlohmann::json AdapterEntry(int i) {
  char mac[24];
  std::snprintf(mac, sizeof mac, "00-27-10-8B-4E-%02X", i);
  return {{"guid", Guid(i)},
          {"description", "Network adapter " + std::to_string(i)},
          {"index", 10 + i},
          {"type", i == 1 ? 71 : 6},
          {"mac", mac},
          {"dhcp", true},
          {"addresses", {{{"ip", "192.168." + std::to_string(i) + ".2"}, {"mask", "255.255.255.0"}}}},
          {"gateways", {"192.168." + std::to_string(i) + ".1"}},
          {"operStatus", 5},
          {"pnpInstanceId", "PCI\\VEN_8086&DEV_10EA\\" + std::to_string(i)},
          {"mediaSubType", i == 1 ? 2 : 1}};
}

// `adapters` adapters; the first connections belong to them, the rest are
// connections without an adapter of the inventory.
std::shared_ptr<plat::sim::SimMachine> Machine(int adapters) {
  nlohmann::json adapterList = nlohmann::json::array();
  for (int i = 0; i < adapters; ++i) adapterList.push_back(AdapterEntry(i));
  nlohmann::json connections = nlohmann::json::array();
  for (int i = 0; i < ConnectionCount; ++i) {
    connections.push_back({{"guid", Guid(i)},
                           {"name", "Local Area Connection " + std::to_string(i + 1)},
                           {"device", "Network adapter " + std::to_string(i)},
                           {"mediaType", 3},
                           {"status", 2},
                           {"pnpInstanceId", "ROOT\\NET\\" + std::to_string(i)}});
  }
  return testkit::SimMachineBuilder().section("adapters", adapterList).section("connections", connections).build();
}

void ConnectionRefresh(benchmark::State& state) {
  auto machine = Machine(AdaptersThatFit);
  testkit::ScopedMachine scope(machine);
  FinalizeAdapterUnit();
  TConnectionManager manager;
  for (auto _ : state) {
    manager.Refresh();
    benchmark::DoNotOptimize(manager.Connections.Count());
  }
  if (manager.Connections.Count() != ConnectionCount) state.SkipWithError("not every connection was listed");
  state.counters["adapters"] = AdaptersThatFit;
  state.counters["connections"] = manager.Connections.Count();
}
BENCHMARK(ConnectionRefresh)->Unit(benchmark::kMicrosecond);

// Eight adapters: the inventory fails and the walk ends before the sharing
// service is asked.
void ConnectionRefreshInventoryOverflow(benchmark::State& state) {
  auto machine = Machine(AdaptersThatFit);
  testkit::ScopedMachine scope(machine);
  FinalizeAdapterUnit();
  TConnectionManager manager;
  machine->simNetwork().addAdapter(AdapterEntry(AdaptersThatFit));
  for (auto _ : state) {
    manager.Refresh();
    benchmark::DoNotOptimize(manager.Connections.Count());
  }
  if (manager.Connections.Count() != 0) state.SkipWithError("the inventory did not overflow");
  state.counters["adapters"] = AdaptersThatFit + 1;
}
BENCHMARK(ConnectionRefreshInventoryOverflow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
