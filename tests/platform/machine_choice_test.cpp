// The one place that chooses the machine a process runs on, and what the
// program is told about that machine.
#include <optional>
#include <stdexcept>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "brisklane_machine.h"
#include "factory/MachineFactory.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TestEnvironment.h"

namespace {

using testing::HasSubstr;

TEST(MachineChoice, BrisklaneMachineNamesTheKindAndUnsetMeansAScenariosLaptopOrElseThisComputer) {
  struct Case {
    std::optional<std::string> machine;
    std::optional<std::string> scenario;
    std::string_view kind;
  };
  for (const Case& c : {Case{"sim", std::nullopt, "sim"}, Case{"linux", "laptop2", "linux"},
                        Case{std::nullopt, "laptop2", "sim"}, Case{"", "laptop2", "sim"},
                        Case{std::nullopt, std::nullopt, "linux"}, Case{std::nullopt, "", "linux"}}) {
    testkit::ScopedEnv machine("BRISKLANE_MACHINE", c.machine);
    testkit::ScopedEnv scenario("BRISKLANE_SCENARIO", c.scenario);
    EXPECT_EQ(plat::chosenMachineKind().name, c.kind)
        << c.machine.value_or("unset") << " / " << c.scenario.value_or("unset");
  }
}

TEST(MachineChoice, AnUnknownKindStopsWithTheKindsNamed) {
  testkit::ScopedMachine none(nullptr);
  testkit::ScopedEnv kind("BRISKLANE_MACHINE", "windows");
  try {
    BrisklaneDescribeMachine();
    FAIL() << "an unknown kind made a machine";
  } catch (const std::runtime_error& error) {
    EXPECT_THAT(error.what(), HasSubstr("BRISKLANE_MACHINE=windows"));
    for (const plat::MachineKind& known : plat::machineKinds()) {
      EXPECT_THAT(error.what(), HasSubstr(std::string(known.name)));
    }
  }
}

TEST(MachineChoice, TheMachineMadeFromTheEnvironmentSaysOnceWhichItIs) {
  testkit::ScopedMachine none(nullptr);
  testkit::ScopedEnv scenario("BRISKLANE_SCENARIO", BRISKLANE_SOURCE_DIR "/scenarios/laptop2.json");
  testing::internal::CaptureStderr();
  const BRISKLANE_MACHINE_DESCRIPTION description = BrisklaneDescribeMachine();
  BrisklaneDescribeMachine();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "brisklane: runs on the sim machine: Simulated laptop, scenario laptop2\n");
  EXPECT_EQ(description.Name, "Simulated laptop, scenario %1");
  EXPECT_EQ(description.Notice, "Simulated laptop: %1");
  EXPECT_EQ(description.Detail, "laptop2");
}

TEST(MachineChoice, TheLinuxMachineIsThisComputerAndShowsNoNotice) {
  testkit::ScopedMachine none(nullptr);
  testkit::ScopedEnv kind("BRISKLANE_MACHINE", "linux");
  testing::internal::CaptureStderr();
  const BRISKLANE_MACHINE_DESCRIPTION description = BrisklaneDescribeMachine();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "brisklane: runs on the linux machine: This computer, Linux with NetworkManager\n");
  EXPECT_EQ(description.Name, "This computer, Linux with NetworkManager");
  EXPECT_EQ(description.Notice, "");
}

}  // namespace
