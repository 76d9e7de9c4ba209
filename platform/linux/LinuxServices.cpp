#include "linux/LinuxServices.h"

namespace plat::lnx {

ServiceResult LinuxServices::connect() { return ServiceCode::Ok; }

void LinuxServices::disconnect() {}

ServiceResult LinuxServices::openService(const std::string& /*name*/, std::uint32_t /*rights*/) {
  return ServiceCode::NoSuchService;
}

// No handle can be open: openService never succeeds.
void LinuxServices::closeService(const std::string& /*name*/) {}

ServiceResult LinuxServices::queryStatus(const std::string& /*name*/, ServiceStatus& /*status*/) {
  return ServiceCode::NoSuchService;
}

ServiceResult LinuxServices::start(const std::string& /*name*/) { return ServiceCode::NoSuchService; }

ServiceResult LinuxServices::stop(const std::string& /*name*/, ServiceStatus& /*status*/) {
  return ServiceCode::NoSuchService;
}

}  // namespace plat::lnx
