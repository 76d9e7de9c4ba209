#include "linux/LinuxBackends.h"

#include "files/UserFolders.h"
#include "machine/XdgOpen.h"

namespace plat::lnx {

LinuxBackends LinuxBackends::forUser(DeviceInventory& inventory) {
  const std::filesystem::path config = configHome();
  LinuxBackends backends;
  backends.system = std::make_unique<LinuxSystem>(LinuxSystem::runningKernelMachine(), &openWithXdg);
  backends.devices = std::make_unique<DeviceView>(inventory, "/");
  backends.registry = std::make_unique<LinuxRegistry>(
      *backends.devices, LinuxRegistry::Places{config / "brisklane" / "registry.json", config / "autostart"});
  backends.network = std::make_unique<LinuxNetwork>(*backends.devices, stateHome() / "brisklane" / "sharing.json");
  backends.services = std::make_unique<LinuxServices>();
  backends.internet = std::make_unique<LinuxInternet>("/");
  return backends;
}

}  // namespace plat::lnx
