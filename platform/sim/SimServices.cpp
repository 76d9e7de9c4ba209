#include "sim/SimServices.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <tuple>

#include <nlohmann/json.hpp>

#include "common/AsciiCase.h"
#include "sim/SimMachine.h"
#include "store/JsonFields.h"
#include "store/StateFile.h"

namespace plat::sim {
namespace {

constexpr std::pair<ServiceRunState, const char*> stateNames[] = {
    {ServiceRunState::Stopped, "stopped"},
    {ServiceRunState::StartPending, "startPending"},
    {ServiceRunState::StopPending, "stopPending"},
    {ServiceRunState::Running, "running"},
    {ServiceRunState::ContinuePending, "continuePending"},
    {ServiceRunState::PausePending, "pausePending"},
    {ServiceRunState::Paused, "paused"},
};

constexpr std::pair<std::uint32_t, const char*> rightNames[] = {
    {ServiceQueryRight, "query"},
    {ServiceStartRight, "start"},
    {ServiceControlRight, "control"},
    {ServiceConfigureRight, "configure"},
};

ServiceRunState parseState(const std::string& name) {
  for (const auto& [state, text] : stateNames) {
    if (name == text) return state;
  }
  throw std::runtime_error("unknown service state \"" + name + "\"");
}

const char* stateName(ServiceRunState state) {
  for (const auto& [known, text] : stateNames) {
    if (known == state) return text;
  }
  return "stopped";
}

std::uint32_t parseRight(const std::string& name) {
  for (const auto& [right, text] : rightNames) {
    if (name == text) return right;
  }
  throw std::runtime_error("unknown service right \"" + name + "\"");
}

std::string rightsText(std::uint32_t rights) {
  std::string text;
  for (const auto& [right, name] : rightNames) {
    if ((rights & right) == 0) continue;
    if (!text.empty()) text += '+';
    text += name;
  }
  return text.empty() ? "none" : text;
}

// A "start" or "stop" object; none: the default phase.
SimServices::Phase parsePhase(const nlohmann::json* section, const std::string& where) {
  SimServices::Phase phase;
  if (!section) return phase;
  if (!section->is_object()) throw std::runtime_error(where + " must be an object");
  try {
    phase.checkpoints = integerField(*section, "checkpoints", phase.checkpoints);
    phase.waitHint = integerField(*section, "waitHint", phase.waitHint);
    phase.interval = integerField(*section, "interval", phase.waitHint);
    phase.refuse = integerField(*section, "refuse", phase.refuse);
    phase.hang = flagField(*section, "hang", phase.hang);
    phase.checkpointFallsAfter = integerField(*section, "checkpointFallsAfter", phase.checkpointFallsAfter);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(where + ": " + e.what());
  }
  return phase;
}

bool isStable(ServiceRunState state) {
  return state == ServiceRunState::Stopped || state == ServiceRunState::Running || state == ServiceRunState::Paused;
}

}  // namespace

SimServices::SimServices(SimMachine& machine, const nlohmann::json& scenario) : machine_(machine) {
  for (const auto& entry : arrayField(scenario, "services")) {
    Service service;
    service.name = textOf(requiredField(entry, "name"), "a service's \"name\"");
    const std::string where = "service \"" + service.name + "\"";
    if (service.name.empty()) throw std::runtime_error("a service needs a name");
    if (find(service.name)) throw std::runtime_error(where + " is listed twice");
    try {
      service.state = parseState(textField(entry, "state", "stopped"));
      service.sharedProcess = flagField(entry, "sharedProcess", false);
      for (const auto& right : arrayField(entry, "deny")) service.deniedRights |= parseRight(textOf(right, "a right"));
    } catch (const std::runtime_error& e) {
      throw std::runtime_error(where + ": " + e.what());
    }
    service.start = parsePhase(optionalField(entry, "start"), where + " \"start\"");
    service.stop = parsePhase(optionalField(entry, "stop"), where + " \"stop\"");
    services_.push_back(std::move(service));
  }

  if (machine_.options().stateDir) stateFile_ = *machine_.options().stateDir / "services.json";
  loadStateFile(stateFile_, "services", [this](const nlohmann::json& saved) {
    if (!saved.is_object()) throw std::runtime_error("must be an object of service states");
    for (auto& service : services_) {
      if (const auto* state = optionalField(saved, service.name.c_str())) {
        service.state = parseState(textOf(*state, "the state of \"" + service.name + "\""));
      }
    }
  });
}

ServiceResult SimServices::connect() {
  std::lock_guard lock(mutex_);
  if (connectFault_ != 0) return record("connect", static_cast<ServiceCode>(connectFault_));
  ++openHandles_;
  return record("connect", ServiceCode::Ok);
}

void SimServices::disconnect() {
  std::lock_guard lock(mutex_);
  --openHandles_;
  record("disconnect", ServiceCode::Ok);
}

ServiceResult SimServices::openService(const std::string& name, std::uint32_t rights) {
  std::lock_guard lock(mutex_);
  Service* service = find(name);
  if (!service) return record("open " + name + " " + rightsText(rights), ServiceCode::NoSuchService);
  const std::string call = "open " + service->name + " " + rightsText(rights);
  if (rights & service->deniedRights) return record(call, ServiceCode::AccessDenied);
  ++openHandles_;
  return record(call, ServiceCode::Ok);
}

void SimServices::closeService(const std::string& name) {
  std::lock_guard lock(mutex_);
  --openHandles_;
  Service* service = find(name);
  record("close " + (service ? service->name : name), ServiceCode::Ok);
}

ServiceResult SimServices::queryStatus(const std::string& name, ServiceStatus& status) {
  // A call to the service manager takes a moment of the machine's time, so a
  // caller that polls without pausing still sees the clock move.
  machine_.system().sleep(1);
  std::lock_guard lock(mutex_);
  Service* service = find(name);
  if (!service) return record("query " + name, ServiceCode::NoSuchService);
  const std::string call = "query " + service->name;
  ++service->statusQueries;
  if (service->queryFault != 0) {
    if (service->queriesBeforeFault == 0) return record(call, static_cast<ServiceCode>(std::exchange(service->queryFault, 0)));
    --service->queriesBeforeFault;
  }
  status = statusNow(*service);
  return record(call, ServiceCode::Ok);
}

ServiceResult SimServices::start(const std::string& name) {
  std::lock_guard lock(mutex_);
  Service* service = find(name);
  if (!service) return record("start " + name, ServiceCode::NoSuchService);
  const std::string call = "start " + service->name;
  ++service->startRequests;
  if (statusNow(*service).state != ServiceRunState::Stopped) return record(call, ServiceCode::AlreadyRunning);
  if (service->start.refuse != 0) return record(call, static_cast<ServiceCode>(service->start.refuse));
  return record(call, begin(*service, service->start, ServiceRunState::StartPending, ServiceRunState::Running));
}

ServiceResult SimServices::stop(const std::string& name, ServiceStatus& status) {
  std::lock_guard lock(mutex_);
  Service* service = find(name);
  if (!service) return record("stop " + name, ServiceCode::NoSuchService);
  const std::string call = "stop " + service->name;
  ++service->stopRequests;
  status = statusNow(*service);
  if (status.state == ServiceRunState::Stopped) return record(call, ServiceCode::NotActive);
  if (!status.acceptsStop) return record(call, ServiceCode::CannotAcceptControl);
  if (service->stop.refuse != 0) return record(call, static_cast<ServiceCode>(service->stop.refuse));
  const auto result = begin(*service, service->stop, ServiceRunState::StopPending, ServiceRunState::Stopped);
  status = statusNow(*service);
  return record(call, result);
}

void SimServices::setServiceState(const std::string& name, ServiceRunState state) {
  std::lock_guard lock(mutex_);
  Service& service = known(name);
  const auto before = std::pair{service.state, service.transition};
  service.transition.reset();
  service.state = state;
  if (save() != 0) {
    std::tie(service.state, service.transition) = before;
    throw std::runtime_error("the state of service \"" + service.name + "\" could not be saved");
  }
}

ServiceRunState SimServices::serviceState(const std::string& name) {
  std::lock_guard lock(mutex_);
  return statusNow(known(name)).state;
}

void SimServices::setStartPhase(const std::string& name, const Phase& phase) {
  std::lock_guard lock(mutex_);
  known(name).start = phase;
}

void SimServices::setStopPhase(const std::string& name, const Phase& phase) {
  std::lock_guard lock(mutex_);
  known(name).stop = phase;
}

void SimServices::failNextStatusQuery(const std::string& name, std::uint32_t error, std::uint32_t after) {
  std::lock_guard lock(mutex_);
  Service& service = known(name);
  service.queryFault = error;
  service.queriesBeforeFault = after;
}

void SimServices::failConnect(std::uint32_t error) {
  std::lock_guard lock(mutex_);
  connectFault_ = error;
}

int SimServices::startRequests(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return known(name).startRequests;
}

int SimServices::stopRequests(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return known(name).stopRequests;
}

int SimServices::statusQueries(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return known(name).statusQueries;
}

int SimServices::openHandles() const {
  std::lock_guard lock(mutex_);
  return openHandles_;
}

std::vector<std::string> SimServices::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

void SimServices::clearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

SimServices::Service* SimServices::find(const std::string& name) {
  auto it = std::find_if(services_.begin(), services_.end(),
                         [&](const Service& service) { return equalsNoCase(service.name, name); });
  return it == services_.end() ? nullptr : &*it;
}

SimServices::Service& SimServices::known(const std::string& name) {
  if (Service* service = find(name)) return *service;
  throw std::out_of_range("no simulated service \"" + name + "\"");
}

const SimServices::Service& SimServices::known(const std::string& name) const {
  return const_cast<SimServices*>(this)->known(name);
}

ServiceStatus SimServices::statusNow(Service& service) {
  ServiceStatus status;
  status.sharedProcess = service.sharedProcess;
  if (service.transition) {
    const Transition& change = *service.transition;
    const Phase& phase = change.phase;
    const std::uint64_t elapsed = machine_.system().uptimeMilliseconds() - change.begun;
    const std::uint64_t steps = phase.interval == 0 ? phase.checkpoints : elapsed / phase.interval;
    if (phase.hang || steps < phase.checkpoints) {
      const std::uint64_t counted = phase.checkpointFallsAfter == 0 ? steps : steps % phase.checkpointFallsAfter;
      status.state = change.pending;
      status.checkPoint = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(counted + 1, std::numeric_limits<std::uint32_t>::max()));
      status.waitHint = phase.waitHint;
      return status;
    }
    service.state = change.target;
    service.transition.reset();
  }
  status.state = service.state;
  status.acceptsStop = service.state == ServiceRunState::Running || service.state == ServiceRunState::Paused;
  // A pending state held without a transition (set by the scenario or a
  // test) reports the hint of the phase it belongs to.
  if (!isStable(service.state)) {
    status.checkPoint = 1;
    status.waitHint = service.state == ServiceRunState::StopPending ? service.stop.waitHint : service.start.waitHint;
  }
  return status;
}

ServiceRunState SimServices::settledState(const Service& service) {
  if (!service.transition) return service.state;
  return service.transition->phase.hang ? service.transition->pending : service.transition->target;
}

ServiceResult SimServices::begin(Service& service, const Phase& phase, ServiceRunState pending,
                                  ServiceRunState target) {
  service.transition = Transition{phase, pending, target, machine_.system().uptimeMilliseconds()};
  const int error = save();
  if (error == 0) return ServiceCode::Ok;
  service.transition.reset();
  return ServiceResult::notSaved(error);
}

ServiceResult SimServices::record(std::string call, ServiceResult result) {
  if (result.status == ServiceCode::NotSaved) {
    call += " -> not saved";
  } else if (!result.ok()) {
    call += " -> " + std::to_string(static_cast<std::uint32_t>(result.status));
  }
  calls_.push_back(std::move(call));
  return result;
}

int SimServices::save() const {
  if (!stateFile_) return 0;
  nlohmann::json saved = nlohmann::json::object();
  for (const auto& service : services_) saved[service.name] = stateName(settledState(service));
  return writeStateFile(stateFile_, saved);
}

}  // namespace plat::sim
