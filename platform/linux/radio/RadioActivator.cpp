#include "linux/radio/RadioActivator.h"

#include <optional>

#include <QDBusObjectPath>

#include "linux/nm/NmActivation.h"
#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"
#include "machine/Awaiting.h"
#include "machine/Refusal.h"

namespace plat::lnx {
namespace {

bool replied(const QDBusMessage& reply) {
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

bool keyRefused(const NmActivation::Outcome& outcome) {
  switch (outcome.deviceReason) {
    case nm::reasonNoSecrets:
    case nm::reasonSupplicantDisconnect:
    case nm::reasonSupplicantFailed:
    case nm::reasonSupplicantTimeout: return true;
    default: break;
  }
  return outcome.activeReason == nm::activeReasonNoSecrets || outcome.activeReason == nm::activeReasonLoginFailed;
}

}  // namespace

RadioActivator::RadioActivator(NmClient& client, RadioDevices& devices, std::chrono::milliseconds timeout)
    : client_(client), devices_(devices), timeout_(timeout) {}

RadioActivator::Permission RadioActivator::permitted(Action action, bool secured, std::stop_token stop) {
  const auto reply = client_.call(nm::managerPath, nm::managerInterface, QStringLiteral("GetPermissions"), {},
                                  NmClient::CallKind::Query, stop);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    // A daemon that fails or does not answer this would not carry out the rest.
    setRefusal(reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")
                   ? networkManagerNotAnswering()
                   : networkManagerFailing(reply.errorMessage()));
    return Permission::Refused;
  }
  if (!replied(reply)) return Permission::Granted;  // NetworkManager itself refuses what is not allowed
  const auto answers = nm::stringMap(nm::firstArgument(reply));
  if (auto refusal = permissionRefusal(answers, action, secured)) {
    setRefusal(*refusal);
    return Permission::Refused;
  }
  return permissionAsksUser(answers, action, secured) ? Permission::AsksUser : Permission::Granted;
}

RadioResult RadioActivator::activate(const RadioDevices::WifiDevice& wifi, const ProfileSettings& settings,
                                     const QString& accessPoint, Action action, const std::string& name) {
  const std::stop_token stop = beginPending(wifi.id);
  const auto result = activateUnlessGivenUp(wifi, settings, accessPoint, action, name, stop);
  endPending(wifi.id);
  return result;
}

RadioResult RadioActivator::activateUnlessGivenUp(const RadioDevices::WifiDevice& wifi,
                                                  const ProfileSettings& settings, const QString& accessPoint,
                                                  Action action, const std::string& name, std::stop_token stop) {
  const bool secured = action == Action::Host ? hotspotSecurity(settings) != NetworkSecurity::Open
                                              : !settings.value(QStringLiteral("802-11-wireless-security")).isEmpty();
  const Permission permission = permitted(action, secured, stop);
  if (permission == Permission::Refused) return RadioResult::Failed;
  const QString devicePath = QString::fromStdString(wifi.device.objectPath);
  NmActivation activation(client_, devicePath);
  // What comes after the caller gave up goes again at once, also when the
  // radio has gone by then.
  const auto late = [&client = client_](const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) return;
    try {
      NmActivation::withdraw(client, nm::objectPath(reply.arguments().at(1)),
                             nm::objectPath(reply.arguments().at(0)));
    } catch (const nm::UnexpectedReply&) {
      // Nothing this client can name to take down; the profile is bound to
      // the client and goes with it.
    }
  };
  // Polkit asks the user while NetworkManager holds the request; the window
  // says so meanwhile.
  std::optional<ScopedAwaiting> asking;
  if (permission == Permission::AsksUser) asking.emplace(Awaiting::Permission);
  // Recorded as the reply arrives, so that the signals of its activation,
  // which come after, find it this instance's own.
  const auto arrived = [&](const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) return;
    try {
      devices_.remember(devicePath, nm::objectPath(reply.arguments().at(1)), nm::objectPath(reply.arguments().at(0)),
                        settings);
    } catch (const nm::UnexpectedReply&) {
      // Read again, and refused, by the caller.
    }
  };
  const auto reply = client_.call(
      nm::managerPath, nm::managerInterface, QStringLiteral("AddAndActivateConnection2"),
      {QVariant::fromValue(settings), QVariant::fromValue(QDBusObjectPath(devicePath)),
       QVariant::fromValue(QDBusObjectPath(nm::isObject(accessPoint) ? accessPoint : nm::noObject)),
       activationOptions()},
      NmClient::CallKind::Action, stop, late, arrived);
  asking.reset();
  if (stop.stop_requested()) {
    devices_.forget(devicePath);
    if (reply.type() == QDBusMessage::ReplyMessage) late(reply);
    setRefusal(givenUp(name));
    return RadioResult::Failed;
  }
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
    setRefusal(reply.errorName() == nm::permissionDenied ? permissionDenied() : networkManagerRefused(reply.errorMessage()));
    return RadioResult::Failed;
  }
  const QString activePath = nm::objectPath(reply.arguments().at(1));
  const QString profilePath = nm::objectPath(reply.arguments().at(0));
  auto outcome = activation.wait(activePath, timeout_, stop);
  // Given up, whatever the activation did meanwhile: Stop WiFi may have
  // taken it down already.
  if (stop.stop_requested()) outcome.result = NmActivation::Result::GivenUp;
  if (outcome.result == NmActivation::Result::Activated) return RadioResult::Ok;
  devices_.forget(devicePath);
  switch (outcome.result) {
    case NmActivation::Result::Activated:
    case NmActivation::Result::GivenUp:
      NmActivation::withdraw(client_, activePath, profilePath);
      setRefusal(givenUp(name));
      return RadioResult::Failed;
    case NmActivation::Result::TimedOut:
      NmActivation::withdraw(client_, activePath, profilePath);
      setRefusal(action == Action::Join && outcome.furthestDeviceState < nm::deviceStateIpConfig
                     ? keyNotAcceptedInTime(name, timeout_)
                     : activationTimedOut(name, timeout_));
      return RadioResult::Failed;
    case NmActivation::Result::NetworkManagerGone:
      setRefusal(networkManagerStopped(name));
      return RadioResult::Failed;
    case NmActivation::Result::Failed: break;
  }
  if (action == Action::Host) {
    setRefusal(hostingFailed(wifi.device, outcome.deviceReason));
    return RadioResult::Failed;
  }
  if (keyRefused(outcome)) {
    setRefusal(wrongKey(name));
    return RadioResult::WrongKey;
  }
  if (outcome.deviceReason == nm::reasonSsidNotFound) {
    setRefusal(notInRange(name));
    return RadioResult::NotVisible;
  }
  setRefusal(joinFailed(name, outcome.deviceReason));
  return RadioResult::Failed;
}

