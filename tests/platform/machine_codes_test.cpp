// What the Windows-shaped front hands the program for each neutral answer of
// a machine: the tables of win32/MachineCodes.h.
#include <gtest/gtest.h>

#include <cerrno>

#include "machine/MachineResult.h"
#include "win32/MachineCodes.h"
#include "winsvc.h"

namespace {

using plat::SharingResult;
using plat::SharingStatus;

TEST(MachineCodes, SharingResultsBecomeTheSharingServicesHresults) {
  const struct {
    SharingResult result;
    HRESULT code;
  } cases[] = {
      {SharingStatus::Ok, S_OK},
      {SharingStatus::NoSuchConnection, E_INVALIDARG},
      {SharingStatus::NoRole, E_INVALIDARG},
      {SharingStatus::RoleTaken, HRESULT_FROM_WIN32(183)},  // ERROR_ALREADY_EXISTS
      {SharingStatus::NotSupported, HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED)},
      {SharingStatus::AccessDenied, E_ACCESSDENIED},
      {SharingStatus::ServiceDisabled, HRESULT_FROM_WIN32(ERROR_SERVICE_DISABLED)},
      {SharingStatus::Failed, E_FAIL},
      {SharingResult::notSaved(EACCES), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)},
      {SharingResult::notSaved(EISDIR), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)},
      {SharingResult::notSaved(ENOSPC), HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
      {SharingResult::notSaved(plat::contentNotWritable), HRESULT_FROM_WIN32(ERROR_WRITE_FAULT)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plat::sharingResultCode(c.result), c.code)
        << static_cast<int>(c.result.status) << " " << c.result.saveError;
  }
}

TEST(MachineCodes, RegistryResultsBecomeTheRegistryFunctionsCodes) {
  using plat::RegistryResult;
  using plat::RegistryStatus;
  const struct {
    RegistryResult result;
    LONG code;
  } cases[] = {
      {RegistryStatus::Ok, ERROR_SUCCESS},
      {RegistryStatus::NotFound, ERROR_FILE_NOT_FOUND},
      {RegistryStatus::AccessDenied, ERROR_ACCESS_DENIED},
      {RegistryStatus::NoMoreItems, ERROR_NO_MORE_ITEMS},
      {RegistryStatus::InvalidName, ERROR_INVALID_NAME},
      {RegistryStatus::NotSupported, ERROR_NOT_SUPPORTED},
      {RegistryStatus::CannotRead, ERROR_CANTREAD},
      {RegistryStatus::CannotWrite, ERROR_CANTWRITE},
      {RegistryResult::notSaved(EROFS), ERROR_ACCESS_DENIED},
      {RegistryResult::notSaved(EDQUOT), ERROR_DISK_FULL},
      {RegistryResult::notSaved(plat::contentNotWritable), ERROR_WRITE_FAULT},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plat::registryResultCode(c.result), c.code) << static_cast<int>(c.result.status) << " " << c.result.saveError;
  }
}

TEST(MachineCodes, ServiceResultsKeepTheirNumbersAndASaveFailureTellsItsCause) {
  using plat::ServiceCode;
  using plat::ServiceResult;
  const struct {
    ServiceResult result;
    DWORD code;
  } cases[] = {
      {ServiceCode::Ok, ERROR_SUCCESS},
      {ServiceCode::NoSuchService, ERROR_SERVICE_DOES_NOT_EXIST},
      {ServiceCode::NotActive, ERROR_SERVICE_NOT_ACTIVE},
      {static_cast<ServiceCode>(1079), 1079},  // a scenario's own refusal passes through
      {ServiceResult::notSaved(EACCES), ERROR_ACCESS_DENIED},
      {ServiceResult::notSaved(ENOSPC), ERROR_DISK_FULL},
  };
  for (const auto& c : cases) EXPECT_EQ(plat::serviceResultCode(c.result), c.code) << c.code;
}

TEST(MachineCodes, InternetAccessBecomesWinInetsFlagsAndState) {
  const struct {
    plat::InternetAccess access;
    DWORD flags;
    bool connected;
  } cases[] = {
      {{}, INTERNET_CONNECTION_CONFIGURED, false},
      {{.lan = true}, INTERNET_CONNECTION_CONFIGURED | INTERNET_CONNECTION_LAN, true},
      {{.modem = true}, INTERNET_CONNECTION_CONFIGURED | INTERNET_CONNECTION_MODEM, true},
      {{.offline = true}, INTERNET_CONNECTION_CONFIGURED | INTERNET_CONNECTION_OFFLINE, false},
      {{.offline = true, .lan = true},
       INTERNET_CONNECTION_CONFIGURED | INTERNET_CONNECTION_OFFLINE | INTERNET_CONNECTION_LAN, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plat::connectionFlagsCode(c.access), c.flags) << c.flags;
    EXPECT_EQ(c.access.connected(), c.connected) << c.flags;
  }
  EXPECT_EQ(plat::connectedStateCode(false), INTERNET_STATE_CONNECTED);
  EXPECT_EQ(plat::connectedStateCode(true), INTERNET_STATE_DISCONNECTED | INTERNET_STATE_DISCONNECTED_BY_USER);
}

TEST(MachineCodes, RecordValuesKeepTheirNumbersAndTheAdministratorsSwitchIsUpOrDown) {
  EXPECT_EQ(plat::adminStatusCode(true), MIB_IF_ADMIN_STATUS_UP);
  EXPECT_EQ(plat::adminStatusCode(false), 2u);  // MIB_IF_ADMIN_STATUS_DOWN
  // A scenario may give numbers the machine interface does not name.
  EXPECT_EQ(plat::interfaceTypeCode(static_cast<plat::InterfaceType>(131)), 131u);  // a tunnel
  EXPECT_EQ(plat::connectionStatusCode(static_cast<plat::ConnectionStatus>(12)), 12);
}

}  // namespace
