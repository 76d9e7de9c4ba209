#include "linux/LinuxServices.h"

#include "winsvc.h"

namespace plat::lnx {

std::uint32_t LinuxServices::connect() { return ERROR_SUCCESS; }

void LinuxServices::disconnect() {}

std::uint32_t LinuxServices::openService(const std::string& /*name*/, std::uint32_t /*rights*/) {
  return ERROR_SERVICE_DOES_NOT_EXIST;
}

// No handle can be open: openService never succeeds.
void LinuxServices::closeService(const std::string& /*name*/) {}

std::uint32_t LinuxServices::queryStatus(const std::string& /*name*/, ServiceStatus& /*status*/) {
  return ERROR_SERVICE_DOES_NOT_EXIST;
}

std::uint32_t LinuxServices::start(const std::string& /*name*/) { return ERROR_SERVICE_DOES_NOT_EXIST; }

std::uint32_t LinuxServices::stop(const std::string& /*name*/, ServiceStatus& /*status*/) {
  return ERROR_SERVICE_DOES_NOT_EXIST;
}

}  // namespace plat::lnx
