// One activation NetworkManager carries out, followed until it ends:
// activated, or deactivated with the reasons NetworkManager gave, or not
// within the time the caller allows.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <stop_token>

#include <QString>

#include "linux/nm/NmClient.h"

namespace plat::lnx {

class NmActivation {
 public:
  enum class Result { Activated, Failed, TimedOut, NetworkManagerGone, GivenUp };
  struct Outcome {
    Result result = Result::Failed;
    std::uint32_t activeReason = 0;  // NMActiveConnectionStateReason
    std::uint32_t deviceReason = 0;  // NMDeviceStateReason of the device's failure; 0: none seen
    std::uint32_t furthestDeviceState = 0;  // the furthest NMDeviceState the device reached
  };

  // Listens from now on, so create it before asking for the activation on
  // the device (its object path).
  NmActivation(NmClient& client, QString devicePath);
  ~NmActivation();
  NmActivation(const NmActivation&) = delete;
  NmActivation& operator=(const NmActivation&) = delete;

  // Waits until the active connection (its object path) ends its
  // activation, at most `timeout`, until `stop` is requested (GivenUp) or
  // briefly once the application quits (TimedOut).
  Outcome wait(const QString& activePath, std::chrono::milliseconds timeout, std::stop_token stop = {});

  // Takes down, without waiting, what an activation brought up: the active
  // connection and the profile (object paths; either may be none).
  static void withdraw(NmClient& client, const QString& activePath, const QString& profilePath);

 private:
  struct End {
    bool activated = false;
    std::uint32_t reason = 0;
  };

  NmClient& client_;
  const QString devicePath_;
  NmClient::ListenerId listener_ = 0;

  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::map<QString, End> ends_;  // by active connection
  std::uint32_t deviceReason_ = 0;
  std::uint32_t furthestDeviceState_ = 0;
  bool networkManagerGone_ = false;
};

}  // namespace plat::lnx
