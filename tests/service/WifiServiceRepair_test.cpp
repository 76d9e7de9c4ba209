// The wireless service's repair against the shipped Windows XP laptop, on a
// simulated clock so that the service's waits cost no time. No window.
#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "rtl/SysUtils.h"
#include "service/WifiServiceRepair.h"
#include "sim/SimServices.h"
#include "store/RegistryStore.h"
#include "testkit/SimMachineBuilder.h"
#include "winreg.h"
#include "winsvc.h"

namespace {

using plat::ServiceRunState;
using Edit = std::function<void(nlohmann::json&)>;
using Fault = std::function<void(plat::RegistryStore&)>;

const char InterfacesKey[] = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces";
const char InterfaceKey[] =
    "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";
// The scenario's value, without the flag.
constexpr int ShippedFlags = 0x4002;
const char AccessDenied[] = "System Error.  Code: 5.\r\nAccess is denied";

// What a step answered, or the message of what it raised.
struct Outcome {
  bool value = false;
  std::string error;
  bool operator==(const Outcome&) const = default;
};
void PrintTo(const Outcome& outcome, std::ostream* out) {
  *out << (outcome.error.empty() ? (outcome.value ? "true" : "false") : "raises \"" + outcome.error + "\"");
}
const Outcome True{true, ""};
const Outcome False{false, ""};
Outcome Raises(const std::string& message) { return {false, message}; }

Outcome outcomeOf(const std::function<bool()>& step) {
  try {
    return {step(), ""};
  } catch (const Exception& e) {
    return Raises(e.Message());
  }
}

void runningService(nlohmann::json& json) { json["services"][0]["state"] = "running"; }
void withoutInterfaceSubkey(nlohmann::json& json) {
  json["registry"].erase(InterfaceKey);
  json["registry"][InterfacesKey] = nlohmann::json::object();
}
void withoutFlagsValue(nlohmann::json& json) { json["registry"][InterfaceKey].erase("ControlFlags"); }
Edit both(Edit first, Edit second) {
  return [=](nlohmann::json& json) {
    first(json);
    second(json);
  };
}

class WifiServiceRepairTest : public testing::Test {
 protected:
  // Installs the shipped Windows XP laptop, changed by `edit` first, with
  // the registry's `fault`.
  void install(const Edit& edit = {}, const Fault& fault = {}) {
    nlohmann::json json = testkit::shippedScenario("xp-laptop");
    if (edit) edit(json);
    scope.reset();
    machine = testkit::SimMachineBuilder().scenario(json).simulatedClock().build();
    scope = std::make_unique<testkit::ScopedMachine>(machine);
    if (fault) fault(registry());
  }
  plat::sim::SimServices& services() { return machine->simServices(); }
  plat::RegistryStore& registry() { return machine->simRegistry(); }
  // The interface's "ControlFlags", -1 when it has no number there; asked
  // past the registry's faults.
  int controlFlags() {
    plat::RegistryValue value;
    if (!registry().queryValue(InterfaceKey, "ControlFlags", value).ok() || value.type != REG_DWORD) return -1;
    std::int32_t flags = 0;
    std::memcpy(&flags, value.data.data(), sizeof flags);
    return flags;
  }
  // The stop and start requests the service was sent, in their order.
  std::string requests() {
    std::string sent;
    for (const std::string& call : services().calls()) {
      const std::string verb = call.substr(0, call.find(' '));
      if (verb == "stop" || verb == "start") sent += (sent.empty() ? "" : " ") + verb;
    }
    return sent;
  }

