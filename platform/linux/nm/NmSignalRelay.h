// Receives NetworkManager's replies and signals on the client's thread,
// keeps the client's cache current from them and hands the rest on.
#pragma once

#include <cstdio>
#include <functional>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <QVariantList>

#include "linux/nm/NmClient.h"
#include "linux/nm/NmNames.h"
#include "linux/nm/NmReplies.h"

namespace plat::lnx {

inline constexpr int queryTimeoutMs = 10'000;

// A call of NetworkManager's that does not start it when it is away.
QDBusMessage methodCall(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& arguments = {});

// Runs `read`; a reply it does not understand is noted on stderr and left.
template <class Read>
void noting(const char* what, Read read) {
  try {
    read();
  } catch (const nm::UnexpectedReply& reply) {
    std::fprintf(stderr, "brisklane: NetworkManager's %s was left unread: %s\n", what, reply.what());
  }
}

class NmSignalRelay : public QObject {
  Q_OBJECT

 public:
  NmSignalRelay(NmClient& client, QDBusConnection bus) : client_(client), bus_(std::move(bus)) {}

  // Asks for the first picture of NetworkManager's objects.
  void fill();
  // Runs `read` on a pending call's reply once it arrives; on the
  // relay's thread.
  void onReply(const QDBusPendingCall& call, std::function<void(const QDBusMessage&)> read);

 public Q_SLOTS:
  // The state goes into the cache first: what a listener asks then finds it.
  void deviceStateChanged(uint newState, uint oldState, uint reason, const QDBusMessage& message) {
    client_.cache_.change(message.path(), nm::deviceInterface, {{QStringLiteral("State"), newState}}, {});
    client_.dispatchDeviceState(message.path(), newState, oldState, reason);
  }
  void activeStateChanged(uint state, uint reason, const QDBusMessage& message) {
    client_.cache_.change(message.path(), nm::activeInterface, {{QStringLiteral("State"), state}}, {});
    client_.dispatchActiveState(message.path(), state, reason);
  }
  void nameOwnerChanged(const QString& name, const QString& /*oldOwner*/, const QString& newOwner) {
    if (name != nm::service) return;
    const bool running = !newOwner.isEmpty();
    if (running) {
      client_.expectFill();  // back: the next looks wait for its objects again
      fill();
    } else {
      client_.cache_.clear();
    }
    client_.dispatchRunning(running);
  }
  // Signals are taken whatever their arguments, which are checked here.
  void interfacesAdded(const QDBusMessage& message);
  void interfacesRemoved(const QDBusMessage& message);
  void propertiesChanged(const QDBusMessage& message);
  void profileUpdated(const QDBusMessage& message) { fetchSettings(message.path()); }

 private:
  void fetchSettings(const QString& profilePath);

  NmClient& client_;
  QDBusConnection bus_;
};

}  // namespace plat::lnx
