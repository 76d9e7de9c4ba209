// Brings a profile up on a Wi-Fi device and takes this instance's down
// again, leaving the refusal that says why not. An activation still coming
// up on a device may be given up from another thread: its caller hears so,
// and what NetworkManager brings up for it late is taken down.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <stop_token>
#include <string>

#include <QString>

#include "linux/nm/NmClient.h"
#include "linux/nm/NmProfiles.h"
#include "linux/radio/RadioDevices.h"
#include "linux/radio/RadioPreflight.h"
#include "machine/RadioBackend.h"

namespace plat::lnx {

class RadioActivator {
 public:
  // An activation that is not up within `timeout` is withdrawn.
  RadioActivator(NmClient& client, RadioDevices& devices, std::chrono::milliseconds timeout);

  // Asks for the profile on the device (and the access point, when one is
  // named) and waits until it is up.
  RadioResult activate(const RadioDevices::WifiDevice& wifi, const ProfileSettings& settings,
                       const QString& accessPoint, Action action, const std::string& name);
  // Gives up the activation coming up on the interface, if any.
  void givePendingUp(const std::string& interfaceId);
  // Takes this instance's own profile on the device down and deletes it.
  RadioResult takeDown(const QString& devicePath, const RadioDevices::ActiveProfile& own);

 private:
  enum class Permission { Refused, Granted, AsksUser };
  Permission permitted(Action action, bool secured, std::stop_token stop);
  RadioResult activateUnlessGivenUp(const RadioDevices::WifiDevice& wifi, const ProfileSettings& settings,
                                    const QString& accessPoint, Action action, const std::string& name,
                                    std::stop_token stop);
  RadioResult deactivate(const QString& activePath);
  // A stop for the activation about to start on the device; released with
  // endPending.
  std::stop_token beginPending(const std::string& interfaceId);
  void endPending(const std::string& interfaceId);

  NmClient& client_;
  RadioDevices& devices_;
  const std::chrono::milliseconds timeout_;

  std::mutex pendingMutex_;
  std::map<std::string, std::stop_source> pending_;  // by interface id
};

}  // namespace plat::lnx