RadioResult RadioActivator::deactivate(const QString& activePath) {
  const auto reply = client_.call(nm::managerPath, nm::managerInterface, QStringLiteral("DeactivateConnection"),
                                  {QVariant::fromValue(QDBusObjectPath(activePath))}, NmClient::CallKind::Action);
  if (reply.type() == QDBusMessage::ReplyMessage) return RadioResult::Ok;
  setRefusal(reply.errorName() == nm::permissionDenied ? permissionDenied() : networkManagerRefused(reply.errorMessage()));
  return RadioResult::Failed;
}

std::stop_token RadioActivator::beginPending(const std::string& interfaceId) {
  std::lock_guard lock(pendingMutex_);
  return pending_.insert_or_assign(interfaceId, std::stop_source()).first->second.get_token();
}

void RadioActivator::endPending(const std::string& interfaceId) {
  std::lock_guard lock(pendingMutex_);
  pending_.erase(interfaceId);
}

void RadioActivator::givePendingUp(const std::string& interfaceId) {
  std::lock_guard lock(pendingMutex_);
  if (const auto pending = pending_.find(interfaceId); pending != pending_.end()) pending->second.request_stop();
}

RadioResult RadioActivator::takeDown(const QString& devicePath, const RadioDevices::ActiveProfile& own) {
  const auto result = deactivate(own.activePath);
  if (result != RadioResult::Ok) return result;
  devices_.forget(devicePath);
  // A volatile profile goes with its activation; this covers one that stayed.
  client_.call(own.profilePath, nm::profileInterface, QStringLiteral("Delete"), {}, NmClient::CallKind::Action);
  return result;
}

}  // namespace plat::lnx
