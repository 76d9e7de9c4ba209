#include "linux/nm/NmClient.h"

#include <atomic>
#include <cstdio>
#include <set>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusPendingCallWatcher>
#include <QThread>

#include <condition_variable>

#include "linux/nm/NmNames.h"
#include "linux/nm/NmProfiles.h"
#include "linux/nm/NmReplies.h"
#include "linux/radio/RadioPreflight.h"

namespace plat::lnx {

// Receives NetworkManager's replies and signals on the client's thread,
// keeps the client's cache current from them and hands the rest on.
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
    client_.cache_.clear();
    if (running) fill();
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

namespace {

constexpr int queryTimeoutMs = 10'000;
// An action waits for whoever authorises it; the bus's own limit is what
// the waiting caller does not set.
constexpr int actionTimeoutMs = 24 * 3600 * 1000;
// What is left to wait, in total, once the application quits.
constexpr auto quitGrace = std::chrono::milliseconds(2500);

const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");
const QString objectManagerPath = QStringLiteral("/org/freedesktop");
const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");

// Every client, so that the application object's end can make them let go
// of the bus while QtDBus still works. Never destroyed: a client may live in
// the machine that static destruction ends after these.
std::mutex& clientsMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::set<NmClient*>& clients() {
  static auto* all = new std::set<NmClient*>;
  return *all;
}

void disconnectAllClients() {
  std::lock_guard lock(clientsMutex());
  for (NmClient* client : clients()) client->disconnectFromBus();
}

QString newConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("brisklane-networkmanager-%1").arg(++counter);
}

QDBusMessage methodCall(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& arguments = {}) {
  auto message = QDBusMessage::createMethodCall(nm::service, path, interface, method);
  message.setArguments(arguments);
  message.setAutoStartService(false);
  return message;
}

template <class Read>
void noting(const char* what, Read read) {
  try {
    read();
  } catch (const nm::UnexpectedReply& reply) {
    std::fprintf(stderr, "brisklane: NetworkManager's %s was left unread: %s\n", what, reply.what());
  }
}

// A reply one thread awaits and the client's thread delivers.
struct AwaitedReply {
  std::mutex mutex;
  std::condition_variable_any arrived;
  std::optional<QDBusMessage> reply;
  bool abandoned = false;
  NmClient::LateReply late;

  void deliver(const QDBusMessage& message) {
    NmClient::LateReply withdraw;
    {
      std::lock_guard lock(mutex);
      if (!abandoned) {
        reply = message;
        arrived.notify_all();
        return;
      }
      withdraw = std::move(late);
    }
    if (withdraw) withdraw(message);
  }
};

}  // namespace

void NmSignalRelay::onReply(const QDBusPendingCall& call, std::function<void(const QDBusMessage&)> read) {
  auto* watcher = new QDBusPendingCallWatcher(call, this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, read = std::move(read)] {
    read(watcher->reply());
    watcher->deleteLater();
  });
}

