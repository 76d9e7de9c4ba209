#include "linux/nm/NmClient.h"

#include <atomic>
#include <set>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QThread>

#include <condition_variable>

#include "linux/nm/NmNames.h"
#include "linux/nm/NmProfiles.h"
#include "linux/nm/NmReplies.h"
#include "linux/nm/NmSignalRelay.h"

namespace plat::lnx {
namespace {

// An action waits for whoever authorises it; the bus's own limit is what
// the waiting caller does not set.
constexpr int actionTimeoutMs = 24 * 3600 * 1000;
// What is left to wait, in total, once the application quits.
constexpr auto quitGrace = std::chrono::milliseconds(2500);

const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");

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

// Connects every client as soon as an application object exists, so that
// NetworkManager's first picture is on its way while the program builds its
// window; a client made later connects as it is made.
void connectAllClients() {
  std::lock_guard lock(clientsMutex());
  for (NmClient* client : clients()) client->connectToBus();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(connectAllClients)

namespace {

QString newConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("brisklane-networkmanager-%1").arg(++counter);
}

// A reply one thread awaits and the client's thread delivers.
struct AwaitedReply {
  std::mutex mutex;
  std::condition_variable_any arrived;
  std::optional<QDBusMessage> reply;
  bool abandoned = false;
  NmClient::LateReply late;
  NmClient::ArrivedReply arrivedHook;

  void deliver(const QDBusMessage& message) {
    NmClient::LateReply withdraw;
    {
      std::lock_guard lock(mutex);
      if (!abandoned) {
        if (arrivedHook) arrivedHook(message);
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
    bus.connect(nm::service, nm::objectManagerPath, nm::objectManagerInterface, QStringLiteral("InterfacesAdded"), relay,
                SLOT(interfacesAdded(QDBusMessage)));
    bus.connect(nm::service, nm::objectManagerPath, nm::objectManagerInterface, QStringLiteral("InterfacesRemoved"), relay,
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
  {
    std::lock_guard lock(clientsMutex());
    clients().insert(this);
  }
  connectToBus();  // when an application object exists already
}

NmClient::~NmClient() {
  {
    std::lock_guard lock(clientsMutex());
    clients().erase(this);
  }
  disconnectFromBus();
}

void NmClient::connectToBus() { bus(); }

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
    expectFill();
    link_ = std::make_unique<Link>(*this, connection, name);
    clientThread_ = &link_->thread;
    quitDeadline_ = Clock::time_point::max().time_since_epoch().count();
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
  clientThread_ = nullptr;
  cache_.clear();
  std::lock_guard lock(linkMutex_);
  disconnecting_ = false;
}

void NmClient::expectFill() {
  cache_.expectFill();
  windowLooked_ = false;
  othersLooked_ = false;
  connectedAt_ = Clock::now().time_since_epoch().count();
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
  // The client's own thread, where the picture arrives, never waits; the
  // window's waits once, until `firstLook` after connecting at most; the
  // others, which carry out actions, wait once for as long as a query may
  // take.
  if (!bus() || QThread::currentThread() == clientThread_.load()) return cache_;
  const QCoreApplication* application = QCoreApplication::instance();
  const bool windowThread = application != nullptr && QThread::currentThread() == application->thread();
  if (windowThread ? !windowLooked_.exchange(true) : !othersLooked_.exchange(true)) {
    const auto connected = Clock::time_point(Clock::duration(connectedAt_.load()));
    const auto wait = windowThread ? connected + firstLook_ - Clock::now()
                                   : Clock::duration(std::chrono::milliseconds(queryTimeoutMs));
    if (wait > Clock::duration::zero()) {
      cache_.waitUntilSettled(std::chrono::duration_cast<std::chrono::milliseconds>(wait));
    }
  }
  return cache_;
}

bool NmClient::networkManagerRunning() {
  // A NetworkManager that is leaving withdraws its objects, the manager too,
  // before it leaves the bus.
  const NmObjectCache& known = objects();
  return known.state() == NmObjectCache::State::Filled && known.properties(nm::managerPath, nm::managerInterface);
}

std::optional<QVariantMap> NmClient::properties(const QString& path, const QString& interface) {
  return objects().properties(path, interface);
}

QDBusMessage NmClient::call(const QString& path, const QString& interface, const QString& method,
                            const QVariantList& arguments, CallKind kind, std::stop_token stop, LateReply late,
                            ArrivedReply arrived) {
  auto message = methodCall(path, interface, method, arguments);
  const bool action = kind == CallKind::Action;
  message.setInteractiveAuthorizationAllowed(action);
  const auto connection = bus();
  if (!connection) {
    return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("The system bus cannot be reached."));
  }
  const int timeoutMs = action ? actionTimeoutMs : queryTimeoutMs;
  auto awaited = std::make_shared<AwaitedReply>();
  awaited->arrivedHook = std::move(arrived);
  {
    std::lock_guard lock(linkMutex_);
    if (!link_) return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("The client disconnected."));
    if (QThread::currentThread() == &link_->thread) {
      // Its reply would arrive on this very thread, which would be waiting.
      return message.createErrorReply(QDBusError::InternalError, QStringLiteral("A call from the client's own thread."));
    }
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
