#include "service/ServiceControl.h"

#include "SysUtils.h"
#include "winsvc.h"

namespace {

// Closes a service manager or service handle when it goes.
class ScHandle {
 public:
  explicit ScHandle(SC_HANDLE handle) : handle_(handle) {
    if (handle_ == nullptr) RaiseLastOSError();
  }
  ~ScHandle() { CloseServiceHandle(handle_); }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
  operator SC_HANDLE() const { return handle_; }

 private:
  SC_HANDLE handle_;
};

// The manager and one service, opened for `access`. Members go in reverse
// order, so the service handle is closed first, also when opening it raised.
struct OpenedService {
  OpenedService(const std::string& machineName, const std::string& serviceName, DWORD access)
      : manager(OpenSCManagerA(machineName.empty() ? nullptr : machineName.c_str(), nullptr, SC_MANAGER_CONNECT)),
        service(OpenServiceA(manager, serviceName.c_str(), access)) {}

  ScHandle manager;
  ScHandle service;
};

SERVICE_STATUS queryOrRaise(SC_HANDLE service) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) RaiseLastOSError();
  return status;
}

// Waits while the service makes progress towards `target`: sleeps the full
// wait hint between two reads and gives up when a read fails, the checkpoint
// goes down or the time allowed has passed. `status` is the last status read.
void waitFor(SC_HANDLE service, SERVICE_STATUS& status, DWORD target) {
  const DWORD begun = GetTickCount();
  while (status.dwCurrentState != target) {
    const DWORD checkPoint = status.dwCheckPoint;
    Sleep(status.dwWaitHint);
    SERVICE_STATUS next{};
    if (!QueryServiceStatus(service, &next)) return;
    status = next;
    if (status.dwCheckPoint < checkPoint) return;
    if (GetTickCount() - begun >= TServiceControl::MaxWaitMilliseconds) return;
  }
}

}  // namespace

TServiceControl::TServiceControl(std::string serviceName, std::string machineName)
    : ServiceName(std::move(serviceName)), MachineName(std::move(machineName)) {}

DWORD TServiceControl::QueryStatus() {
  OpenedService opened(MachineName, ServiceName, SERVICE_QUERY_STATUS);
  return queryOrRaise(opened.service).dwCurrentState;
}

ServiceState TServiceControl::State() {
  const DWORD code = QueryStatus();
  if (code < SERVICE_STOPPED || code > SERVICE_PAUSED) RaiseLastOSError(ERROR_INVALID_DATA);
  return static_cast<ServiceState>(code - SERVICE_STOPPED);
}

bool TServiceControl::Start() {
  OpenedService opened(MachineName, ServiceName, SERVICE_START | SERVICE_QUERY_STATUS);
  if (!StartServiceA(opened.service, 0, nullptr)) return false;
  SERVICE_STATUS status = queryOrRaise(opened.service);
  waitFor(opened.service, status, SERVICE_RUNNING);
  return status.dwCurrentState == SERVICE_RUNNING;
}

bool TServiceControl::Stop() {
  OpenedService opened(MachineName, ServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS);
  // A refusal hands back the status only with some codes; left zero, the
  // record says no state at all.
  SERVICE_STATUS status{};
  if (!ControlService(opened.service, SERVICE_CONTROL_STOP, &status)) return status.dwCurrentState == SERVICE_STOPPED;
  status = queryOrRaise(opened.service);
  waitFor(opened.service, status, SERVICE_STOPPED);
  return status.dwCurrentState == SERVICE_STOPPED;
}
