// Queries, starts and stops one service through the platform's service
// manager. No handle is kept between calls: every operation connects to the
// manager, opens the service, does its work and closes both handles again,
// the service handle first, on every path.
#pragma once

#include <cstdint>
#include <string>

#include "windows.h"

// The platform's current-state codes 1 to 7, in their order.
enum class ServiceState : std::uint8_t {
  Stopped,
  StartPending,
  StopPending,
  Running,
  ContinuePending,
  PausePending,
  Paused,
};

class TServiceControl {
 public:
  // An empty machine name means this computer.
  TServiceControl(std::string serviceName, std::string machineName);

  const std::string ServiceName;
  const std::string MachineName;

  // The platform's current-state code (1 to 7).
  DWORD QueryStatus();
  ServiceState State();
  // Asks the service to start and waits until it runs; false when the
  // manager refuses (a service that runs already) or the wait ends first.
  bool Start();
  // Asks the service to stop and waits until it has stopped; a service that
  // is not running counts as stopped.
  bool Stop();

  // Every operation raises EOSError with the platform's code when the manager
  // or the service cannot be opened or the status cannot be read.

  // A pending service is given up on after this much waiting in total; the
  // status read last decides.
  static constexpr DWORD MaxWaitMilliseconds = 60000;
};
