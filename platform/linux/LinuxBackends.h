// The Linux machine's backends other than its radio, set up for the user who
// runs the program: what LinuxMachine assembles with the radio.
#pragma once

#include <memory>

#include "linux/DeviceInventory.h"
#include "linux/LinuxInternet.h"
#include "linux/LinuxNetwork.h"
#include "linux/LinuxRegistry.h"
#include "linux/LinuxServices.h"
#include "linux/LinuxSystem.h"
#include "linux/MachineDevices.h"

namespace plat::lnx {

struct LinuxBackends {
  std::unique_ptr<DeviceView> devices;  // what the registry and the network look at
  std::unique_ptr<LinuxSystem> system;
  std::unique_ptr<LinuxRegistry> registry;
  std::unique_ptr<LinuxNetwork> network;
  std::unique_ptr<LinuxServices> services;
  std::unique_ptr<LinuxInternet> internet;

  // Over the running system ("/"), with the registry store in
  // $XDG_CONFIG_HOME/brisklane/registry.json, autostart entries in
  // $XDG_CONFIG_HOME/autostart and the sharing roles in
  // $XDG_STATE_HOME/brisklane/sharing.json. The inventory must outlive them.
  // Throws std::runtime_error when a saved file is damaged or the home
  // folder is unknown.
  static LinuxBackends forUser(DeviceInventory& inventory);
};

}  // namespace plat::lnx
