#include "linux/nm/NmSignalRelay.h"

#include <QDBusPendingCallWatcher>

#include "linux/nm/NmProfiles.h"
#include "linux/radio/RadioPreflight.h"

namespace plat::lnx {

QDBusMessage methodCall(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& arguments) {
  auto message = QDBusMessage::createMethodCall(nm::service, path, interface, method);
  message.setArguments(arguments);
  message.setAutoStartService(false);
  return message;
}

void NmSignalRelay::onReply(const QDBusPendingCall& call, std::function<void(const QDBusMessage&)> read) {
  auto* watcher = new QDBusPendingCallWatcher(call, this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, read = std::move(read)] {
    read(watcher->reply());
    watcher->deleteLater();
  });
}

void NmSignalRelay::fill() {
  const auto call = bus_.asyncCall(
      methodCall(nm::objectManagerPath, nm::objectManagerInterface, QStringLiteral("GetManagedObjects")),
      queryTimeoutMs);
  onReply(call, [this](const QDBusMessage& reply) {
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")) {
      fill();  // still waiting: asked again, the cache still waiting too
      return;
    }
    if (reply.type() == QDBusMessage::ErrorMessage) {
      const bool away = reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
                        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
      client_.cache_.fillFailed(away ? QString() : QString::fromStdString(networkManagerFailing(reply.errorMessage())));
      return;
    }
    try {
      auto objects = nm::managedObjects(nm::firstArgument(reply));
      QStringList profiles;
      for (auto object = objects.constBegin(); object != objects.constEnd(); ++object) {
        if (object->contains(nm::profileInterface)) profiles.append(object.key());
      }
      client_.cache_.fill(std::move(objects));
      for (const QString& profile : profiles) fetchSettings(profile);
    } catch (const nm::UnexpectedReply& unexpected) {
      client_.cache_.fillFailed(QString::fromStdString(nm::replyNotUnderstood(unexpected)));
    }
  });
}

void NmSignalRelay::fetchSettings(const QString& profilePath) {
  const auto call = bus_.asyncCall(methodCall(profilePath, nm::profileInterface, QStringLiteral("GetSettings")),
                                   queryTimeoutMs);
  onReply(call, [this, profilePath](const QDBusMessage& reply) {
    // A profile whose settings cannot be read is kept without any: nobody's
    // this program knows.
    ProfileSettings settings;
    if (reply.type() == QDBusMessage::ReplyMessage) {
      noting("profile settings", [&] { settings = nm::profileSettings(nm::firstArgument(reply)); });
    }
    client_.cache_.setSettings(profilePath, std::move(settings));
  });
}

void NmSignalRelay::interfacesAdded(const QDBusMessage& message) {
  if (message.arguments().size() < 2) return;
  noting("InterfacesAdded signal", [&] {
    const QString path = nm::objectPath(message.arguments().at(0));
    const auto interfaces = nm::interfaceProperties(message.arguments().at(1));
    client_.cache_.add(path, interfaces);
    if (interfaces.contains(nm::profileInterface)) fetchSettings(path);
  });
}

void NmSignalRelay::interfacesRemoved(const QDBusMessage& message) {
  if (message.arguments().size() < 2) return;
  noting("InterfacesRemoved signal", [&] {
    client_.cache_.remove(nm::objectPath(message.arguments().at(0)), nm::texts(message.arguments().at(1)));
  });
}

void NmSignalRelay::propertiesChanged(const QDBusMessage& message) {
  if (message.arguments().size() < 3) return;
  noting("PropertiesChanged signal", [&] {
    const QString interface = nm::text(message.arguments().at(0));
    client_.cache_.change(message.path(), interface, nm::detached(nm::propertyMap(message.arguments().at(1))),
                          nm::texts(message.arguments().at(2)));
  });
}

}  // namespace plat::lnx
