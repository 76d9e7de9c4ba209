#include "harness/NetworkManagerMock.h"

#include <sys/prctl.h>

#include <csignal>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QProcessEnvironment>

#include "harness/Waiting.h"

namespace nmtest {

namespace {

constexpr const char* kMockInterface = "org.freedesktop.DBus.Mock";
constexpr const char* kMockPath = "/org/freedesktop";
constexpr const char* kPython = "/usr/bin/python3";  // Debian's, which has python3-dbusmock

QString fromJson(const nlohmann::json& json) { return QString::fromStdString(json.dump()); }

std::runtime_error failure(const QString& what) { return std::runtime_error(what.toStdString()); }

int connectionCount = 0;

}  // namespace

void registerDBusTypes() { qDBusRegisterMetaType<NmSettings>(); }

NmSettings Call::settingsArg(int index) const { return qdbus_cast<NmSettings>(args.value(index)); }

QVariantMap Call::mapArg(int index) const { return qdbus_cast<QVariantMap>(args.value(index)); }

NetworkManagerMock::NetworkManagerMock(const MockMachine& machine)
    : connectionName_(QStringLiteral("nm-mock-control-%1").arg(++connectionCount)) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
  process_.setProcessEnvironment(environment);
  process_.setProgram(QString::fromLatin1(kPython));
  // A file, since thousands of networks in the air do not fit on a command line.
  std::ofstream(dir_ / "machine.json") << toJson(machine).dump();
  process_.setArguments({QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                         QStringLiteral(NM_MOCK_TEMPLATE), QStringLiteral("-l"),
                         QString::fromStdString((dir_ / "mock.log").string()), QStringLiteral("-p"),
                         fromJson({{"file", (dir_ / "machine.json").string()}})});
  process_.setStandardOutputFile(QProcess::nullDevice());
  process_.setStandardErrorFile(QString::fromStdString((dir_ / "mock.err").string()));
  process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
  process_.start();
  QDBusConnectionInterface* bus = connection().interface();
  const bool up = waitUntil(
      [&] { return process_.state() == QProcess::NotRunning || bus->isServiceRegistered(QString::fromLatin1(kService)); },
      20s);
  if (!up || process_.state() == QProcess::NotRunning) {
    QFile errors(QString::fromStdString((dir_ / "mock.err").string()));
    errors.open(QIODevice::ReadOnly);
    throw failure(QStringLiteral("the NetworkManager mock did not start:\n%1").arg(QString::fromUtf8(errors.readAll())));
  }
  owner_ = bus->serviceOwner(QString::fromLatin1(kService));
}

NetworkManagerMock::~NetworkManagerMock() {
  process_.terminate();
  if (!process_.waitForFinished(5000)) process_.kill();
  process_.waitForFinished();
  QDBusConnection::disconnectFromBus(connectionName_);
  // What went wrong inside the mock outside any call (a failed idle step)
  // would otherwise go unseen.
  QFile errors(QString::fromStdString((dir_ / "mock.err").string()));
  if (errors.open(QIODevice::ReadOnly) && errors.size() > 0)
    std::cerr << "NetworkManager mock reported:\n" << errors.readAll().toStdString() << std::endl;
}

QDBusConnection NetworkManagerMock::connection() const {
  return QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName_);
}

QDBusMessage NetworkManagerMock::control(const QString& method, const QVariantList& args) {
  QDBusMessage message = QDBusMessage::createMethodCall(owner_, QString::fromLatin1(kMockPath),
                                                        QString::fromLatin1(kMockInterface), method);
  message.setArguments(args);
  const QDBusMessage reply = connection().call(message);
  if (reply.type() != QDBusMessage::ReplyMessage)
    throw failure(QStringLiteral("mock %1 failed: %2 %3").arg(method, reply.errorName(), reply.errorMessage()));
  return reply;
}

QDBusMessage NetworkManagerMock::call(const QString& path, const QString& interface, const QString& method,
                                      const QVariantList& args) {
  QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(kService), path, interface, method);
  message.setArguments(args);
  const QDBusMessage reply = connection().call(message);
  if (reply.type() != QDBusMessage::ReplyMessage)
    throw failure(QStringLiteral("%1.%2 failed: %3 %4").arg(interface, method, reply.errorName(), reply.errorMessage()));
  return reply;
}

QString NetworkManagerMock::addDevice(const DeviceSpec& device) {
  return control(QStringLiteral("AddDevice"), {fromJson(toJson(device))}).arguments().value(0).value<QDBusObjectPath>().path();
}

void NetworkManagerMock::removeDevice(const QString& interface) { control(QStringLiteral("RemoveDevice"), {interface}); }

void NetworkManagerMock::setDeviceManaged(const QString& interface, bool managed) {
  control(QStringLiteral("SetDeviceManaged"), {interface, managed});
}

void NetworkManagerMock::setCarrier(const QString& interface, bool carrier) {
  control(QStringLiteral("SetCarrier"), {interface, carrier});
}

void NetworkManagerMock::addNetwork(const NetworkSpec& network) {
  control(QStringLiteral("AddNetwork"), {fromJson(toJson(network))});
}

void NetworkManagerMock::removeNetwork(const QString& bssid) { control(QStringLiteral("RemoveNetwork"), {bssid}); }

void NetworkManagerMock::setNetworkStrength(const QString& bssid, uchar strength) {
  control(QStringLiteral("SetNetworkStrength"), {bssid, QVariant::fromValue(strength)});
}

void NetworkManagerMock::setWirelessEnabled(bool enabled) { control(QStringLiteral("SetWirelessEnabled"), {enabled}); }

