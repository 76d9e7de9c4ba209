// The Linux computer this process runs on: its radio over NetworkManager
// and the other backends over sysfs, procfs, NetworkManager's devices and
// the user's folders. Nothing talks to the system bus before the first call
// that needs it, which comes after the Qt application object exists; the
// first call of the radio or the network once it does removes what Brisklane
// instances that no longer run left behind.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

#include "linux/LinuxBackends.h"
#include "linux/nm/NmClient.h"
#include "linux/nm/NmDeviceInventory.h"
#include "linux/radio/NmRadio.h"
#include "linux/radio/RadioReplyGuard.h"
#include "machine/Machine.h"

namespace plat::lnx {

class LinuxMachine : public Machine {
 public:
  struct Options {
    // Makes the backends other than the radio, over the device inventory.
    std::function<LinuxBackends(DeviceInventory&)> backends = LinuxBackends::forUser;
    // Its sharesInternetTo is the network's.
    NmRadio::Options radio;
    // How long the first question waits for NetworkManager's objects.
    std::chrono::milliseconds firstLook = std::chrono::milliseconds(40);
  };

  // For the user who runs the program. Throws std::runtime_error naming
  // the fault when a saved file is damaged.
  LinuxMachine();
  explicit LinuxMachine(Options options);
  ~LinuxMachine() override;

  SystemBackend& system() override;
  RegistryBackend& registry() override;
  RadioBackend& radio() override;
  NetworkBackend& network() override;
  ServiceBackend& services() override;
  InternetBackend& internet() override;
  // This computer: no notice on screen.
  MachineDescription description() const override;

 private:
  // Once an application object exists, at the first call of the radio or
  // the network: the profiles of instances that no longer run go, and when
  // no running instance's hotspot is up, so do the sharing roles that
  // outlived theirs (a restart after a crash shows "Ready for Sharing").
  void removeLeftoversOnce();

  NmClient client_;
  NmDeviceInventory inventory_;
  LinuxBackends backends_;
  NmRadio radio_;
  RadioReplyGuard guardedRadio_{radio_};  // what radio() hands out
  std::mutex leftoversMutex_;
  std::atomic<bool> leftoversRemoved_{false};
};

}  // namespace plat::lnx
