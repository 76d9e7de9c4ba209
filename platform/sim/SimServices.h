// The simulated machine's services: each one a small state machine on the
// machine's clock. A start or stop passes through its pending state, with a
// checkpoint that rises at a steady pace and a wait hint, before it reaches
// its target; the scenario (docs/scenarios.md, "services") can make a request
// be refused, a right be denied, a pending state last for ever or the
// checkpoint fall. Settled states are kept in the machine's state folder.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "machine/ServiceBackend.h"

namespace plat::sim {

class SimMachine;

class SimServices : public ServiceBackend {
 public:
  // How a start or a stop proceeds once accepted.
  struct Phase {
    std::uint32_t checkpoints = 2;   // checkpoints passed before the target
    std::uint32_t waitHint = 1000;   // reported while pending
    std::uint32_t interval = 1000;   // machine milliseconds per checkpoint
    std::uint32_t refuse = 0;        // the code that refuses the request (ServiceCode)
    bool hang = false;               // never reaches the target
    std::uint32_t checkpointFallsAfter = 0;  // counts 1..n, then from 1 again
  };

  // `scenario` is the whole scenario; its "services" array lists the
  // services. Throws std::runtime_error naming a fault in it.
  SimServices(SimMachine& machine, const nlohmann::json& scenario);

  ServiceResult connect() override;
  void disconnect() override;
  ServiceResult openService(const std::string& name, std::uint32_t rights) override;
  void closeService(const std::string& name) override;
  ServiceResult queryStatus(const std::string& name, ServiceStatus& status) override;
  ServiceResult start(const std::string& name) override;
  ServiceResult stop(const std::string& name, ServiceStatus& status) override;

  // Test hooks. Names of unknown services throw std::out_of_range; codes are
  // numbered as scenarios number them (ServiceCode).

  // Puts the service in `state` at once and holds it there (a pending state
  // set this way never ends by itself). Throws std::runtime_error when that
  // cannot be saved.
  void setServiceState(const std::string& name, ServiceRunState state);
  // The service's state now, without counting as a query.
  ServiceRunState serviceState(const std::string& name);
  void setStartPhase(const std::string& name, const Phase& phase);
  void setStopPhase(const std::string& name, const Phase& phase);
  // The status query after the next `after` successful ones fails once.
  void failNextStatusQuery(const std::string& name, std::uint32_t error, std::uint32_t after = 0);
  // Connections to the service manager fail with `error` (0: succeed again).
  void failConnect(std::uint32_t error);

  int startRequests(const std::string& name) const;
  int stopRequests(const std::string& name) const;
  int statusQueries(const std::string& name) const;
  // Manager connections and service handles open now.
  int openHandles() const;
  // Every call in order: "connect", "open <name> <rights>" (rights as
  // "query+start"), "query <name>", "start <name>", "stop <name>",
  // "close <name>", "disconnect"; a refused or failed call ends in " -> <code>"
  // (" -> not saved" when its change could not be kept).
  std::vector<std::string> calls() const;
  void clearCalls();

 private:
  struct Transition {
    Phase phase;
    ServiceRunState pending;
    ServiceRunState target;
    std::uint64_t begun;
  };
  struct Service {
    std::string name;
    bool sharedProcess = false;
    std::uint32_t deniedRights = 0;
    Phase start;
    Phase stop;
    ServiceRunState state = ServiceRunState::Stopped;
    std::optional<Transition> transition;
    std::uint32_t queriesBeforeFault = 0;
    std::uint32_t queryFault = 0;
    int startRequests = 0;
    int stopRequests = 0;
    int statusQueries = 0;
  };

  Service* find(const std::string& name);
  const Service& known(const std::string& name) const;
  Service& known(const std::string& name);
  ServiceStatus statusNow(Service& service);
  static ServiceRunState settledState(const Service& service);
  // Starts the phase once the state it settles in is saved; NotSaved
  // otherwise, the service staying as it was.
  ServiceResult begin(Service& service, const Phase& phase, ServiceRunState pending, ServiceRunState target);
  ServiceResult record(std::string call, ServiceResult result);
  // 0, or why the states could not be saved (writeStateFile).
  int save() const;

  SimMachine& machine_;
  std::optional<std::filesystem::path> stateFile_;
  mutable std::mutex mutex_;
  std::vector<Service> services_;
  std::uint32_t connectFault_ = 0;
  int openHandles_ = 0;
  std::vector<std::string> calls_;
};

}  // namespace plat::sim
