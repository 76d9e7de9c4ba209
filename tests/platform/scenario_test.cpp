// Scenarios that cannot describe a machine: the fault names the scenario (its
// file, when it came from one), the field and what the field must be, and no
// number is taken unless it is an integer in the field's range.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/SimMachine.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

using testing::HasSubstr;

const std::string guid = "{4A1F2E3D-5B6C-4D7E-8F90-A1B2C3D4E5F6}";

template <class Build>
std::string refusal(Build build) {
  try {
    build();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "accepted";
}

std::string refusalOf(const nlohmann::json& changes) {
  testkit::SimMachineBuilder builder;
  builder.json().update(changes);
  return refusal([&] { builder.build(); });
}

TEST(Scenario, AFaultNamesTheFieldAndWhatItMustBe) {
  const std::pair<nlohmann::json, std::string> cases[] = {
      {{{"name", 5}}, "scenario: \"name\" must be a text, not 5"},
      {{{"os", 5}}, "scenario \"test\": \"os\" must be an object, not 5"},
      {{{"os", {{"major", 1e300}}}}, "\"major\" must be an integer from 0 to 4294967295, not 1e+300"},
      {{{"os", {{"build", -1}}}}, "\"build\" must be an integer from 0 to 4294967295, not -1"},
      {{{"os", {{"wow64", "yes"}}}}, "\"wow64\" must be true or false, not \"yes\""},
      {{{"adapters", {{{"guid", guid}, {"index", 4.5}}}}}, "adapter 1: \"index\" must be an integer"},
      {{{"adapters", {{{"guid", guid}}}}}, "adapter 1: \"index\" is missing"},
      {{{"adapters", {{{"guid", guid}, {"index", 2}, {"gateways", {7}}}}}}, "gateway 1: a gateway must be a text"},
      {{{"connections", {{{"guid", guid}, {"status", 2147483648}}}}},
       "connection 1: \"status\" must be an integer from -2147483648 to 2147483647"},
      {{{"interfaceRows", {{{"index", 3}, {"mtu", 1e300}}}}}, "interface row 1: \"mtu\" must be an integer"},
      {{{"internet", {{"offline", 1}}}}, "\"offline\" must be true or false"},
  };
  for (const auto& [changes, fault] : cases) EXPECT_THAT(refusalOf(changes), HasSubstr(fault)) << changes.dump();
}

TEST(Scenario, AFaultOfAScenarioFileNamesTheFile) {
  testkit::TempDir dir;
  const auto file = dir / "machine.json";
  const auto named = "scenario file " + file.string();

  EXPECT_EQ(refusal([&] { plat::sim::loadScenarioFile(file); }), named + " cannot be read: No such file or directory");
  std::filesystem::create_directory(file);
  EXPECT_EQ(refusal([&] { plat::sim::loadScenarioFile(file); }), named + " cannot be read: Is a directory");
  std::filesystem::remove(file);
  std::ofstream(file) << R"({"name": 5})";
  EXPECT_EQ(refusal([&] { plat::sim::loadScenarioFile(file); }), named + ": \"name\" must be a text, not 5");

  std::ofstream(file) << R"(// a machine
    {"name": "x", "adapters": [{"guid": "{A}", "index": 1e300}]})";
  const auto scenario = plat::sim::loadScenarioFile(file);
  plat::sim::SimOptions options;
  options.scenarioFile = file;
  EXPECT_THAT(refusal([&] { plat::sim::SimMachine machine(scenario, options); }),
              testing::StartsWith(named + ": adapter 1: \"index\" must be an integer"));
}

}  // namespace
