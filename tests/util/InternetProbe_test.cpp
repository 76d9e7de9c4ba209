// The three reachability probes over the machine's WinInet.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/SimInternet.h"
#include "testkit/SimMachineBuilder.h"
#include "util/InternetProbe.h"

namespace {

struct Probes {
  bool online;
  bool reachable;
  bool connected;
  bool operator==(const Probes&) const = default;
};

Probes probe() { return {IsOnlineMode(), IsInternetReachable(), IsInternetConnected()}; }

std::shared_ptr<plat::sim::SimMachine> machine(bool internet, bool offline) {
  return testkit::SimMachineBuilder()
      .section("connections", {{{"guid", "{8A3C0F52-6D1E-4B7A-9C2E-1F5D3B7A9E01}"}, {"name", "LAN"}, {"status", 2}, {"internet", internet}}})
      .section("internet", {{"offline", offline}})
      .build();
}

TEST(InternetProbe, FollowsTheMachine) {
  struct Case {
    bool internet;
    bool offline;
    Probes expected;
  };
  for (const auto& c : {Case{true, false, {true, true, true}},
                        Case{false, false, {true, false, false}},
                        // Off line, all three are false even though the address answers.
                        Case{true, true, {false, false, false}},
                        Case{false, true, {false, false, false}}}) {
    testkit::ScopedMachine scope(machine(c.internet, c.offline));
    EXPECT_EQ(probe(), c.expected) << "internet " << c.internet << ", offline " << c.offline;
  }
}

TEST(InternetProbe, BothChecksTryTheOneProbeAddress) {
  auto online = machine(true, false);
  testkit::ScopedMachine scope(online);
  std::vector<std::string> urls;
  online->simInternet().setCheckObserver([&](const std::string& url) { urls.push_back(url); });
  IsInternetReachable();
  IsInternetConnected();
  EXPECT_EQ(urls, (std::vector<std::string>{InternetProbeUrl, InternetProbeUrl}));
  EXPECT_EQ(std::string(InternetProbeUrl), "http://www.example.com/");
}

}  // namespace
