#include "win32/MachineCodes.h"

#include "machine/MachineResult.h"
#include "win32/ErrnoMapping.h"
#include "winsvc.h"

namespace plat {
namespace {

constexpr DWORD alreadyExists = 183;  // ERROR_ALREADY_EXISTS

}  // namespace

DWORD saveErrorCode(int saveError) {
  return saveError == contentNotWritable ? ERROR_WRITE_FAULT : errorFromErrno(saveError);
}

DWORD connectionFlagsCode(const InternetAccess& access) {
  DWORD flags = INTERNET_CONNECTION_CONFIGURED;
  if (access.offline) flags |= INTERNET_CONNECTION_OFFLINE;
  if (access.lan) flags |= INTERNET_CONNECTION_LAN;
  if (access.modem) flags |= INTERNET_CONNECTION_MODEM;
  return flags;
}

DWORD connectedStateCode(bool offline) {
  return offline ? INTERNET_STATE_DISCONNECTED | INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED;
}

DWORD serviceResultCode(const ServiceResult& result) {
  if (result.status == ServiceCode::NotSaved) return saveErrorCode(result.saveError);
  return static_cast<DWORD>(result.status);
}

LONG registryResultCode(const RegistryResult& result) {
  switch (result.status) {
    case RegistryStatus::Ok: return ERROR_SUCCESS;
    case RegistryStatus::NotFound: return ERROR_FILE_NOT_FOUND;
    case RegistryStatus::AccessDenied: return ERROR_ACCESS_DENIED;
    case RegistryStatus::NoMoreItems: return ERROR_NO_MORE_ITEMS;
    case RegistryStatus::InvalidName: return ERROR_INVALID_NAME;
    case RegistryStatus::NotSupported: return ERROR_NOT_SUPPORTED;
    case RegistryStatus::CannotRead: return ERROR_CANTREAD;
    case RegistryStatus::CannotWrite: return ERROR_CANTWRITE;
    case RegistryStatus::NotSaved: return static_cast<LONG>(saveErrorCode(result.saveError));
  }
  return ERROR_GEN_FAILURE;
}

HRESULT sharingResultCode(const SharingResult& result) {
  switch (result.status) {
    case SharingStatus::Ok: return S_OK;
    case SharingStatus::NoSuchConnection:
    case SharingStatus::NoRole: return E_INVALIDARG;
    case SharingStatus::RoleTaken: return HRESULT_FROM_WIN32(alreadyExists);
    case SharingStatus::NotSupported: return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    case SharingStatus::AccessDenied: return E_ACCESSDENIED;
    case SharingStatus::ServiceDisabled: return HRESULT_FROM_WIN32(ERROR_SERVICE_DISABLED);
    case SharingStatus::Failed: return E_FAIL;
    case SharingStatus::NotSaved: return HRESULT_FROM_WIN32(saveErrorCode(result.saveError));
  }
  return E_FAIL;
}

}  // namespace plat
