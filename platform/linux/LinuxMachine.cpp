#include "linux/LinuxMachine.h"

#include <cstdio>

#include <QCoreApplication>

#include "linux/nm/NmReplies.h"

namespace plat::lnx {
namespace {

NmRadio::Options radioOptions(NmRadio::Options options, LinuxNetwork& network) {
  options.sharesInternetTo = [&network](const std::string& interfaceId) {
    return network.sharesInternetInto(interfaceId);
  };
  return options;
}

}  // namespace

LinuxMachine::LinuxMachine() : LinuxMachine(Options{}) {}

LinuxMachine::LinuxMachine(Options options)
    : client_(options.firstLook),
      inventory_(client_),
      backends_(options.backends(inventory_)),
      radio_(client_, inventory_, radioOptions(std::move(options.radio), *backends_.network)) {}

LinuxMachine::~LinuxMachine() = default;

SystemBackend& LinuxMachine::system() { return *backends_.system; }

RegistryBackend& LinuxMachine::registry() { return *backends_.registry; }

RadioBackend& LinuxMachine::radio() {
  removeLeftoversOnce();
  return guardedRadio_;
}

NetworkBackend& LinuxMachine::network() {
  removeLeftoversOnce();
  return *backends_.network;
}

ServiceBackend& LinuxMachine::services() { return *backends_.services; }

InternetBackend& LinuxMachine::internet() { return *backends_.internet; }

MachineDescription LinuxMachine::description() const {
  return {.name = "This computer, Linux with NetworkManager", .notice = "", .detail = ""};
}

void LinuxMachine::removeLeftoversOnce() {
  if (leftoversRemoved_ || QCoreApplication::instance() == nullptr) return;
  std::lock_guard lock(leftoversMutex_);
  if (leftoversRemoved_) return;
  try {
    // Tried again at the next use until NetworkManager's profiles are in.
    const auto liveHotspot = radio_.removeLeftovers();
    if (!liveHotspot) return;
    if (!*liveHotspot) backends_.network->resetSharing();
  } catch (const nm::UnexpectedReply& reply) {
    // Nothing is swept when what is there cannot be read; the call that
    // brought us here goes on, and says so itself if it meets the same.
    std::fprintf(stderr, "brisklane: what earlier runs left in NetworkManager stays: %s\n",
                 nm::replyNotUnderstood(reply).c_str());
  }
  leftoversRemoved_ = true;
}

}  // namespace plat::lnx
