// The Linux machine's service manager: Windows services do not exist here.
// Connecting succeeds, so that a caller learns of each service that it does
// not exist (ERROR_SERVICE_DOES_NOT_EXIST), as Windows answers for a service
// that is not installed; the Windows XP wireless service is one of them.
#pragma once

#include "machine/ServiceBackend.h"

namespace plat::lnx {

class LinuxServices : public ServiceBackend {
 public:
  std::uint32_t connect() override;
  void disconnect() override;
  std::uint32_t openService(const std::string& name, std::uint32_t rights) override;
  void closeService(const std::string& name) override;
  std::uint32_t queryStatus(const std::string& name, ServiceStatus& status) override;
  std::uint32_t start(const std::string& name) override;
  std::uint32_t stop(const std::string& name, ServiceStatus& status) override;
};

}  // namespace plat::lnx
