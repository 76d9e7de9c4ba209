// The Linux machine's service manager: Windows services do not exist here.
// Connecting succeeds, so that a caller learns of each service that it does
// not exist (NoSuchService), as Windows answers for a service
// that is not installed; the Windows XP wireless service is one of them.
#pragma once

#include "machine/ServiceBackend.h"

namespace plat::lnx {

class LinuxServices : public ServiceBackend {
 public:
  ServiceResult connect() override;
  void disconnect() override;
  ServiceResult openService(const std::string& name, std::uint32_t rights) override;
  void closeService(const std::string& name) override;
  ServiceResult queryStatus(const std::string& name, ServiceStatus& status) override;
  ServiceResult start(const std::string& name) override;
  ServiceResult stop(const std::string& name, ServiceStatus& status) override;
};

}  // namespace plat::lnx
