// TServiceControl against simulated services on a simulated clock: every
// query costs the machine one millisecond, every Sleep advances the clock.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rtl/SysUtils.h"
#include "service/ServiceControl.h"
#include "sim/SimServices.h"
#include "testkit/SimMachineBuilder.h"
#include "winsvc.h"

namespace {

using plat::ServiceRunState;
using Calls = std::vector<std::string>;

class ServiceControlTest : public testing::Test {
 protected:
  // Installs a machine whose one service "svc" is described by `service`
  // (its name is added).
  void install(nlohmann::json service) {
    service["name"] = "svc";
    scope.reset();
    machine = testkit::SimMachineBuilder().simulatedClock().service(std::move(service)).build();
    scope = std::make_unique<testkit::ScopedMachine>(machine);
  }
  plat::sim::SimServices& services() { return machine->simServices(); }
  std::uint64_t now() { return machine->simSystem().uptimeMilliseconds(); }

  std::shared_ptr<plat::sim::SimMachine> machine;
  std::unique_ptr<testkit::ScopedMachine> scope;
  TServiceControl control{"svc", ""};
};

TEST_F(ServiceControlTest, KeepsItsNames) {
  TServiceControl named("wzcsvc", "");
  EXPECT_EQ(named.ServiceName, "wzcsvc");
  EXPECT_EQ(named.MachineName, "");
}

TEST_F(ServiceControlTest, QueryStatusAndStateMapEveryPlatformState) {
  install({{"state", "stopped"}});
  const std::pair<ServiceRunState, ServiceState> table[] = {
      {ServiceRunState::Stopped, ServiceState::Stopped},
      {ServiceRunState::StartPending, ServiceState::StartPending},
      {ServiceRunState::StopPending, ServiceState::StopPending},
      {ServiceRunState::Running, ServiceState::Running},
      {ServiceRunState::ContinuePending, ServiceState::ContinuePending},
      {ServiceRunState::PausePending, ServiceState::PausePending},
      {ServiceRunState::Paused, ServiceState::Paused},
  };
  for (const auto& [platform, state] : table) {
    services().setServiceState("svc", platform);
    EXPECT_EQ(control.QueryStatus(), static_cast<DWORD>(platform));
    EXPECT_EQ(control.State(), state);
    EXPECT_EQ(static_cast<int>(state), static_cast<int>(platform) - 1);
  }
  EXPECT_EQ(services().openHandles(), 0);
}

TEST_F(ServiceControlTest, QueryOpensWithQueryRightAndClosesServiceHandleFirst) {
  install({{"state", "running"}});
  EXPECT_EQ(control.QueryStatus(), SERVICE_RUNNING);
  EXPECT_EQ(services().calls(), (Calls{"connect", "open svc query", "query svc", "close svc", "disconnect"}));
}

TEST_F(ServiceControlTest, StartingARunningServiceIsRefusedWithoutRaising) {
  install({{"state", "running"}});
  bool started = true;
  EXPECT_NO_THROW(started = control.Start());
  EXPECT_FALSE(started);
  EXPECT_EQ(services().calls(),
            (Calls{"connect", "open svc query+start", "start svc -> 1056", "close svc", "disconnect"}));
}

TEST_F(ServiceControlTest, StartWaitsThroughStartPendingSleepingTheWaitHint) {
  install({{"state", "stopped"}, {"start", {{"checkpoints", 3}, {"waitHint", 2000}}}});
  EXPECT_TRUE(control.Start());
  EXPECT_EQ(services().serviceState("svc"), ServiceRunState::Running);
  // Read at checkpoints 1, 2 and 3, then running: three sleeps of 2 s.
  EXPECT_EQ(services().statusQueries("svc"), 4);
  EXPECT_EQ(now(), 3 * 2000 + 4);
  EXPECT_EQ(services().calls().back(), "disconnect");
  EXPECT_EQ(services().openHandles(), 0);
}

TEST_F(ServiceControlTest, StopOfAStoppedServiceIsTrueFromTheStatusHandedBack) {
  install({{"state", "stopped"}});
  EXPECT_TRUE(control.Stop());
  EXPECT_EQ(services().calls(),
            (Calls{"connect", "open svc query+control", "stop svc -> 1062", "close svc", "disconnect"}));
}

TEST_F(ServiceControlTest, StopWaitsUntilStopped) {
  install({{"state", "running"}, {"stop", {{"checkpoints", 2}, {"waitHint", 500}}}});
  EXPECT_TRUE(control.Stop());
  EXPECT_EQ(services().serviceState("svc"), ServiceRunState::Stopped);
  EXPECT_EQ(now(), 2 * 500 + 3);
}

TEST_F(ServiceControlTest, StopRefusedWithoutAStatusIsFalse) {
  install({{"state", "running"}, {"stop", {{"refuse", ERROR_SERVICE_REQUEST_TIMEOUT}}}});
  EXPECT_FALSE(control.Stop());
  EXPECT_EQ(services().openHandles(), 0);
}

TEST_F(ServiceControlTest, StopOfAPendingServiceIsFalseFromTheStatusHandedBack) {
  install({{"state", "startPending"}});
  EXPECT_FALSE(control.Stop());
  EXPECT_EQ(services().calls()[2], "stop svc -> 1061");
}

TEST_F(ServiceControlTest, StartRefusedByTheServiceIsFalse) {
  install({{"state", "stopped"}, {"start", {{"refuse", ERROR_SERVICE_DISABLED}}}});
  EXPECT_FALSE(control.Start());
  EXPECT_EQ(services().serviceState("svc"), ServiceRunState::Stopped);
}

TEST_F(ServiceControlTest, FallingCheckpointEndsTheWaitAtOnce) {
  install({{"state", "stopped"},
           {"start", {{"checkpoints", 6}, {"waitHint", 1000}, {"checkpointFallsAfter", 2}}}});
  EXPECT_FALSE(control.Start());
  // Checkpoints 1, 2, then 1 again: the third read ends the wait.
  EXPECT_EQ(services().statusQueries("svc"), 3);
  EXPECT_EQ(now(), 2 * 1000 + 3);
  EXPECT_EQ(services().openHandles(), 0);
  // The service itself goes on and runs later.
  machine->simSystem().advanceClock(10000);
  EXPECT_EQ(services().serviceState("svc"), ServiceRunState::Running);
}

TEST_F(ServiceControlTest, ReachingTheTargetCountsAlthoughTheCheckpointDropsToZero) {
  install({{"state", "running"}, {"stop", {{"checkpoints", 1}, {"waitHint", 700}}}});
  EXPECT_TRUE(control.Stop());
}

TEST_F(ServiceControlTest, WaitHintZeroQueriesAgainWithoutPausing) {
  install({{"state", "stopped"}, {"start", {{"checkpoints", 4}, {"waitHint", 0}, {"interval", 5}}}});
  EXPECT_TRUE(control.Start());
  // No Sleep moved the clock: only the queries did, one millisecond each.
  EXPECT_GE(services().statusQueries("svc"), 20);
  EXPECT_EQ(now(), static_cast<std::uint64_t>(services().statusQueries("svc")));
}

TEST_F(ServiceControlTest, WaitGivesUpAfterSixtySecondsUsingTheFullHintEachTime) {
  struct Case {
    std::uint32_t waitHint;
    int queries;
    std::uint64_t clock;
  };
  // Queries cost a millisecond each; the bound is checked after each read.
  const Case cases[] = {
      {30000, 3, 2 * 30000 + 3},
      {45000, 3, 2 * 45000 + 3},
      {70000, 2, 70000 + 2},
      {25000, 4, 3 * 25000 + 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.waitHint);
    install({{"state", "stopped"}, {"start", {{"waitHint", c.waitHint}, {"hang", true}}}});
    EXPECT_FALSE(control.Start());
    EXPECT_EQ(services().statusQueries("svc"), c.queries);
    EXPECT_EQ(now(), c.clock);
    EXPECT_EQ(services().serviceState("svc"), ServiceRunState::StartPending);
  }
}

TEST_F(ServiceControlTest, WaitWithHintZeroIsBoundedToo) {
  install({{"state", "running"}, {"stop", {{"waitHint", 0}, {"interval", 1}, {"hang", true}}}});
  EXPECT_FALSE(control.Stop());
  EXPECT_GE(now(), TServiceControl::MaxWaitMilliseconds);
  EXPECT_LT(now(), TServiceControl::MaxWaitMilliseconds + 5);
}

TEST_F(ServiceControlTest, FirstQueryAfterAnAcceptedRequestRaisesWhenItFails) {
  const std::vector<std::pair<const char*, std::function<bool(TServiceControl&)>>> operations = {
      {"stopped", [](TServiceControl& c) { return c.Start(); }},
      {"running", [](TServiceControl& c) { return c.Stop(); }},
  };
  for (const auto& [state, operation] : operations) {
    SCOPED_TRACE(state);
    install({{"state", state}});
    services().failNextStatusQuery("svc", ERROR_ACCESS_DENIED);
    try {
      operation(control);
      ADD_FAILURE() << "no error raised";
    } catch (const EOSError& e) {
      EXPECT_EQ(e.ErrorCode, ERROR_ACCESS_DENIED);
      EXPECT_EQ(e.Message(), "System Error.  Code: 5.\r\nAccess is denied");
    }
    const Calls calls = services().calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "close svc");
    EXPECT_EQ(calls.back(), "disconnect");
  }
}

