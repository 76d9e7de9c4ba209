// advapi32 Service Control Manager stand-ins over the machine's
// ServiceBackend. This front owns the handles (manager or service, with the
// access granted), the access checks and the status record. A handle keeps
// talking to the machine that opened it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/AsciiCase.h"
#include "machine/Machine.h"
#include "machine/ServiceBackend.h"
#include "win32/HandleTable.h"
#include "win32/MachineCodes.h"
#include "winsvc.h"

namespace {

struct OpenHandle {
  std::shared_ptr<plat::Machine> machine;
  bool isService = false;
  std::string serviceName;
  DWORD access = 0;
};

plat::HandleTable<SC_HANDLE, OpenHandle>& handles() {
  static plat::HandleTable<SC_HANDLE, OpenHandle> table(0x5c000, 8);
  return table;
}

// The service handle behind `handle` when it carries `right`; otherwise the
// last error is set and the result is empty.
std::optional<OpenHandle> serviceWith(SC_HANDLE handle, DWORD right) {
  auto found = handles().find(handle);
  if (!found || !found->isService) {
    SetLastError(ERROR_INVALID_HANDLE);
    return std::nullopt;
  }
  if ((found->access & right) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return std::nullopt;
  }
  return found;
}

std::uint32_t neutralRights(DWORD access) {
  constexpr DWORD query = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS |
                          SERVICE_INTERROGATE;
  constexpr DWORD control = SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL;
  std::uint32_t rights = 0;
  if (access & query) rights |= plat::ServiceQueryRight;
  if (access & SERVICE_START) rights |= plat::ServiceStartRight;
  if (access & control) rights |= plat::ServiceControlRight;
  if (access & ~(query | control | SERVICE_START)) rights |= plat::ServiceConfigureRight;
  return rights;
}

void fill(const plat::ServiceStatus& from, SERVICE_STATUS& to) {
  to.dwServiceType = from.sharedProcess ? SERVICE_WIN32_SHARE_PROCESS : SERVICE_WIN32_OWN_PROCESS;
  to.dwCurrentState = static_cast<DWORD>(from.state);
  to.dwControlsAccepted = from.acceptsStop ? SERVICE_ACCEPT_STOP : 0;
  to.dwWin32ExitCode = ERROR_SUCCESS;
  to.dwServiceSpecificExitCode = 0;
  to.dwCheckPoint = from.checkPoint;
  to.dwWaitHint = from.waitHint;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

}  // namespace

SC_HANDLE WINAPI OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD desiredAccess) {
  if (machineName != nullptr && *machineName != '\0') {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (databaseName != nullptr && !plat::equalsNoCase(databaseName, SERVICES_ACTIVE_DATABASEA)) {
    SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
    return nullptr;
  }
  auto machine = plat::currentMachine();
  if (DWORD error = plat::serviceResultCode(machine->services().connect()); error != ERROR_SUCCESS) {
    SetLastError(error);
    return nullptr;
  }
  return handles().add(OpenHandle{std::move(machine), false, {}, desiredAccess | SC_MANAGER_CONNECT});
}

SC_HANDLE WINAPI OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD desiredAccess) {
  auto found = handles().find(manager);
  if (!found || found->isService) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (serviceName == nullptr || *serviceName == '\0') {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  if (DWORD error = plat::serviceResultCode(found->machine->services().openService(serviceName, neutralRights(desiredAccess)));
      error != ERROR_SUCCESS) {
    SetLastError(error);
    return nullptr;
  }
  return handles().add(OpenHandle{found->machine, true, serviceName, desiredAccess});
}

BOOL WINAPI QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) {
  auto open = serviceWith(service, SERVICE_QUERY_STATUS);
  if (!open) return FALSE;
  if (status == nullptr) return fail(ERROR_INVALID_PARAMETER);
  plat::ServiceStatus answer;
  if (DWORD error = plat::serviceResultCode(open->machine->services().queryStatus(open->serviceName, answer));
      error != ERROR_SUCCESS) {
    return fail(error);
  }
  fill(answer, *status);
  return TRUE;
}

BOOL WINAPI StartServiceA(SC_HANDLE service, DWORD argumentCount, LPCSTR* arguments) {
  auto open = serviceWith(service, SERVICE_START);
  if (!open) return FALSE;
  if (argumentCount != 0 && arguments == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (DWORD error = plat::serviceResultCode(open->machine->services().start(open->serviceName)); error != ERROR_SUCCESS) {
    return fail(error);
  }
  return TRUE;
}

BOOL WINAPI ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) {
  DWORD right = SERVICE_USER_DEFINED_CONTROL;
  if (control == SERVICE_CONTROL_STOP) right = SERVICE_STOP;
  if (control == SERVICE_CONTROL_INTERROGATE) right = SERVICE_INTERROGATE;
  if (control == SERVICE_CONTROL_PAUSE || control == SERVICE_CONTROL_CONTINUE) right = SERVICE_PAUSE_CONTINUE;
  auto open = serviceWith(service, right);
  if (!open) return FALSE;
  if (status == nullptr) return fail(ERROR_INVALID_PARAMETER);

  plat::ServiceBackend& services = open->machine->services();
  plat::ServiceStatus answer;
  DWORD error = ERROR_SUCCESS;
  if (control == SERVICE_CONTROL_STOP) {
    error = plat::serviceResultCode(services.stop(open->serviceName, answer));
  } else {
    error = plat::serviceResultCode(services.queryStatus(open->serviceName, answer));
    if (error != ERROR_SUCCESS) return fail(error);
    if (control != SERVICE_CONTROL_INTERROGATE) {
      error = ERROR_INVALID_SERVICE_CONTROL;
    } else if (answer.state == plat::ServiceRunState::Stopped) {
      error = ERROR_SERVICE_NOT_ACTIVE;
    }
  }
  if (error == ERROR_SUCCESS || error == ERROR_INVALID_SERVICE_CONTROL || error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL ||
      error == ERROR_SERVICE_NOT_ACTIVE) {
    fill(answer, *status);
  }
  return error == ERROR_SUCCESS ? TRUE : fail(error);
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE handle) {
  auto closed = handles().remove(handle);
  if (!closed) return fail(ERROR_INVALID_HANDLE);
  if (closed->isService) {
    closed->machine->services().closeService(closed->serviceName);
  } else {
    closed->machine->services().disconnect();
  }
  return TRUE;
}