void NmSignalRelay::fill() {
  const auto call = bus_.asyncCall(
      methodCall(objectManagerPath, objectManagerInterface, QStringLiteral("GetManagedObjects")), queryTimeoutMs);
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

struct NmClient::Link {
  QString name;
  QDBusConnection bus;
  QThread thread;
  NmSignalRelay* relay = nullptr;  // lives on `thread`, deleted as it ends

  Link(NmClient& client, QDBusConnection connection, QString connectionName)
      : name(std::move(connectionName)), bus(std::move(connection)) {
    relay = new NmSignalRelay(client, bus);
    relay->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, relay, &QObject::deleteLater);
    thread.setObjectName(QStringLiteral("NetworkManager"));
    // Subscribed before the thread starts: from then on only that thread
    // touches the relay. Signals that come first wait in its queue.
    // An empty path stands for every object of NetworkManager.
    bus.connect(nm::service, QString(), nm::deviceInterface, QStringLiteral("StateChanged"), relay,
                SLOT(deviceStateChanged(uint, uint, uint, QDBusMessage)));
    bus.connect(nm::service, QString(), nm::activeInterface, QStringLiteral("StateChanged"), relay,
                SLOT(activeStateChanged(uint, uint, QDBusMessage)));
    bus.connect(nm::service, objectManagerPath, objectManagerInterface, QStringLiteral("InterfacesAdded"), relay,
                SLOT(interfacesAdded(QDBusMessage)));
    bus.connect(nm::service, objectManagerPath, objectManagerInterface, QStringLiteral("InterfacesRemoved"), relay,
                SLOT(interfacesRemoved(QDBusMessage)));
    bus.connect(nm::service, QString(), nm::propertiesInterface, QStringLiteral("PropertiesChanged"), relay,
                SLOT(propertiesChanged(QDBusMessage)));
    bus.connect(nm::service, QString(), nm::profileInterface, QStringLiteral("Updated"), relay,
                SLOT(profileUpdated(QDBusMessage)));
    bus.connect(busService, busPath, busService, QStringLiteral("NameOwnerChanged"), QStringList{nm::service},
                QString(), relay, SLOT(nameOwnerChanged(QString, QString, QString)));
    // Asked after subscribing: what changes meanwhile is in the picture, or
    // arrives after it.
    QMetaObject::invokeMethod(relay, [r = relay] { r->fill(); }, Qt::QueuedConnection);
    thread.start();
  }

  ~Link() {
    thread.quit();
    thread.wait();
    QDBusConnection::disconnectFromBus(name);
  }
};

NmClient::NmClient(std::chrono::milliseconds firstLook) : firstLook_(firstLook) {
  std::lock_guard lock(clientsMutex());
  clients().insert(this);
}

NmClient::~NmClient() {
  {
    std::lock_guard lock(clientsMutex());
    clients().erase(this);
  }
  disconnectFromBus();
}

std::optional<QDBusConnection> NmClient::bus() {
  std::lock_guard lock(linkMutex_);
  if (link_ && !link_->bus.isConnected()) link_.reset();  // the bus went away
  if (!link_) {
    // A listener still running while the client lets go must not connect anew.
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || disconnecting_) return std::nullopt;
    const QString name = newConnectionName();
    QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
    if (!connection.isConnected()) {
      QDBusConnection::disconnectFromBus(name);
      cache_.fillFailed(QStringLiteral("The system bus cannot be reached."));
      return std::nullopt;
    }
    registerProfileTypes();
    link_ = std::make_unique<Link>(*this, connection, name);
    quitDeadline_ = Clock::time_point::max().time_since_epoch().count();
    waitedForFill_ = false;
    QObject::connect(application, &QCoreApplication::aboutToQuit, link_->relay, [this] { applicationQuitting(); },
                     Qt::DirectConnection);
    // Registered anew for each application object, as each runs the list once.
    qRemovePostRoutine(disconnectAllClients);
    qAddPostRoutine(disconnectAllClients);
  }
  return link_->bus;
}

void NmClient::disconnectFromBus() {
  std::unique_ptr<Link> link;
  {
    std::lock_guard lock(linkMutex_);
    link = std::move(link_);
    disconnecting_ = true;
  }
  // Ended outside the lock: a listener running on the client's thread may
  // be waiting for it.
  link.reset();
  cache_.clear();
  std::lock_guard lock(linkMutex_);
  disconnecting_ = false;
}

void NmClient::applicationQuitting() {
  auto until = (Clock::now() + quitGrace).time_since_epoch().count();
  auto current = quitDeadline_.load();
  while (until < current && !quitDeadline_.compare_exchange_weak(current, until)) {
  }
}

NmClient::Clock::time_point NmClient::deadline(Clock::time_point start, std::chrono::milliseconds wanted) const {
  const auto quit = Clock::time_point(Clock::duration(quitDeadline_.load()));
  return wanted >= quit - start ? quit : start + wanted;
}

