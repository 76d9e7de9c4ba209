// The Linux machine's one client of NetworkManager: a connection of its own
// to the system bus (DBUS_SYSTEM_BUS_ADDRESS when set), made at the first
// call that needs it, with blocking calls that any thread may make and
// NetworkManager's signals handed to listeners on a thread of the client's
// own. The program reads its branding file before the Qt application object
// exists, and QtDBus delivers signals only once one does, so the client
// never connects before that; when the application object goes, the client
// lets go of the bus and connects again at the next call, if a new one
// exists by then.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

namespace plat::lnx {

class NmSignalRelay;

class NmClient {
 public:
  // What NetworkManager tells; each member may be unset. Called on the
  // client's thread, one call at a time.
  struct Listener {
    // A device (its object path) moved from oldState to newState.
    std::function<void(const QString& device, std::uint32_t newState, std::uint32_t oldState,
                       std::uint32_t reason)>
        deviceStateChanged;
    // An active connection (its object path) reached `state`.
    std::function<void(const QString& active, std::uint32_t state, std::uint32_t reason)> activeStateChanged;
    // NetworkManager left the bus (false) or came (back) onto it (true).
    std::function<void(bool running)> runningChanged;
  };
  using ListenerId = std::uint64_t;

  // How long a call may take: a query answers at once; an action may wait
  // for the user to authorise it in a desktop dialog.
  enum class CallKind { Query, Action };

  NmClient();
  ~NmClient();
  NmClient(const NmClient&) = delete;
  NmClient& operator=(const NmClient&) = delete;

  // Whether NetworkManager is on the bus now; false also when the bus cannot
  // be reached or no application object exists yet.
  bool networkManagerRunning();

  // A blocking call to NetworkManager; its reply, or an error message (also
  // when the bus cannot be reached). An Action call allows interactive
  // authorisation.
  QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments = {}, CallKind kind = CallKind::Query);

  // Sends a call to NetworkManager without waiting for its reply.
  void send(const QString& path, const QString& interface, const QString& method,
            const QVariantList& arguments = {});

  // Every property of an object's interface; none when the call fails.
  // Throws nm::UnexpectedReply when the reply is no property map.
  std::optional<QVariantMap> properties(const QString& path, const QString& interface);

  // This client's unique name on the bus; empty while not connected.
  QString uniqueName();

  // Whether a bus name has an owner now.
  bool nameHasOwner(const QString& name);

  // Hands NetworkManager's signals to `listener` from now on, until
  // removeListener, after which it is no longer called.
  ListenerId addListener(Listener listener);
  void removeListener(ListenerId id);

  // Lets go of the bus; the next call connects again. Not from a listener.
  void disconnectFromBus();

 private:
  friend class NmSignalRelay;
  struct Link;

  void dispatchDeviceState(const QString& device, std::uint32_t newState, std::uint32_t oldState,
                           std::uint32_t reason);
  void dispatchActiveState(const QString& active, std::uint32_t state, std::uint32_t reason);
  void dispatchRunning(bool running);

  std::optional<QDBusConnection> bus();

  std::mutex linkMutex_;  // the two below
  std::unique_ptr<Link> link_;
  bool disconnecting_ = false;

  std::mutex listenersMutex_;  // also held while a listener runs
  std::map<ListenerId, Listener> listeners_;
  ListenerId nextListener_ = 1;
};

}  // namespace plat::lnx
