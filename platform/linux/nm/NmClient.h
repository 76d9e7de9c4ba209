// The Linux machine's one client of NetworkManager: a connection of its own
// to the system bus (DBUS_SYSTEM_BUS_ADDRESS when set), made as soon as both
// the client and a Qt application object exist, and a thread of the
// client's own on which every reply
// and signal arrives. There the client keeps a cache of NetworkManager's
// objects, so that a question about devices, networks or profiles reads
// memory. Actions are sent from any thread and awaited there, for as long
// as the caller allows, which may be as long as a user takes to answer an
// authorisation dialog; the waiting thread may give up, and what arrives
// late is then withdrawn. Once the application is quitting, every wait
// ends within a short grace. The program reads its branding file before the
// Qt application object exists, and QtDBus delivers signals only once one
// does, so the client never connects before that; when the application
// object goes, the client lets go of the bus and connects again at the next
// use, if a new one exists by then.
#pragma once

#include <atomic>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

#include <QDBusConnection>
#include <QThread>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include "linux/nm/NmObjectCache.h"

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
  using Clock = std::chrono::steady_clock;
  // Receives, on the client's thread, the reply to a call whose caller gave
  // up waiting; it may only send.
  using LateReply = std::function<void(const QDBusMessage& reply)>;
  // Receives, on the client's thread, the reply to a call whose caller still
  // waits, before the caller wakes and before any later signal is handed on.
  using ArrivedReply = std::function<void(const QDBusMessage& reply)>;

  // The window's first use waits for NetworkManager's objects until
  // `firstLook` after connecting: one that answers at once has answered by
  // then, and one that does not costs the window no more.
  explicit NmClient(std::chrono::milliseconds firstLook = std::chrono::milliseconds(40));
  ~NmClient();
  NmClient(const NmClient&) = delete;
  NmClient& operator=(const NmClient&) = delete;

  // NetworkManager's objects as last heard, once a first picture of them
  // arrived. The first use after connecting waits for it: briefly on the
  // window's thread, up to a query's time on any other.
  const NmObjectCache& objects();

  // Whether the cache holds NetworkManager's objects: it is on the bus and
  // answered. False also when the bus cannot be reached or no application
  // object exists yet.
  bool networkManagerRunning();

  // A call to NetworkManager, awaited on the calling thread: its reply, or
  // an error message (also when the bus cannot be reached). An Action call
  // allows interactive authorisation and waits until it is answered, unless
  // `stop` is requested or the application quits; then the call ends with a
  // NoReply error and `late` receives the reply when it comes; `arrived`
  // receives it otherwise. Not from the client's thread.
  QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments = {}, CallKind kind = CallKind::Query,
                    std::stop_token stop = {}, LateReply late = {}, ArrivedReply arrived = {});

  // Waits on `changed` (with `lock` held) until `done` holds, `stop` is
  // requested, or `wanted` has passed, cut short to a brief grace once the
  // application quits; whether `done` holds.
  template <class Lock, class Done>
  bool await(std::condition_variable_any& changed, Lock& lock, std::stop_token stop,
             std::chrono::milliseconds wanted, Done done) const {
    const auto start = Clock::now();
    while (!done()) {
      const auto end = deadline(start, wanted);
      const auto now = Clock::now();
      if (now >= end || stop.stop_requested()) return false;
      // Looked at again now and then: the application may start quitting.
      changed.wait_until(lock, stop, std::min(end, now + quitCheckInterval), done);
    }
    return true;
  }

  // Sends a call to NetworkManager without waiting for its reply.
  void send(const QString& path, const QString& interface, const QString& method,
            const QVariantList& arguments = {});

  // Every property of an object's interface, from the cache; none when the
  // object or interface is unknown.
  std::optional<QVariantMap> properties(const QString& path, const QString& interface);

  // This client's unique name on the bus; empty while not connected.
  QString uniqueName();

  // Whether a bus name has an owner now.
  bool nameHasOwner(const QString& name);

  // Hands NetworkManager's signals to `listener` from now on, until
  // removeListener, after which it is no longer called.
  ListenerId addListener(Listener listener);
  void removeListener(ListenerId id);

  // Connects now, when an application object exists, and asks for
  // NetworkManager's objects without waiting for them.
  void connectToBus();

  // Lets go of the bus; the next call connects again. Not from a listener.
  void disconnectFromBus();

 private:
  friend class NmSignalRelay;
  struct Link;

  void dispatchDeviceState(const QString& device, std::uint32_t newState, std::uint32_t oldState,
                           std::uint32_t reason);
  void dispatchActiveState(const QString& active, std::uint32_t state, std::uint32_t reason);
  void dispatchRunning(bool running);
  void applicationQuitting();
  // A first picture was asked for: the next looks wait for it again.
  void expectFill();
  Clock::time_point deadline(Clock::time_point start, std::chrono::milliseconds wanted) const;

  static constexpr auto quitCheckInterval = std::chrono::milliseconds(100);

  std::optional<QDBusConnection> bus();

  const std::chrono::milliseconds firstLook_;
  NmObjectCache cache_;
  std::atomic<QThread*> clientThread_{nullptr};  // the link's
  std::atomic<bool> windowLooked_{false};  // the first looks since connecting
  std::atomic<bool> othersLooked_{false};
  std::atomic<Clock::rep> connectedAt_{0};
  std::atomic<Clock::rep> quitDeadline_{Clock::time_point::max().time_since_epoch().count()};

  std::mutex linkMutex_;  // the two below
  std::unique_ptr<Link> link_;
  bool disconnecting_ = false;

  std::mutex listenersMutex_;  // also held while a listener runs
  std::map<ListenerId, Listener> listeners_;
  ListenerId nextListener_ = 1;
};

}  // namespace plat::lnx
