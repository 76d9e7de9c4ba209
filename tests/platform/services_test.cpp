// Conformance of the Service Control Manager functions on every kind of
// machine, and the simulated services' own model.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

#include <gtest/gtest.h>

#include "sim/SimServices.h"
#include "testkit/ConformanceMachines.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "winsvc.h"

namespace {

using plat::ServiceRunState;

// The wireless service, stopped, whose start passes through two checkpoints,
// and a running service whose controls are denied.
testkit::SimMachineBuilder twoServices() {
  return testkit::SimMachineBuilder()
      .service({{"name", "wzcsvc"}, {"state", "stopped"}, {"sharedProcess", true},
                {"start", {{"checkpoints", 2}, {"waitHint", 3000}, {"interval", 1000}}}})
      .service({{"name", "Spooler"}, {"state", "running"}, {"deny", {"control"}}});
}

// The handles a test opened, closed when it ends.
class ServiceHandles {
 protected:
  ~ServiceHandles() { closeAll(); }

  SC_HANDLE manager() { return keep(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT)); }
  SC_HANDLE service(const char* name, DWORD access) { return keep(OpenServiceA(manager(), name, access)); }
  SC_HANDLE keep(SC_HANDLE handle) {
    if (handle) opened.push_back(handle);
    return handle;
  }
  void closeAll() {
    for (SC_HANDLE handle : opened) CloseServiceHandle(handle);
    opened.clear();
  }

  std::vector<SC_HANDLE> opened;
};

// How the Service Control Manager functions behave, on every kind of machine.
class ServicesTest : public testkit::ConformanceTest, protected ServiceHandles {};
INSTANTIATE_CONFORMANCE_SUITE(ServicesTest);

// The simulated services' own model: pending phases on the simulated clock,
// refusals and faults from the scenario, test hooks, persistence.
class SimServicesTest : public testing::Test, protected ServiceHandles {
 protected:
  void install(testkit::SimMachineBuilder builder) {
    scope.reset();
    machine = builder.simulatedClock().build();
    scope = std::make_unique<testkit::ScopedMachine>(machine);
  }
  void SetUp() override { install(twoServices()); }
  void TearDown() override {
    closeAll();
    EXPECT_EQ(machine->simServices().openHandles(), 0);
  }

  plat::sim::SimServices& services() { return machine->simServices(); }
  void advance(std::uint64_t milliseconds) { machine->simSystem().advanceClock(milliseconds); }

  std::shared_ptr<plat::sim::SimMachine> machine;
  std::unique_ptr<testkit::ScopedMachine> scope;
};

SERVICE_STATUS filledWith(DWORD byte) {
  SERVICE_STATUS status;
  std::memset(&status, static_cast<int>(byte), sizeof status);
  return status;
}