  std::shared_ptr<plat::sim::SimMachine> machine;
  std::unique_ptr<testkit::ScopedMachine> scope;
};

TEST_F(WifiServiceRepairTest, NeedsServiceStartDecisions) {
  struct Case {
    const char* name;
    Edit edit;
    Fault fault;
    Outcome needed;
  };
  const Case cases[] = {
      {"service stopped, flag missing", {}, {}, True},
      {"service running, flag missing", runningService, {}, True},
      {"service running, flag set",
       [](nlohmann::json& json) {
         runningService(json);
         json["registry"][InterfaceKey]["ControlFlags"] = ShippedFlags | 0x8000;
       },
       {},
       False},
      // A value the registry could not read as a number proves that it is not read.
      {"service stopped: no registry read",
       [](nlohmann::json& json) { json["registry"][InterfaceKey]["ControlFlags"] = "not a number"; }, {}, True},
      {"service start pending", [](nlohmann::json& json) { json["services"][0]["state"] = "startPending"; }, {}, True},
      {"service running, no interface subkey: flag counts as present", both(runningService, withoutInterfaceSubkey),
       {}, False},
      {"service running, no interfaces key: flag counts as present",
       [](nlohmann::json& json) {
         runningService(json);
         json["registry"].erase(InterfaceKey);
       },
       {}, False},
      {"service running, interface key cannot be opened", runningService,
       [](plat::RegistryStore& registry) { registry.failKey(InterfaceKey, plat::RegistryStatus::AccessDenied); }, False},
      {"service running, flag value missing", both(runningService, withoutFlagsValue), {},
       Raises("Failed to get data for 'ControlFlags'")},
      {"service running, flag value text",
       [](nlohmann::json& json) {
         runningService(json);
         json["registry"][InterfaceKey]["ControlFlags"] = "49154";
       },
       {}, Raises("Invalid data type for 'ControlFlags'")},
      {"service cannot be queried", [](nlohmann::json& json) { json["services"][0]["deny"] = {"query"}; }, {},
       Raises(AccessDenied)},
      {"no such service", [](nlohmann::json& json) { json["services"] = nlohmann::json::array(); }, {},
       Raises("System Error.  Code: 1060.\r\nThe specified service does not exist as an installed service")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    install(c.edit, c.fault);
    TWifiServiceRepair repair;
    EXPECT_EQ(outcomeOf([&] { return repair.NeedsServiceStart(); }), c.needed);
  }
}

TEST_F(WifiServiceRepairTest, InterfaceFlagStepsAndTheirRegistryFailures) {
  struct Case {
    const char* name;
    Edit edit;
    Fault fault;
    Outcome missing;
    Outcome set;
    int flagsAfter;  // -1: no value
  };
  const Case cases[] = {
      {"flag missing", {}, {}, True, True, ShippedFlags | 0x8000},
      {"flag set already", [](nlohmann::json& json) { json["registry"][InterfaceKey]["ControlFlags"] = 0xFFFF; }, {},
       False, True, 0xFFFF},
      // Subkeys come in the registry's order; the other interface is left alone.
      {"another interface first",
       [](nlohmann::json& json) {
         json["registry"][std::string(InterfacesKey) + "\\{0000-FIRST}"]["ControlFlags"] = 0x7FFF;
       },
       {}, True, True, ShippedFlags},
      {"no interface subkey", withoutInterfaceSubkey, {}, False, False, -1},
      {"no interfaces key", [](nlohmann::json& json) { json["registry"].erase(InterfaceKey); }, {}, False, False, -1},
      // The first registry call of a step opens the interfaces key.
      {"interfaces key cannot be opened", {},
       [](plat::RegistryStore& registry) { registry.failNextCall(plat::RegistryStatus::AccessDenied); }, False, False, ShippedFlags},
      {"interface key cannot be opened", {},
       [](plat::RegistryStore& registry) { registry.failKey(InterfaceKey, plat::RegistryStatus::AccessDenied); }, False, False,
       ShippedFlags},
      {"flag value missing", withoutFlagsValue, {}, Raises("Failed to get data for 'ControlFlags'"),
       Raises("Failed to get data for 'ControlFlags'"), -1},
      {"flag value text", [](nlohmann::json& json) { json["registry"][InterfaceKey]["ControlFlags"] = "49154"; }, {},
       Raises("Invalid data type for 'ControlFlags'"), Raises("Invalid data type for 'ControlFlags'"), -1},
      {"flag value cannot be written", {},
       [](plat::RegistryStore& registry) { registry.failWrites(InterfaceKey, plat::RegistryStatus::AccessDenied); }, True,
       Raises("Failed to set data for 'ControlFlags'"), ShippedFlags},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    install(c.edit, c.fault);
    EXPECT_EQ(outcomeOf([] { return TWifiServiceRepair().InterfaceFlagMissing(); }), c.missing);
    // Each step on a machine of its own, with its own fault.
    install(c.edit, c.fault);
    TWifiServiceRepair repair;
    EXPECT_EQ(outcomeOf([&] { return repair.SetInterfaceFlag(); }), c.set);
    EXPECT_EQ(controlFlags(), c.flagsAfter);
    if (c.set == True) {
      EXPECT_EQ(outcomeOf([&] { return repair.InterfaceFlagMissing(); }), False);
    }
    EXPECT_EQ(services().statusQueries("wzcsvc"), 0) << "the service is not asked";
  }
}

TEST_F(WifiServiceRepairTest, RestartStopsSetsTheFlagAndStartsWhateverEachStepGave) {
  // Sets one field of the service's description.
  const auto service = [](const char* field, nlohmann::json value) {
    return [=](nlohmann::json& json) { json["services"][0][field] = value; };
  };
  const auto stop = [&](nlohmann::json phase) { return service("stop", std::move(phase)); };
  const auto start = [&](nlohmann::json phase) { return service("start", std::move(phase)); };
  const auto deny = [&](const char* right) { return service("deny", nlohmann::json::array({right})); };
  const Fault unwritable = [](plat::RegistryStore& registry) {
    registry.failWrites(InterfaceKey, plat::RegistryStatus::AccessDenied);
  };
  constexpr int Repaired = ShippedFlags | 0x8000;
  struct Case {
    const char* name;
    Edit edit;
    Fault fault;
    Outcome result;
    int flagsAfter;  // -1: no value
    ServiceRunState stateAfter;
    const char* requests;
    Outcome needsAfter;  // what the next start-up check finds
  };
  const Case cases[] = {
      {"service stopped", {}, {}, True, Repaired, ServiceRunState::Running, "stop start", False},
      {"service running", runningService, {}, True, Repaired, ServiceRunState::Running, "stop start", False},
      {"no interface subkey", withoutInterfaceSubkey, {}, False, -1, ServiceRunState::Running, "stop start", False},
      {"stop refused", both(runningService, stop({{"refuse", 1053}})), {}, True, Repaired, ServiceRunState::Running,
       "stop start", False},
      {"service never stops", both(runningService, stop({{"hang", true}, {"waitHint", 20000}})), {}, True, Repaired,
       ServiceRunState::StopPending, "stop start", True},
      {"stop denied: nothing changed", both(runningService, deny("control")), {}, Raises(AccessDenied), ShippedFlags,
       ServiceRunState::Running, "", True},
      // The result is the flag's: a service that does not start is not noticed.
      {"start refused", start({{"refuse", 1053}}), {}, True, Repaired, ServiceRunState::Stopped, "stop start", True},
      {"service never starts", start({{"hang", true}, {"waitHint", 20000}}), {}, True, Repaired,
       ServiceRunState::StartPending, "stop start", True},
      {"start denied: flag set", deny("start"), {}, Raises(AccessDenied), Repaired, ServiceRunState::Stopped, "stop",
       True},
      {"flag value missing: service started again", both(runningService, withoutFlagsValue), {},
       Raises("Failed to get data for 'ControlFlags'"), -1, ServiceRunState::Running, "stop start",
       Raises("Failed to get data for 'ControlFlags'")},
      {"flag value cannot be written: service started again", runningService, unwritable,
       Raises("Failed to set data for 'ControlFlags'"), ShippedFlags, ServiceRunState::Running, "stop start", True},
      {"both the flag and the start fail: the start's error", deny("start"), unwritable, Raises(AccessDenied),
       ShippedFlags, ServiceRunState::Stopped, "stop", True},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    install(c.edit, c.fault);
    TWifiServiceRepair repair;
    EXPECT_EQ(outcomeOf([&] { return repair.RestartService(); }), c.result);
    EXPECT_EQ(controlFlags(), c.flagsAfter);
    EXPECT_EQ(services().serviceState("wzcsvc"), c.stateAfter);
    EXPECT_EQ(requests(), c.requests);
    EXPECT_EQ(services().openHandles(), 0);
    EXPECT_EQ(outcomeOf([&] { return repair.NeedsServiceStart(); }), c.needsAfter);
  }
}

}  // namespace
