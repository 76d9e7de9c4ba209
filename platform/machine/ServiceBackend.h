// The machine's service manager, as neutral questions: the Windows-shaped
// front (platform/win32/advapi32_services.cpp) owns handles, access checks on
// them and the status record. Service names compare without case.
#pragma once

#include <cstdint>
#include <string>

#include "machine/MachineResult.h"

namespace plat {

// Where a service stands; the numbers are the platform's state codes.
enum class ServiceRunState : std::uint32_t {
  Stopped = 1,
  StartPending = 2,
  StopPending = 3,
  Running = 4,
  ContinuePending = 5,
  PausePending = 6,
  Paused = 7,
};

struct ServiceStatus {
  ServiceRunState state = ServiceRunState::Stopped;
  std::uint32_t checkPoint = 0;  // rises while a pending state makes progress
  std::uint32_t waitHint = 0;    // milliseconds until the next checkpoint
  bool acceptsStop = false;
  bool sharedProcess = false;    // runs inside a process shared with others
};

// What a caller may want to do with a service it opens.
enum ServiceRight : std::uint32_t {
  ServiceQueryRight = 0x1,      // read status and configuration
  ServiceStartRight = 0x2,
  ServiceControlRight = 0x4,    // stop and other controls
  ServiceConfigureRight = 0x8,  // change or delete the service
};

// How a call of the service manager ended. Numbered as the platform numbers
// its error codes, because a simulated laptop's scenario gives the refusals
// of its services as such numbers: any number it gives passes through.
enum class ServiceCode : std::uint32_t {
  Ok = 0,
  AccessDenied = 5,       // a right refused, or the manager refused the caller
  InvalidHandle = 6,
  RequestTimeout = 1053,  // the service did not answer in time
  AlreadyRunning = 1056,
  Disabled = 1058,
  NoSuchService = 1060,
  CannotAcceptControl = 1061,  // the service takes no stop now
  NotActive = 1062,            // a stop asked of a stopped service
  NotSaved = 0xffffffff,       // the change could not be kept; no platform number
};

using ServiceResult = MachineResult<ServiceCode>;

class ServiceBackend {
 public:
  virtual ~ServiceBackend() = default;

  // A caller connects to the service manager and goes again; the manager
  // hears about every handle, as the real one does.
  virtual ServiceResult connect() = 0;
  virtual void disconnect() = 0;

  // NoSuchService, or AccessDenied when one of the `rights` (ServiceRight
  // flags) is refused.
  virtual ServiceResult openService(const std::string& name, std::uint32_t rights) = 0;
  virtual void closeService(const std::string& name) = 0;

  virtual ServiceResult queryStatus(const std::string& name, ServiceStatus& status) = 0;

  // Asks a stopped service to start.
  virtual ServiceResult start(const std::string& name) = 0;

  // Asks a running or paused service to stop. `status` is the service's
  // status after the request, also when it is refused.
  virtual ServiceResult stop(const std::string& name, ServiceStatus& status) = 0;
};

}  // namespace plat