const NmObjectCache& NmClient::objects() {
  if (bus() && !waitedForFill_.exchange(true)) cache_.waitUntilSettled(firstLook_);
  return cache_;
}

bool NmClient::networkManagerRunning() { return objects().state() == NmObjectCache::State::Filled; }

std::optional<QVariantMap> NmClient::properties(const QString& path, const QString& interface) {
  return objects().properties(path, interface);
}

QDBusMessage NmClient::call(const QString& path, const QString& interface, const QString& method,
                            const QVariantList& arguments, CallKind kind, std::stop_token stop, LateReply late) {
  auto message = methodCall(path, interface, method, arguments);
  const bool action = kind == CallKind::Action;
  message.setInteractiveAuthorizationAllowed(action);
  const auto connection = bus();
  if (!connection) {
    return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("The system bus cannot be reached."));
  }
  const int timeoutMs = action ? actionTimeoutMs : queryTimeoutMs;
  auto awaited = std::make_shared<AwaitedReply>();
  {
    std::lock_guard lock(linkMutex_);
    if (!link_) return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("The client disconnected."));
    NmSignalRelay* relay = link_->relay;
    QMetaObject::invokeMethod(
        relay,
        [relay, connection = *connection, message, timeoutMs, awaited] {
          relay->onReply(connection.asyncCall(message, timeoutMs),
                         [awaited](const QDBusMessage& reply) { awaited->deliver(reply); });
        },
        Qt::QueuedConnection);
  }
  std::unique_lock lock(awaited->mutex);
  if (await(awaited->arrived, lock, stop, std::chrono::milliseconds(timeoutMs),
            [&] { return awaited->reply.has_value(); })) {
    return *awaited->reply;
  }
  awaited->abandoned = true;
  awaited->late = std::move(late);
  return message.createErrorReply(QDBusError::NoReply,
                                  stop.stop_requested() ? QStringLiteral("The wait was given up.")
                                                        : QStringLiteral("NetworkManager did not answer in time."));
}

void NmClient::send(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments) {
  if (const auto connection = bus()) connection->send(methodCall(path, interface, method, arguments));
}

QString NmClient::uniqueName() {
  const auto connection = bus();
  return connection ? connection->baseService() : QString();
}

bool NmClient::nameHasOwner(const QString& name) {
  const auto connection = bus();
  if (!connection) return false;
  auto message = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("NameHasOwner"));
  message.setArguments({name});
  const auto reply = connection->call(message, QDBus::Block, queryTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         reply.arguments().constFirst().toBool();
}

NmClient::ListenerId NmClient::addListener(Listener listener) {
  std::lock_guard lock(listenersMutex_);
  const ListenerId id = nextListener_++;
  listeners_.emplace(id, std::move(listener));
  return id;
}

void NmClient::removeListener(ListenerId id) {
  std::lock_guard lock(listenersMutex_);
  listeners_.erase(id);
}

void NmClient::dispatchDeviceState(const QString& device, std::uint32_t newState, std::uint32_t oldState,
                                   std::uint32_t reason) {
  std::lock_guard lock(listenersMutex_);
  for (const auto& [id, listener] : listeners_) {
    if (listener.deviceStateChanged) noting("signal", [&] { listener.deviceStateChanged(device, newState, oldState, reason); });
  }
}

void NmClient::dispatchActiveState(const QString& active, std::uint32_t state, std::uint32_t reason) {
  std::lock_guard lock(listenersMutex_);
  for (const auto& [id, listener] : listeners_) {
    if (listener.activeStateChanged) noting("signal", [&] { listener.activeStateChanged(active, state, reason); });
  }
}

void NmClient::dispatchRunning(bool running) {
  std::lock_guard lock(listenersMutex_);
  for (const auto& [id, listener] : listeners_) {
    if (listener.runningChanged) noting("signal", [&] { listener.runningChanged(running); });
  }
}

}  // namespace plat::lnx

#include "NmClient.moc"
