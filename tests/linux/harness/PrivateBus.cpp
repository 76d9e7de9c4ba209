#include "harness/PrivateBus.h"

#include <sys/prctl.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

namespace nmtest {

namespace {

std::runtime_error failure(const QString& what) { return std::runtime_error(what.toStdString()); }

// The bus daemon's own identity; empty when the connection is down.
QString busId(const QDBusConnection& bus) {
  const QDBusReply<QString> id = bus.call(QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
      QStringLiteral("GetId")));
  return id.isValid() ? id.value() : QString();
}

}  // namespace

bool isRealSystemBus(const QString& address) {
  return address.isEmpty() || address.contains(QLatin1String("/run/dbus/system_bus_socket"));
}

PrivateBus::PrivateBus() {
  std::ifstream templateFile(PRIVATE_BUS_CONFIG);
  std::string config((std::istreambuf_iterator<char>(templateFile)), std::istreambuf_iterator<char>());
  if (config.find("@DIR@") == std::string::npos) throw failure(QStringLiteral("cannot read %1").arg(QString::fromUtf8(PRIVATE_BUS_CONFIG)));
  config.replace(config.find("@DIR@"), 5, dir_.path().string());
  const auto configFile = dir_ / "bus.conf";
  std::ofstream(configFile) << config;

  daemon_.setProgram(QStringLiteral("dbus-daemon"));
  daemon_.setArguments({QStringLiteral("--config-file=%1").arg(QString::fromStdString(configFile.string())),
                        QStringLiteral("--print-address"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
  daemon_.setStandardErrorFile(QString::fromStdString((dir_ / "bus.err").string()));
  // The daemon ends with this program, even when a test crashes.
  daemon_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
  daemon_.start();
  if (!daemon_.waitForStarted()) throw failure(QStringLiteral("cannot start dbus-daemon: %1").arg(daemon_.errorString()));
  while (!daemon_.canReadLine()) {
    if (!daemon_.waitForReadyRead(10000)) throw failure(QStringLiteral("dbus-daemon printed no address"));
  }
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  if (isRealSystemBus(address_)) throw failure(QStringLiteral("unexpected bus address %1").arg(address_));
  setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toUtf8().constData(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir_ / "no-session-bus").string()).c_str(), 1);
}

PrivateBus::~PrivateBus() {
  daemon_.terminate();
  if (!daemon_.waitForFinished(5000)) daemon_.kill();
  daemon_.waitForFinished();
}

void PrivateBus::verifyIsSystemBus() const {
  const QString name = QStringLiteral("private-bus-check");
  const QString ours = busId(QDBusConnection::connectToBus(address_, name));
  QDBusConnection::disconnectFromBus(name);
  const QString system = busId(QDBusConnection::systemBus());
  if (ours.isEmpty() || system != ours)
    throw failure(QStringLiteral("the system bus Qt uses is not this test program's private bus"));
}

}  // namespace nmtest
