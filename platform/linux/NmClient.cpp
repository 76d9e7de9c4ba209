#include "linux/NmClient.h"

#include <atomic>
#include <cstdio>
#include <set>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QThread>

#include "linux/NmNames.h"
#include "linux/NmReplies.h"

namespace plat::lnx {

// Receives NetworkManager's signals on the client's thread and hands them on.
class NmSignalRelay : public QObject {
  Q_OBJECT

 public:
  explicit NmSignalRelay(NmClient& client) : client_(client) {}

 public Q_SLOTS:
  void deviceStateChanged(uint newState, uint oldState, uint reason, const QDBusMessage& message) {
    client_.dispatchDeviceState(message.path(), newState, oldState, reason);
  }
  void activeStateChanged(uint state, uint reason, const QDBusMessage& message) {
    client_.dispatchActiveState(message.path(), state, reason);
  }
  void nameOwnerChanged(const QString& name, const QString& /*oldOwner*/, const QString& newOwner) {
    if (name == nm::service) client_.dispatchRunning(!newOwner.isEmpty());
  }

 private:
  NmClient& client_;
};

namespace {

constexpr int queryTimeoutMs = 10'000;
// Long enough for a user to answer the desktop's authorisation dialog.
constexpr int actionTimeoutMs = 120'000;

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

QString newConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("brisklane-networkmanager-%1").arg(++counter);
}

}  // namespace

struct NmClient::Link {
  QString name;
  QDBusConnection bus;
  QThread thread;
  NmSignalRelay* relay = nullptr;  // lives on `thread`, deleted as it ends

  Link(NmClient& client, QDBusConnection connection, QString connectionName)
      : name(std::move(connectionName)), bus(std::move(connection)) {
    relay = new NmSignalRelay(client);
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
    bus.connect(busService, busPath, busService, QStringLiteral("NameOwnerChanged"), QStringList{nm::service},
                QString(), relay, SLOT(nameOwnerChanged(QString, QString, QString)));
    thread.start();
  }

  ~Link() {
    thread.quit();
    thread.wait();
    QDBusConnection::disconnectFromBus(name);
  }
};

NmClient::NmClient() {
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
    if (QCoreApplication::instance() == nullptr || disconnecting_) return std::nullopt;
    const QString name = newConnectionName();
    QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
    if (!connection.isConnected()) {
      QDBusConnection::disconnectFromBus(name);
      return std::nullopt;
    }
    link_ = std::make_unique<Link>(*this, connection, name);
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
  // be making a call.
  link.reset();
  std::lock_guard lock(linkMutex_);
  disconnecting_ = false;
}

bool NmClient::networkManagerRunning() { return nameHasOwner(nm::service); }

QDBusMessage NmClient::call(const QString& path, const QString& interface, const QString& method,
                            const QVariantList& arguments, CallKind kind) {
  auto message = QDBusMessage::createMethodCall(nm::service, path, interface, method);
  message.setArguments(arguments);
  message.setAutoStartService(false);
  const bool action = kind == CallKind::Action;
  message.setInteractiveAuthorizationAllowed(action);
  const auto connection = bus();
  if (!connection) {
    return message.createErrorReply(QDBusError::Disconnected, QStringLiteral("The system bus cannot be reached."));
  }
  return connection->call(message, QDBus::Block, action ? actionTimeoutMs : queryTimeoutMs);
}

void NmClient::send(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments) {
  auto message = QDBusMessage::createMethodCall(nm::service, path, interface, method);
  message.setArguments(arguments);
  message.setAutoStartService(false);
  if (const auto connection = bus()) connection->send(message);
}

std::optional<QVariantMap> NmClient::properties(const QString& path, const QString& interface) {
  const auto reply = call(path, nm::propertiesInterface, QStringLiteral("GetAll"), {interface});
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
  return nm::propertyMap(reply.arguments().constFirst());
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

namespace {

// A listener that meets a reply it cannot read skips that signal; the next
// call of the program's meets it too and says so.
template <class Call>
void noting(Call call) {
  try {
    call();
  } catch (const nm::UnexpectedReply& reply) {
    std::fprintf(stderr, "brisklane: a NetworkManager signal was left unhandled: %s\n", reply.what());
  }
}

}  // namespace

void NmClient::dispatchDeviceState(const QString& device, std::uint32_t newState, std::uint32_t oldState,
                                   std::uint32_t reason) {
  std::lock_guard lock(listenersMutex_);
  for (const auto& [id, listener] : listeners_) {
    if (listener.deviceStateChanged) noting([&] { listener.deviceStateChanged(device, newState, oldState, reason); });
  }
}

void NmClient::dispatchActiveState(const QString& active, std::uint32_t state, std::uint32_t reason) {
  std::lock_guard lock(listenersMutex_);
  for (const auto& [id, listener] : listeners_) {
    if (listener.activeStateChanged) noting([&] { listener.activeStateChanged(active, state, reason); });
  }
}

void NmClient::dispatchRunning(bool running) {
  std::lock_guard lock(listenersMutex_);
  for (const auto& [id, listener] : listeners_) {
    if (listener.runningChanged) noting([&] { listener.runningChanged(running); });
  }
}

}  // namespace plat::lnx

#include "NmClient.moc"
