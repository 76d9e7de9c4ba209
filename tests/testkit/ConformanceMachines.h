// The kinds of machine that the platform's conformance tests run on: the
// tests that describe how the Windows-shaped front behaves (registry,
// services, IP Helper, the wireless library) hold for every kind of machine
// behind it. A test describes the machine it needs as a scenario
// (docs/scenarios.md); each kind makes a machine of its own that holds what
// the scenario describes. Tests of one machine's own model (its scenario
// checks, its test hooks, its persistence) stay with that machine.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "machine/Machine.h"
#include "testkit/SimMachineBuilder.h"

namespace testkit {

struct ConformanceKind {
  std::string name;  // part of each test's name
  // Makes a machine that holds what `scenario` describes; null when this
  // kind cannot hold some part of it (services on a machine that has none).
  std::function<std::shared_ptr<plat::Machine>(const nlohmann::json& scenario)> make;
};

const std::vector<ConformanceKind>& conformanceKinds();

// Test output shows a kind by its name.
inline void PrintTo(const ConformanceKind& kind, std::ostream* out) { *out << kind.name; }

// A test run once on every kind (INSTANTIATE_CONFORMANCE_SUITE).
class ConformanceTest : public testing::TestWithParam<ConformanceKind> {
 protected:
  // Makes this kind's machine for `scenario` and installs it for the rest of
  // the test, in place of one arranged before. False when the kind cannot
  // hold it: the test is then skipped (ARRANGE_MACHINE).
  bool arrange(const nlohmann::json& scenario);

  std::shared_ptr<plat::Machine> machine_;

 private:
  std::unique_ptr<ScopedMachine> scope_;
};

}  // namespace testkit

// Arranges the test's machine, or skips the test on a kind that cannot hold it.
#define ARRANGE_MACHINE(scenario)                                                                   \
  do {                                                                                               \
    if (!arrange(scenario)) GTEST_SKIP() << GetParam().name << " cannot hold this test's machine"; \
  } while (false)

// Runs every TEST_P of `suite` on every kind of machine.
#define INSTANTIATE_CONFORMANCE_SUITE(suite)                                          \
  INSTANTIATE_TEST_SUITE_P(Machines, suite, testing::ValuesIn(testkit::conformanceKinds()), \
                           [](const testing::TestParamInfo<testkit::ConformanceKind>& info) { return info.param.name; })
