// Windows-shaped Service Control Manager API (advapi32): the services of the
// current machine. Handles are only valid in the process that opened them.
// Only the local computer's active database is served; pause, continue and
// service-defined controls are accepted by no service of this platform.
#pragma once

#include "windows.h"

struct SC_HANDLE__;
using SC_HANDLE = SC_HANDLE__*;
using LPSC_HANDLE = SC_HANDLE*;

struct SERVICE_STATUS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
};
static_assert(sizeof(SERVICE_STATUS) == 28);
static_assert(offsetof(SERVICE_STATUS, dwCurrentState) == 4);
static_assert(offsetof(SERVICE_STATUS, dwCheckPoint) == 20);
static_assert(offsetof(SERVICE_STATUS, dwWaitHint) == 24);
using LPSERVICE_STATUS = SERVICE_STATUS*;

#define SERVICES_ACTIVE_DATABASEA "ServicesActive"

// Access rights to the service manager.
constexpr DWORD SC_MANAGER_CONNECT = 0x0001;
constexpr DWORD SC_MANAGER_CREATE_SERVICE = 0x0002;
constexpr DWORD SC_MANAGER_ENUMERATE_SERVICE = 0x0004;
constexpr DWORD SC_MANAGER_LOCK = 0x0008;
constexpr DWORD SC_MANAGER_QUERY_LOCK_STATUS = 0x0010;
constexpr DWORD SC_MANAGER_MODIFY_BOOT_CONFIG = 0x0020;
constexpr DWORD SC_MANAGER_ALL_ACCESS = 0xF003F;

// Access rights to a service.
constexpr DWORD SERVICE_QUERY_CONFIG = 0x0001;
constexpr DWORD SERVICE_CHANGE_CONFIG = 0x0002;
constexpr DWORD SERVICE_QUERY_STATUS = 0x0004;
constexpr DWORD SERVICE_ENUMERATE_DEPENDENTS = 0x0008;
constexpr DWORD SERVICE_START = 0x0010;
constexpr DWORD SERVICE_STOP = 0x0020;
constexpr DWORD SERVICE_PAUSE_CONTINUE = 0x0040;
constexpr DWORD SERVICE_INTERROGATE = 0x0080;
constexpr DWORD SERVICE_USER_DEFINED_CONTROL = 0x0100;
constexpr DWORD SERVICE_ALL_ACCESS = 0xF01FF;

// Service types.
constexpr DWORD SERVICE_WIN32_OWN_PROCESS = 0x10;
constexpr DWORD SERVICE_WIN32_SHARE_PROCESS = 0x20;

// Current states.
constexpr DWORD SERVICE_STOPPED = 1;
constexpr DWORD SERVICE_START_PENDING = 2;
constexpr DWORD SERVICE_STOP_PENDING = 3;
constexpr DWORD SERVICE_RUNNING = 4;
constexpr DWORD SERVICE_CONTINUE_PENDING = 5;
constexpr DWORD SERVICE_PAUSE_PENDING = 6;
constexpr DWORD SERVICE_PAUSED = 7;

// Controls, and the flags by which a service says which it accepts.
constexpr DWORD SERVICE_CONTROL_STOP = 1;
constexpr DWORD SERVICE_CONTROL_PAUSE = 2;
constexpr DWORD SERVICE_CONTROL_CONTINUE = 3;
constexpr DWORD SERVICE_CONTROL_INTERROGATE = 4;
constexpr DWORD SERVICE_ACCEPT_STOP = 0x1;
constexpr DWORD SERVICE_ACCEPT_PAUSE_CONTINUE = 0x2;

// Error codes of the service manager (winerror.h).
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_INVALID_SERVICE_CONTROL = 1052;
constexpr DWORD ERROR_SERVICE_REQUEST_TIMEOUT = 1053;
constexpr DWORD ERROR_SERVICE_ALREADY_RUNNING = 1056;
constexpr DWORD ERROR_SERVICE_DISABLED = 1058;
constexpr DWORD ERROR_SERVICE_DOES_NOT_EXIST = 1060;
constexpr DWORD ERROR_SERVICE_CANNOT_ACCEPT_CTRL = 1061;
constexpr DWORD ERROR_SERVICE_NOT_ACTIVE = 1062;
constexpr DWORD ERROR_DATABASE_DOES_NOT_EXIST = 1065;

// Connects to the service manager. `machineName` null or empty means this
// computer; any other computer fails with ERROR_NOT_SUPPORTED. `databaseName`
// null or SERVICES_ACTIVE_DATABASEA, else ERROR_DATABASE_DOES_NOT_EXIST.
// Every right asked for is granted; the machine may refuse the connection
// itself with a code of its own (ERROR_ACCESS_DENIED, ...).
SC_HANDLE WINAPI OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD desiredAccess);

// Opens a service by its name (compared without case) through a manager
// handle: ERROR_SERVICE_DOES_NOT_EXIST when there is none, ERROR_ACCESS_DENIED
// when the machine refuses a right asked for, ERROR_INVALID_NAME for a null or
// empty name. Each later call checks the right it needs on the handle.
SC_HANDLE WINAPI OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD desiredAccess);

// Reads the service's status; needs SERVICE_QUERY_STATUS.
BOOL WINAPI QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status);

// Asks a stopped service to start; needs SERVICE_START. The service then
// reports SERVICE_START_PENDING until it runs. ERROR_SERVICE_ALREADY_RUNNING
// when it is not stopped; the machine may refuse with a code of its own (for
// example ERROR_SERVICE_DISABLED). The arguments are taken by no simulated
// service.
BOOL WINAPI StartServiceA(SC_HANDLE service, DWORD argumentCount, LPCSTR* arguments);

// Sends a control. SERVICE_CONTROL_STOP needs SERVICE_STOP,
// SERVICE_CONTROL_INTERROGATE needs SERVICE_INTERROGATE; every other control
// fails with ERROR_INVALID_SERVICE_CONTROL. `status` receives the status on
// success and with the errors ERROR_INVALID_SERVICE_CONTROL,
// ERROR_SERVICE_CANNOT_ACCEPT_CTRL and ERROR_SERVICE_NOT_ACTIVE (a service that
// is not running); with any other error it is left untouched.
BOOL WINAPI ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status);

// Closes a manager or service handle; ERROR_INVALID_HANDLE for anything else.
BOOL WINAPI CloseServiceHandle(SC_HANDLE handle);