TEST_F(ServiceControlTest, FailedQueryDuringTheWaitEndsItWithThePreviousStatus) {
  install({{"state", "stopped"}, {"start", {{"checkpoints", 3}, {"waitHint", 100}}}});
  services().failNextStatusQuery("svc", ERROR_INVALID_HANDLE, 1);
  bool started = true;
  EXPECT_NO_THROW(started = control.Start());
  EXPECT_FALSE(started);
  EXPECT_EQ(services().statusQueries("svc"), 2);
  EXPECT_EQ(services().openHandles(), 0);
}

struct Operation {
  const char* name;
  std::function<void(TServiceControl&)> run;
};

const Operation everyOperation[] = {
    {"QueryStatus", [](TServiceControl& c) { c.QueryStatus(); }},
    {"State", [](TServiceControl& c) { c.State(); }},
    {"Start", [](TServiceControl& c) { c.Start(); }},
    {"Stop", [](TServiceControl& c) { c.Stop(); }},
};

DWORD raisedCode(const Operation& operation, TServiceControl& control, std::string* message = nullptr) {
  try {
    operation.run(control);
  } catch (const EOSError& e) {
    if (message) *message = e.Message();
    return e.ErrorCode;
  }
  return ERROR_SUCCESS;
}

TEST_F(ServiceControlTest, MissingServiceRaisesFromEveryOperation) {
  install({{"state", "running"}});
  TServiceControl missing("nosuchsvc", "");
  for (const auto& operation : everyOperation) {
    SCOPED_TRACE(operation.name);
    services().clearCalls();
    std::string message;
    EXPECT_EQ(raisedCode(operation, missing, &message), ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_EQ(message, "System Error.  Code: 1060.\r\nThe specified service does not exist as an installed service");
    EXPECT_EQ(services().calls().back(), "disconnect");
    EXPECT_EQ(services().openHandles(), 0);
  }
}

TEST_F(ServiceControlTest, DeniedRightRaisesAccessDeniedAndClosesTheManager) {
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {"query", {"QueryStatus", "State", "Start", "Stop"}},
      {"start", {"Start"}},
      {"control", {"Stop"}},
  };
  for (const auto& [right, denied] : cases) {
    install({{"state", "running"}, {"deny", {right}}});
    for (const auto& operation : everyOperation) {
      SCOPED_TRACE(std::string(right) + " " + operation.name);
      const bool expectDenied = std::find_if(denied.begin(), denied.end(), [&](const char* name) {
                                  return std::string(name) == operation.name;
                                }) != denied.end();
      EXPECT_EQ(raisedCode(operation, control), expectDenied ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
      EXPECT_EQ(services().openHandles(), 0);
    }
  }
}

TEST_F(ServiceControlTest, ManagerThatCannotBeOpenedRaisesFromEveryOperation) {
  install({{"state", "running"}});
  services().failConnect(ERROR_ACCESS_DENIED);
  for (const auto& operation : everyOperation) {
    SCOPED_TRACE(operation.name);
    EXPECT_EQ(raisedCode(operation, control), ERROR_ACCESS_DENIED);
  }
  TServiceControl remote("svc", "\\\\OTHER");
  services().failConnect(ERROR_SUCCESS);
  for (const auto& operation : everyOperation) {
    SCOPED_TRACE(operation.name);
    EXPECT_EQ(raisedCode(operation, remote), ERROR_NOT_SUPPORTED);
  }
  EXPECT_EQ(services().openHandles(), 0);
}

TEST_F(ServiceControlTest, RestartLeavesTheServiceRunningAndEveryHandleClosed) {
  install({{"state", "running"}, {"sharedProcess", true}});
  EXPECT_TRUE(control.Stop());
  EXPECT_EQ(control.State(), ServiceState::Stopped);
  EXPECT_TRUE(control.Start());
  EXPECT_EQ(control.State(), ServiceState::Running);
  EXPECT_EQ(services().stopRequests("svc"), 1);
  EXPECT_EQ(services().startRequests("svc"), 1);
  EXPECT_EQ(services().openHandles(), 0);
}

}  // namespace