TEST_P(ServicesTest, ManagerServesOnlyThisComputerAndItsActiveDatabase) {
  ARRANGE_MACHINE(testkit::SimMachineBuilder().json());
  struct Case {
    const char* machineName;
    const char* database;
    DWORD error;
  };
  const Case cases[] = {
      {nullptr, nullptr, ERROR_SUCCESS},
      {"", SERVICES_ACTIVE_DATABASEA, ERROR_SUCCESS},
      {nullptr, "servicesactive", ERROR_SUCCESS},
      {"\\\\OTHER", nullptr, ERROR_NOT_SUPPORTED},
      {nullptr, "ServicesFailed", ERROR_DATABASE_DOES_NOT_EXIST},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    SC_HANDLE handle = keep(OpenSCManagerA(c.machineName, c.database, SC_MANAGER_ALL_ACCESS));
    EXPECT_EQ(handle != nullptr, c.error == ERROR_SUCCESS);
    if (!handle) {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
}

TEST_F(SimServicesTest, ManagerConnectionRefusedByTheMachine) {
  services().failConnect(ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_P(ServicesTest, OpenServiceChecksHandleNameAndRights) {
  ARRANGE_MACHINE(twoServices().json());
  SC_HANDLE scm = manager();
  SC_HANDLE wzc = keep(OpenServiceA(scm, "WZCSVC", SERVICE_ALL_ACCESS));
  EXPECT_NE(wzc, nullptr) << "names compare without case";
  struct Case {
    SC_HANDLE through;
    const char* name;
    DWORD access;
    DWORD error;
  };
  const Case cases[] = {
      {nullptr, "wzcsvc", SERVICE_QUERY_STATUS, ERROR_INVALID_HANDLE},
      {wzc, "wzcsvc", SERVICE_QUERY_STATUS, ERROR_INVALID_HANDLE},
      {scm, nullptr, SERVICE_QUERY_STATUS, ERROR_INVALID_NAME},
      {scm, "", SERVICE_QUERY_STATUS, ERROR_INVALID_NAME},
      {scm, "nosuchsvc", SERVICE_QUERY_STATUS, ERROR_SERVICE_DOES_NOT_EXIST},
      {scm, "Spooler", SERVICE_STOP, ERROR_ACCESS_DENIED},
      {scm, "Spooler", SERVICE_ALL_ACCESS, ERROR_ACCESS_DENIED},
      {scm, "Spooler", SERVICE_QUERY_STATUS | SERVICE_START, ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    SC_HANDLE handle = keep(OpenServiceA(c.through, c.name, c.access));
    EXPECT_EQ(handle != nullptr, c.error == ERROR_SUCCESS);
    if (!handle) {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
}

TEST_P(ServicesTest, EachCallNeedsItsRightOnTheHandle) {
  ARRANGE_MACHINE(twoServices().json());
  SC_HANDLE queryOnly = service("wzcsvc", SERVICE_QUERY_STATUS);
  SC_HANDLE startOnly = service("wzcsvc", SERVICE_START);
  SERVICE_STATUS status{};
  EXPECT_FALSE(QueryServiceStatus(startOnly, &status));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(StartServiceA(queryOnly, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  SERVICE_STATUS untouched = filledWith(0xAB);
  EXPECT_FALSE(ControlService(queryOnly, SERVICE_CONTROL_STOP, &untouched));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(untouched.dwCurrentState, 0xABABABABu);
  EXPECT_FALSE(ControlService(queryOnly, SERVICE_CONTROL_INTERROGATE, &untouched));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(QueryServiceStatus(queryOnly, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED) << "a refused start changed the service";
}

TEST_P(ServicesTest, BadHandlesAndRecords) {
  ARRANGE_MACHINE(twoServices().json());
  SC_HANDLE scm = manager();
  SERVICE_STATUS status{};
  EXPECT_FALSE(QueryServiceStatus(scm, &status));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(StartServiceA(nullptr, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  SC_HANDLE wzc = service("wzcsvc", SERVICE_ALL_ACCESS);
  EXPECT_FALSE(QueryServiceStatus(wzc, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(ControlService(wzc, SERVICE_CONTROL_STOP, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(StartServiceA(wzc, 2, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(SimServicesTest, CloseServiceHandleClosesOnceAndServiceHandlesOutliveTheirManager) {
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE wzc = OpenServiceA(scm, "wzcsvc", SERVICE_QUERY_STATUS);
  ASSERT_NE(wzc, nullptr);
  EXPECT_EQ(services().openHandles(), 2);
  EXPECT_TRUE(CloseServiceHandle(scm));
  SERVICE_STATUS status{};
  EXPECT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_TRUE(CloseServiceHandle(wzc));
  EXPECT_FALSE(CloseServiceHandle(wzc));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseServiceHandle(nullptr));
  EXPECT_EQ(services().calls(),
            (std::vector<std::string>{"connect", "open wzcsvc query", "disconnect", "query wzcsvc", "close wzcsvc"}));
}

TEST_P(ServicesTest, StatusRecordOfAStableService) {
  ARRANGE_MACHINE(twoServices().json());
  SERVICE_STATUS status = filledWith(0xCD);
  ASSERT_TRUE(QueryServiceStatus(service("Spooler", SERVICE_QUERY_STATUS), &status));
  EXPECT_EQ(status.dwServiceType, SERVICE_WIN32_OWN_PROCESS);
  EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
  EXPECT_EQ(status.dwControlsAccepted, SERVICE_ACCEPT_STOP);
  EXPECT_EQ(status.dwWin32ExitCode, 0u);
  EXPECT_EQ(status.dwServiceSpecificExitCode, 0u);
  EXPECT_EQ(status.dwCheckPoint, 0u);
  EXPECT_EQ(status.dwWaitHint, 0u);
}

TEST_F(SimServicesTest, StartPassesThroughStartPendingWithRisingCheckpoints) {
  SC_HANDLE wzc = service("wzcsvc", SERVICE_START | SERVICE_QUERY_STATUS);
  ASSERT_TRUE(StartServiceA(wzc, 0, nullptr));
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_EQ(status.dwServiceType, SERVICE_WIN32_SHARE_PROCESS);
  EXPECT_EQ(status.dwCurrentState, SERVICE_START_PENDING);
  EXPECT_EQ(status.dwControlsAccepted, 0u);
  EXPECT_EQ(status.dwCheckPoint, 1u);
  EXPECT_EQ(status.dwWaitHint, 3000u);
  advance(1000);
  ASSERT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_START_PENDING);
  EXPECT_EQ(status.dwCheckPoint, 2u);
  advance(1000);
  ASSERT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
  EXPECT_EQ(status.dwCheckPoint, 0u);
  EXPECT_EQ(status.dwWaitHint, 0u);
  EXPECT_FALSE(StartServiceA(wzc, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_ALREADY_RUNNING);
  EXPECT_EQ(services().startRequests("wzcsvc"), 2);
}

TEST_P(ServicesTest, StartWhilePendingIsAlreadyRunning) {
  ARRANGE_MACHINE(twoServices().json());
  SC_HANDLE wzc = service("wzcsvc", SERVICE_START);
  ASSERT_TRUE(StartServiceA(wzc, 0, nullptr));
  EXPECT_FALSE(StartServiceA(wzc, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_ALREADY_RUNNING);
}

TEST_F(SimServicesTest, ControlsAndTheStatusHandedBack) {
  struct Case {
    ServiceRunState state;
    DWORD control;
    DWORD error;
    DWORD stateAfter;  // 0xABABABAB: record untouched
  };
  const Case cases[] = {
      {ServiceRunState::Running, SERVICE_CONTROL_STOP, ERROR_SUCCESS, SERVICE_STOP_PENDING},
      {ServiceRunState::Paused, SERVICE_CONTROL_STOP, ERROR_SUCCESS, SERVICE_STOP_PENDING},
      {ServiceRunState::Stopped, SERVICE_CONTROL_STOP, ERROR_SERVICE_NOT_ACTIVE, SERVICE_STOPPED},
      {ServiceRunState::StartPending, SERVICE_CONTROL_STOP, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, SERVICE_START_PENDING},
      {ServiceRunState::StopPending, SERVICE_CONTROL_STOP, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, SERVICE_STOP_PENDING},
      {ServiceRunState::Running, SERVICE_CONTROL_INTERROGATE, ERROR_SUCCESS, SERVICE_RUNNING},
      {ServiceRunState::Stopped, SERVICE_CONTROL_INTERROGATE, ERROR_SERVICE_NOT_ACTIVE, SERVICE_STOPPED},
      {ServiceRunState::Running, SERVICE_CONTROL_PAUSE, ERROR_INVALID_SERVICE_CONTROL, SERVICE_RUNNING},
      {ServiceRunState::Paused, SERVICE_CONTROL_CONTINUE, ERROR_INVALID_SERVICE_CONTROL, SERVICE_PAUSED},
      {ServiceRunState::Running, 200, ERROR_INVALID_SERVICE_CONTROL, SERVICE_RUNNING},
  };
  SC_HANDLE wzc = service("wzcsvc", SERVICE_ALL_ACCESS);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(c.state) << " control " << c.control);
    services().setServiceState("wzcsvc", c.state);
    SERVICE_STATUS status = filledWith(0xAB);
    EXPECT_EQ(ControlService(wzc, c.control, &status) != FALSE, c.error == ERROR_SUCCESS);
    if (c.error != ERROR_SUCCESS) {
      EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(status.dwCurrentState, c.stateAfter);
  }
}

TEST_F(SimServicesTest, RefusalWithACodeOfItsOwnLeavesTheRecordUntouched) {
  install(testkit::SimMachineBuilder().service(
      {{"name", "wzcsvc"}, {"state", "running"}, {"stop", {{"refuse", ERROR_SERVICE_REQUEST_TIMEOUT}}}}));
  SERVICE_STATUS status = filledWith(0xAB);
  EXPECT_FALSE(ControlService(service("wzcsvc", SERVICE_STOP), SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_REQUEST_TIMEOUT);
  EXPECT_EQ(status.dwCurrentState, 0xABABABABu);
  EXPECT_EQ(services().serviceState("wzcsvc"), ServiceRunState::Running);
}

TEST_F(SimServicesTest, StartRefusedByTheScenarioStaysStopped) {
  install(testkit::SimMachineBuilder().service({{"name", "wzcsvc"}, {"start", {{"refuse", ERROR_SERVICE_DISABLED}}}}));
  EXPECT_FALSE(StartServiceA(service("wzcsvc", SERVICE_START), 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_SERVICE_DISABLED);
  EXPECT_EQ(services().serviceState("wzcsvc"), ServiceRunState::Stopped);
}

// What `reads` status reads see, with `between` run after each.
std::vector<DWORD> checkpoints(SC_HANDLE handle, int reads, const std::function<void()>& between) {
  std::vector<DWORD> seen;
  for (int i = 0; i < reads; ++i) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(handle, &status)) break;
    seen.push_back(status.dwCurrentState == SERVICE_START_PENDING ? status.dwCheckPoint : 100 + status.dwCurrentState);
    between();
  }
  return seen;
}

TEST_F(SimServicesTest, PendingPhasesFromTheScenario) {
  struct Case {
    const char* name;
    nlohmann::json start;
    std::vector<DWORD> seen;  // checkpoint while start-pending, 100 + state otherwise
  };
  const Case cases[] = {
      {"rises then runs", {{"checkpoints", 3}, {"interval", 1000}}, {1, 2, 3, 104, 104}},
      {"hangs", {{"checkpoints", 2}, {"interval", 1000}, {"hang", true}}, {1, 2, 3, 4, 5}},
      {"falls", {{"checkpoints", 9}, {"interval", 1000}, {"checkpointFallsAfter", 2}}, {1, 2, 1, 2, 1}},
      {"no time", {{"checkpoints", 3}, {"interval", 0}}, {104, 104, 104, 104, 104}},
      {"interval follows the hint", {{"checkpoints", 2}, {"waitHint", 2000}}, {1, 1, 2, 2, 104}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (SC_HANDLE handle : opened) CloseServiceHandle(handle);
    opened.clear();
    install(testkit::SimMachineBuilder().service({{"name", "svc"}, {"start", c.start}}));
    SC_HANDLE svc = service("svc", SERVICE_START | SERVICE_QUERY_STATUS);
    ASSERT_TRUE(StartServiceA(svc, 0, nullptr));
    // Each query costs a millisecond; make the step exactly one second.
    EXPECT_EQ(checkpoints(svc, 5, [this] { advance(999); }), c.seen);
  }
}

TEST_F(SimServicesTest, HeldPendingStateNeverEnds) {
  services().setServiceState("wzcsvc", ServiceRunState::StartPending);
  advance(3600 * 1000);
  EXPECT_EQ(services().serviceState("wzcsvc"), ServiceRunState::StartPending);
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(service("wzcsvc", SERVICE_QUERY_STATUS), &status));
  EXPECT_EQ(status.dwWaitHint, 3000u);
}

TEST_F(SimServicesTest, FailNextStatusQueryCountsSuccessfulQueriesFirst) {
  SC_HANDLE wzc = service("wzcsvc", SERVICE_QUERY_STATUS);
  services().failNextStatusQuery("wzcsvc", ERROR_INVALID_HANDLE, 2);
  SERVICE_STATUS status{};
  EXPECT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_FALSE(QueryServiceStatus(wzc, &status));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_EQ(services().statusQueries("wzcsvc"), 4);
}

TEST_F(SimServicesTest, AHandleKeepsTalkingToTheMachineThatOpenedIt) {
  SC_HANDLE wzc = OpenServiceA(manager(), "wzcsvc", SERVICE_QUERY_STATUS);
  auto first = machine;
  install(testkit::SimMachineBuilder().service({{"name", "wzcsvc"}, {"state", "running"}}));
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(wzc, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  EXPECT_TRUE(CloseServiceHandle(wzc));
  for (SC_HANDLE handle : opened) CloseServiceHandle(handle);
  opened.clear();
  EXPECT_EQ(first->simServices().openHandles(), 0);
}

TEST_F(SimServicesTest, SettledStatesOutliveTheRunInTheStateFolder) {
  testkit::TempDir state;
  auto withState = [&] {
    return testkit::SimMachineBuilder()
        .stateDir(state.path())
        .service({{"name", "wzcsvc"}, {"state", "stopped"}})
        .service({{"name", "hung"}, {"state", "running"}, {"stop", {{"hang", true}}}})
        .service({{"name", "other"}, {"state", "paused"}});
  };
  install(withState());
  ASSERT_TRUE(StartServiceA(service("wzcsvc", SERVICE_START), 0, nullptr));
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(service("hung", SERVICE_STOP), SERVICE_CONTROL_STOP, &status));
  for (SC_HANDLE handle : opened) CloseServiceHandle(handle);
  opened.clear();

  install(withState());
  EXPECT_EQ(services().serviceState("wzcsvc"), ServiceRunState::Running);
  EXPECT_EQ(services().serviceState("hung"), ServiceRunState::StopPending);
  EXPECT_EQ(services().serviceState("other"), ServiceRunState::Paused);
}

TEST_F(SimServicesTest, AStartOrStopThatCannotBeSavedFailsAndChangesNothing) {
  testkit::TempDir state;
  install(testkit::SimMachineBuilder()
              .stateDir(state.path())
              .service({{"name", "wzcsvc"}, {"state", "stopped"}})
              .service({{"name", "other"}, {"state", "running"}}));
  std::filesystem::create_directories(state / "services.json" / "in-the-way");

  testing::internal::CaptureStderr();
  EXPECT_FALSE(StartServiceA(service("wzcsvc", SERVICE_START), 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  SERVICE_STATUS status{};
  EXPECT_FALSE(ControlService(service("other", SERVICE_STOP), SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot save " + (state / "services.json").string()), std::string::npos) << said;
  EXPECT_EQ(services().serviceState("wzcsvc"), ServiceRunState::Stopped);
  EXPECT_EQ(services().serviceState("other"), ServiceRunState::Running);
}

TEST_F(SimServicesTest, ASavedStateThatCannotBeUsedIsReportedByNameAndCause) {
  testkit::TempDir state;
  std::ofstream(state / "services.json") << R"({"wzcsvc": 5})";
  const auto file = (state / "services.json").string();
  try {
    testkit::SimMachineBuilder().stateDir(state.path()).service({{"name", "wzcsvc"}}).build();
    ADD_FAILURE() << "accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "saved services " + file + ": the state of \"wzcsvc\" must be a text, not 5");
  }
}

TEST_F(SimServicesTest, InvalidScenariosNameTheirFault) {
  const std::pair<nlohmann::json, const char*> cases[] = {
      {{{"name", "a"}, {"state", "sleeping"}}, "unknown service state \"sleeping\""},
      {{{"name", "a"}, {"deny", {"everything"}}}, "unknown service right \"everything\""},
      {{{"name", "a"}, {"start", 5}}, "\"start\" must be an object"},
      {{{"name", ""}}, "a service needs a name"},
      {{{"name", 5}}, "a service's \"name\" must be a text, not 5"},
      {{{"name", "a"}, {"stop", {{"checkpoints", 1e300}}}}, "\"checkpoints\" must be an integer from 0 to 4294967295"},
      {{{"name", "a"}, {"start", {{"waitHint", -1}}}}, "\"waitHint\" must be an integer from 0 to 4294967295"},
  };
  for (const auto& [entry, fault] : cases) {
    try {
      testkit::SimMachineBuilder().service(entry).build();
      ADD_FAILURE() << "accepted " << entry.dump();
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(fault), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(testkit::SimMachineBuilder().service({{"name", "a"}}).service({{"name", "A"}}).build(),
               std::runtime_error);
  EXPECT_THROW(services().setServiceState("nosuchsvc", ServiceRunState::Running), std::out_of_range);
}

}  // namespace
