// How often the idle Internet check thread wakes up: a component with the
// product's five-second interval sits for 20 seconds while the kernel counts
// the voluntary context switches of every thread but the main one (the check
// thread, the wireless library's thread and the radio's air keeper, both of
// which stay asleep here). Reported per second, with the probes made in that
// time; a probe costs one or two switches of its own.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "sim/SimInternet.h"
#include "sim/SimMachine.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "wifi/WifiNetwork.h"

namespace {

constexpr auto Span = std::chrono::seconds(20);

// Voluntary context switches of every thread of this process but the main one.
long long WorkerSwitches() {
  long long total = 0;
  const auto self = std::to_string(getpid());
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    if (task.path().filename() == self) continue;
    std::ifstream status(task.path() / "status");
    std::string key;
    while (status >> key) {
      if (key == "voluntary_ctxt_switches:") {
        long long count = 0;
        status >> count;
        total += count;
      }
    }
  }
  return total;
}

void BM_IdleCheckThreadWakeups(benchmark::State& state) {
  testkit::TempDir air;
  auto machine = testkit::SimMachineBuilder()
                     .section("wireless", {{"interfaces", {{{"id", "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}"}}}}})
                     .airDir(air.path())
                     .build();
  testkit::ScopedMachine scope(machine);
  std::atomic<int> probes{0};
  machine->simInternet().setCheckObserver([&](const std::string&) { ++probes; });
  for (auto _ : state) {
    TWifiConnection wifi;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the first probe settles
    const long long before = WorkerSwitches();
    const int probesBefore = probes;
    std::this_thread::sleep_for(Span);
    const double seconds = std::chrono::duration<double>(Span).count();
    state.counters["wakeups_per_s"] = static_cast<double>(WorkerSwitches() - before) / seconds;
    state.counters["probes_per_s"] = (probes - probesBefore) / seconds;
  }
}
BENCHMARK(BM_IdleCheckThreadWakeups)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
