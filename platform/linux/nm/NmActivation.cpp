#include "linux/nm/NmActivation.h"

#include <algorithm>

#include <QDBusObjectPath>

#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"

namespace plat::lnx {
namespace {

constexpr std::uint32_t deviceStateFailed = 120;

}  // namespace

NmActivation::NmActivation(NmClient& client, QString devicePath)
    : client_(client), devicePath_(std::move(devicePath)) {
  NmClient::Listener listener;
  listener.activeStateChanged = [this](const QString& active, std::uint32_t state, std::uint32_t reason) {
    if (state != nm::activeStateActivated && state != nm::activeStateDeactivated) return;
    std::lock_guard lock(mutex_);
    ends_.try_emplace(active, End{state == nm::activeStateActivated, reason});
    changed_.notify_all();
  };
  listener.deviceStateChanged = [this](const QString& device, std::uint32_t newState, std::uint32_t, std::uint32_t reason) {
    if (device != devicePath_) return;
    std::lock_guard lock(mutex_);
    if (newState != deviceStateFailed) {
      furthestDeviceState_ = std::max(furthestDeviceState_, newState);
      return;
    }
    deviceReason_ = reason;
    changed_.notify_all();
  };
  listener.runningChanged = [this](bool running) {
    if (running) return;
    std::lock_guard lock(mutex_);
    networkManagerGone_ = true;
    changed_.notify_all();
  };
  listener_ = client_.addListener(std::move(listener));
}

NmActivation::~NmActivation() { client_.removeListener(listener_); }

NmActivation::Outcome NmActivation::wait(const QString& activePath, std::chrono::milliseconds timeout,
                                         std::stop_token stop) {
  // Covers an activation that ended before its signals could be told apart:
  // the cache has its state.
  if (const auto active = client_.properties(activePath, nm::activeInterface)) {
    const auto state = nm::numberIn(*active, QStringLiteral("State"));
    if (state == nm::activeStateActivated || state == nm::activeStateDeactivated) {
      std::lock_guard lock(mutex_);
      ends_.try_emplace(activePath, End{state == nm::activeStateActivated, 0});
    }
  }

  std::unique_lock lock(mutex_);
  client_.await(changed_, lock, stop, timeout,
                [&] { return ends_.count(activePath) != 0 || deviceReason_ != 0 || networkManagerGone_; });
  if (const auto end = ends_.find(activePath); end != ends_.end()) {
    return {end->second.activated ? Result::Activated : Result::Failed, end->second.reason, deviceReason_};
  }
  if (deviceReason_ != 0) return {Result::Failed, 0, deviceReason_};
  if (networkManagerGone_) return {Result::NetworkManagerGone, 0, 0};
  if (stop.stop_requested()) return {Result::GivenUp, 0, 0};
  return {Result::TimedOut, 0, 0, furthestDeviceState_};
}

void NmActivation::withdraw(NmClient& client, const QString& activePath, const QString& profilePath) {
  if (nm::isObject(activePath)) {
    client.send(nm::managerPath, nm::managerInterface, QStringLiteral("DeactivateConnection"),
                {QVariant::fromValue(QDBusObjectPath(activePath))});
  }
  // A volatile profile goes with its activation; this covers one that stayed.
  if (nm::isObject(profilePath)) client.send(profilePath, nm::profileInterface, QStringLiteral("Delete"));
}

}  // namespace plat::lnx