void NetworkManagerMock::setWirelessHardwareEnabled(bool enabled) {
  control(QStringLiteral("SetWirelessHardwareEnabled"), {enabled});
}

void NetworkManagerMock::setPrimaryConnection(const QString& interface) {
  control(QStringLiteral("SetPrimaryConnection"), {interface});
}

void NetworkManagerMock::setWrongShape(const QString& name, const QString& signature) {
  control(QStringLiteral("SetWrongShape"), {name, signature});
}

void NetworkManagerMock::setFailing(const QString& message) { control(QStringLiteral("SetFailing"), {message}); }

void NetworkManagerMock::setReplyDelay(std::chrono::milliseconds delay) {
  control(QStringLiteral("SetReplyDelay"), {std::chrono::duration<double>(delay).count()});
}

void NetworkManagerMock::setReplyDelay(std::chrono::milliseconds delay, const QStringList& methods) {
  control(QStringLiteral("SetReplyDelayOf"), {std::chrono::duration<double>(delay).count(), methods});
}

void NetworkManagerMock::setConnectivity(int connectivity) {
  control(QStringLiteral("SetConnectivity"), {connectivity});
}

void NetworkManagerMock::setAutoActivation(bool enabled) { control(QStringLiteral("SetAutoActivation"), {enabled}); }

void NetworkManagerMock::failNextActivation(uint reason) { control(QStringLiteral("FailNextActivation"), {reason}); }

uint NetworkManagerMock::stepActivation(const QString& interface) {
  return control(QStringLiteral("StepActivation"), {interface}).arguments().value(0).toUInt();
}

uint NetworkManagerMock::completeActivation(const QString& interface) {
  return control(QStringLiteral("CompleteActivation"), {interface}).arguments().value(0).toUInt();
}

void NetworkManagerMock::setPermission(const QString& action, const QString& answer) {
  control(QStringLiteral("SetPermission"), {action, answer});
}

void NetworkManagerMock::setAuthorizationAgent(bool grants) {
  control(QStringLiteral("SetAuthorizationAgent"), {grants});
}

QStringList NetworkManagerMock::authorizationRequests() {
  return control(QStringLiteral("AuthorizationRequests")).arguments().value(0).toStringList();
}

QString NetworkManagerMock::addProfile(const NmSettings& settings, const QString& persist) {
  return control(QStringLiteral("AddProfile"), {QVariant::fromValue(settings), persist})
      .arguments()
      .value(0)
      .value<QDBusObjectPath>()
      .path();
}

QString NetworkManagerMock::activateProfile(const QString& uuid, const QString& interface) {
  return control(QStringLiteral("ActivateProfile"), {uuid, interface}).arguments().value(0).value<QDBusObjectPath>().path();
}

std::vector<Call> NetworkManagerMock::calls() {
  const QString self = connection().baseService();
  const QDBusArgument log = control(QStringLiteral("CallLog")).arguments().value(0).value<QDBusArgument>();
  std::vector<Call> result;
  log.beginArray();
  while (!log.atEnd()) {
    Call call;
    log.beginStructure();
    log >> call.path >> call.interface >> call.member >> call.sender >> call.args;
    log.endStructure();
    if (call.sender != self) result.push_back(std::move(call));
  }
  log.endArray();
  return result;
}

std::vector<Call> NetworkManagerMock::calls(const QString& member) {
  std::vector<Call> all = calls();
  std::erase_if(all, [&](const Call& call) { return call.member != member; });
  return all;
}

void NetworkManagerMock::clearCalls() { control(QStringLiteral("ClearCallLog")); }

void NetworkManagerMock::stop() { control(QStringLiteral("Stop")); }

void NetworkManagerMock::start() { control(QStringLiteral("Start")); }

void NetworkManagerMock::restart() { control(QStringLiteral("Restart")); }

QString NetworkManagerMock::devicePath(const QString& interface) {
  const QDBusMessage devices = call(QString::fromLatin1(kRoot), QString::fromLatin1(kService), QStringLiteral("GetDevices"));
  for (const QDBusObjectPath& device : qdbus_cast<QList<QDBusObjectPath>>(devices.arguments().value(0))) {
    if (property(device.path(), QStringLiteral("org.freedesktop.NetworkManager.Device"), QStringLiteral("Interface")) ==
        interface)
      return device.path();
  }
  throw failure(QStringLiteral("no device %1").arg(interface));
}

uint NetworkManagerMock::deviceState(const QString& interface) {
  return property(devicePath(interface), QStringLiteral("org.freedesktop.NetworkManager.Device"), QStringLiteral("State"))
      .toUInt();
}

QStringList NetworkManagerMock::profilePaths() {
  QStringList paths;
  for (const QDBusObjectPath& path :
       qdbus_cast<QList<QDBusObjectPath>>(call(QStringLiteral("/org/freedesktop/NetworkManager/Settings"),
                                                QStringLiteral("org.freedesktop.NetworkManager.Settings"),
                                                QStringLiteral("ListConnections"))
                                               .arguments()
                                               .value(0)))
    paths.append(path.path());
  return paths;
}

NmSettings NetworkManagerMock::profileSettings(const QString& path) {
  return qdbus_cast<NmSettings>(
      call(path, QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection"), QStringLiteral("GetSettings"))
          .arguments()
          .value(0));
}

QVariant NetworkManagerMock::property(const QString& path, const QString& interface, const QString& name) {
  return call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name})
      .arguments()
      .value(0)
      .value<QDBusVariant>()
      .variant();
}

}  // namespace nmtest
