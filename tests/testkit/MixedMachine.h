// A machine made of the backends a test gives, the others taken from a base
// machine: to try one kind of backend through the platform's front.
#pragma once

#include <memory>

#include "machine/InternetBackend.h"
#include "machine/Machine.h"
#include "machine/NetworkBackend.h"
#include "machine/RadioBackend.h"
#include "machine/RegistryBackend.h"
#include "machine/ServiceBackend.h"
#include "machine/SystemBackend.h"

namespace testkit {

class MixedMachine : public plat::Machine {
 public:
  explicit MixedMachine(std::shared_ptr<plat::Machine> base) : base_(std::move(base)) {}

  std::unique_ptr<plat::SystemBackend> systemPart;
  std::unique_ptr<plat::RegistryBackend> registryPart;
  std::unique_ptr<plat::NetworkBackend> networkPart;
  std::unique_ptr<plat::ServiceBackend> servicesPart;
  std::unique_ptr<plat::InternetBackend> internetPart;

  plat::SystemBackend& system() override { return systemPart ? *systemPart : base_->system(); }
  plat::RegistryBackend& registry() override { return registryPart ? *registryPart : base_->registry(); }
  plat::RadioBackend& radio() override { return base_->radio(); }
  plat::NetworkBackend& network() override { return networkPart ? *networkPart : base_->network(); }
  plat::ServiceBackend& services() override { return servicesPart ? *servicesPart : base_->services(); }
  plat::InternetBackend& internet() override { return internetPart ? *internetPart : base_->internet(); }
  plat::MachineDescription description() const override { return base_->description(); }

 private:
  std::shared_ptr<plat::Machine> base_;
};

}  // namespace testkit
