// The mocked NetworkManager seen from C++ through QtDBus, as the Linux
// machine will see it: activations step by step with their signals, keys
// checked, refusals, a killed client's hotspot cleaned away.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

#include "harness/ChildProcess.h"
#include "harness/NetworkManagerMock.h"
#include "harness/Waiting.h"

namespace {

using namespace nmtest;

const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kWireless = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");

NmSettings hotspotSettings() {
  return {{QStringLiteral("connection"),
           {{QStringLiteral("id"), QStringLiteral("Brisklane")},
            {QStringLiteral("type"), QStringLiteral("802-11-wireless")},
            {QStringLiteral("autoconnect"), false}}},
          {QStringLiteral("802-11-wireless"),
           {{QStringLiteral("ssid"), QByteArray("Brisklane")},
            {QStringLiteral("mode"), QStringLiteral("ap")},
            {QStringLiteral("band"), QStringLiteral("bg")},
            {QStringLiteral("assigned-mac-address"), QStringLiteral("02:1B:2C:3D:4E:5F")}}},
          {QStringLiteral("802-11-wireless-security"),
           {{QStringLiteral("key-mgmt"), QStringLiteral("wpa-psk")}, {QStringLiteral("psk"), QStringLiteral("1234512345")}}},
          {QStringLiteral("ipv4"), {{QStringLiteral("method"), QStringLiteral("shared")}}}};
}

NmSettings joinSettings(const QString& ssid, const QString& passphrase) {
  return {{QStringLiteral("connection"),
           {{QStringLiteral("id"), ssid}, {QStringLiteral("type"), QStringLiteral("802-11-wireless")}}},
          {QStringLiteral("802-11-wireless"), {{QStringLiteral("ssid"), ssid.toUtf8()}}},
          {QStringLiteral("802-11-wireless-security"),
           {{QStringLiteral("key-mgmt"), QStringLiteral("wpa-psk")}, {QStringLiteral("psk"), passphrase}}}};
}

// AddAndActivateConnection2 as a client sends it; returns the reply.
QDBusMessage addAndActivate(QDBusConnection bus, const NmSettings& settings, const QString& device,
                            const QVariantMap& options) {
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kRoot),
                                                     QString::fromLatin1(kService),
                                                     QStringLiteral("AddAndActivateConnection2"));
  call.setArguments({QVariant::fromValue(settings), QVariant::fromValue(QDBusObjectPath(device)),
                     QVariant::fromValue(QDBusObjectPath(QStringLiteral("/"))), options});
  return bus.call(call);
}

const QVariantMap kVolatileBound{{QStringLiteral("persist"), QStringLiteral("volatile")},
                                 {QStringLiteral("bind-activation"), QStringLiteral("dbus-client")}};

MockMachine twoLaptopsInOne() {
  MockMachine machine = MockMachine::laptop();
  machine.devices.push_back(DeviceSpec::wifi("wlan1", "00:1B:2C:3D:4E:60"));
  return machine;
}

TEST(NetworkManagerMock, HotspotActivatesStepByStepAndIsHeardByTheOtherCard) {
  NetworkManagerMock nm(twoLaptopsInOne());
  QDBusConnection client = QDBusConnection::systemBus();
  const QString wlan0 = nm.devicePath(QStringLiteral("wlan0"));
  SignalRecorder deviceStates(client, QString::fromLatin1(kService), wlan0, kDevice, QStringLiteral("StateChanged"));
  SignalRecorder heard(client, QString::fromLatin1(kService), nm.devicePath(QStringLiteral("wlan1")), kWireless,
                       QStringLiteral("AccessPointAdded"));

  const QDBusMessage reply = addAndActivate(client, hotspotSettings(), wlan0, kVolatileBound);
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  const QString active = reply.arguments().value(1).value<QDBusObjectPath>().path();
  SignalRecorder activeStates(client, QString::fromLatin1(kService), active, kActive, QStringLiteral("StateChanged"));

  EXPECT_EQ(nm.deviceState(QStringLiteral("wlan0")), kDisconnected) << "nothing happens before a step";
  QList<uint> reached;
  for (uint state = 0; state != kActivated && reached.size() < 10;) reached.append(state = nm.stepActivation(QStringLiteral("wlan0")));
  EXPECT_EQ(reached, (QList<uint>{kPrepare, kConfig, kIpConfig, kIpCheck, kSecondaries, kActivated}));
  ASSERT_TRUE(deviceStates.waitForCount(reached.size()));
  EXPECT_EQ(deviceStates.firstArguments(), reached);
  ASSERT_TRUE(activeStates.waitForCount(1));
  EXPECT_EQ(activeStates.firstArguments(), QList<uint>{2});  // activated
  ASSERT_TRUE(heard.waitForCount(1));
  const QString heardPoint = heard.messages().value(0).arguments().value(0).value<QDBusObjectPath>().path();
  EXPECT_EQ(nm.property(heardPoint, QStringLiteral("org.freedesktop.NetworkManager.AccessPoint"), QStringLiteral("HwAddress")),
            QStringLiteral("02:1B:2C:3D:4E:5F"));

  const std::vector<Call> sent = nm.calls(QStringLiteral("AddAndActivateConnection2"));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].sender, client.baseService());
  EXPECT_EQ(sent[0].settingsArg(0), hotspotSettings());
  EXPECT_EQ(sent[0].mapArg(3), kVolatileBound);

  SignalRecorder lost(client, QString::fromLatin1(kService), nm.devicePath(QStringLiteral("wlan1")), kWireless,
                      QStringLiteral("AccessPointRemoved"));
  QDBusMessage deactivate = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kRoot),
                                                           QString::fromLatin1(kService), QStringLiteral("DeactivateConnection"));
  deactivate.setArguments({QVariant::fromValue(QDBusObjectPath(active))});
  ASSERT_EQ(client.call(deactivate).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(nm.deviceState(QStringLiteral("wlan0")), kDisconnected);
  EXPECT_EQ(nm.deviceState(QStringLiteral("eth0")), kActivated) << "only the hotspot's device went down";
  EXPECT_EQ(nm.profilePaths().size(), 1) << "the volatile hotspot profile went with its activation";
  EXPECT_TRUE(lost.waitForCount(1)) << "the other card no longer hears it";
}

TEST(NetworkManagerMock, JoiningChecksTheKeyAndThatTheNetworkIsThere) {
  MockMachine machine = MockMachine::laptop();
  NetworkSpec cafe;
  cafe.ssid = "Cafe";
  cafe.bssid = "AA:BB:CC:DD:EE:01";
  cafe.passphrase = "right-key";
  machine.networks.push_back(cafe);
  NetworkManagerMock nm(machine);
  QDBusConnection client = QDBusConnection::systemBus();
  const QString wlan0 = nm.devicePath(QStringLiteral("wlan0"));
  SignalRecorder deviceStates(client, QString::fromLatin1(kService), wlan0, kDevice, QStringLiteral("StateChanged"));
  const QVariantMap volatileProfile{{QStringLiteral("persist"), QStringLiteral("volatile")}};

  ASSERT_EQ(addAndActivate(client, joinSettings(QStringLiteral("Cafe"), QStringLiteral("wrong-key")), wlan0,
                           volatileProfile).type(),
            QDBusMessage::ReplyMessage);
  EXPECT_EQ(nm.completeActivation(QStringLiteral("wlan0")), kDisconnected);
  ASSERT_TRUE(deviceStates.waitForCount(5));
  const QDBusMessage needAuth = deviceStates.messages().value(2);
  const QDBusMessage failed = deviceStates.messages().value(3);
  EXPECT_EQ(needAuth.arguments().value(0).toUInt(), kNeedAuth);
  EXPECT_EQ(failed.arguments().value(0).toUInt(), kFailed);
  EXPECT_EQ(failed.arguments().value(2).toUInt(), kReasonNoSecrets);
  EXPECT_EQ(nm.profilePaths().size(), 1) << "the volatile profile went, the wired one stayed";

  deviceStates.clear();
  ASSERT_EQ(addAndActivate(client, joinSettings(QStringLiteral("Elsewhere"), QStringLiteral("right-key")), wlan0,
                           volatileProfile).type(),
            QDBusMessage::ReplyMessage);
  nm.completeActivation(QStringLiteral("wlan0"));
  ASSERT_TRUE(deviceStates.waitForCount(4));
  EXPECT_EQ(deviceStates.messages().value(2).arguments().value(2).toUInt(), kReasonSsidNotFound);

  ASSERT_EQ(addAndActivate(client, joinSettings(QStringLiteral("Cafe"), QStringLiteral("right-key")), wlan0,
                           volatileProfile).type(),
            QDBusMessage::ReplyMessage);
  EXPECT_EQ(nm.completeActivation(QStringLiteral("wlan0")), kActivated);
  const QString lease = nm.property(wlan0, kDevice, QStringLiteral("Dhcp4Config")).value<QDBusObjectPath>().path();
  const QVariantMap options = qdbus_cast<QVariantMap>(
      nm.property(lease, QStringLiteral("org.freedesktop.NetworkManager.DHCP4Config"), QStringLiteral("Options")));
  EXPECT_EQ(options.value(QStringLiteral("routers")), QStringLiteral("192.168.1.1")) << "the network's router leased it";
}

TEST(NetworkManagerMock, RefusalsNameTheCauseAndChangeNothing) {
  MockMachine machine = MockMachine::laptop();
  machine.devices.push_back(DeviceSpec::wifi("wlan1", "00:1B:2C:3D:4E:61").withoutAccessPoint());
  machine.devices.push_back(DeviceSpec::wifi("wlan2", "00:1B:2C:3D:4E:62").unmanaged());
  machine.permissions["wifi.share.protected"] = "no";
  NetworkManagerMock nm(machine);
  QDBusConnection client = QDBusConnection::systemBus();
  const auto refusal = [&](const QString& interface) {
    const QDBusMessage reply = addAndActivate(client, hotspotSettings(), nm.devicePath(interface), kVolatileBound);
    return (reply.errorName() + QLatin1Char(' ') + reply.errorMessage()).toStdString();
  };

  EXPECT_THAT(refusal(QStringLiteral("wlan1")), testing::HasSubstr("access point mode is not supported"));
  EXPECT_THAT(refusal(QStringLiteral("wlan2")), testing::HasSubstr("strictly unmanaged"));
  EXPECT_THAT(refusal(QStringLiteral("wlan0")), testing::StartsWith("org.freedesktop.NetworkManager.PermissionDenied"));
  const QDBusMessage permissions = client.call(QDBusMessage::createMethodCall(
      QString::fromLatin1(kService), QString::fromLatin1(kRoot), QString::fromLatin1(kService), QStringLiteral("GetPermissions")));
  using Answers = QMap<QString, QString>;
  EXPECT_EQ(qdbus_cast<Answers>(permissions.arguments().value(0))
                .value(QStringLiteral("org.freedesktop.NetworkManager.wifi.share.protected")),
            QStringLiteral("no"));

  nm.setPermission(QStringLiteral("wifi.share.protected"), QStringLiteral("yes"));
  nm.setWirelessHardwareEnabled(false);
  EXPECT_EQ(nm.deviceState(QStringLiteral("wlan0")), kUnavailable);
  EXPECT_EQ(nm.property(QString::fromLatin1(kRoot), QString::fromLatin1(kService), QStringLiteral("WirelessEnabled")), false);
  EXPECT_THAT(refusal(QStringLiteral("wlan0")), testing::HasSubstr("not available"));

  EXPECT_EQ(nm.profilePaths().size(), 1);
  EXPECT_EQ(qdbus_cast<QList<QDBusObjectPath>>(
                nm.property(QString::fromLatin1(kRoot), QString::fromLatin1(kService), QStringLiteral("ActiveConnections")))
                .size(),
            1)
      << "only eth0's";
  EXPECT_EQ(nm.calls(QStringLiteral("AddAndActivateConnection2")).size(), 4u);
}

TEST(NetworkManagerMock, PolkitAsksAnAgentOnlyWhenTheCallerAllowsIt) {
  MockMachine machine = MockMachine::laptop();
  machine.permissions["network-control"] = "auth";
  NetworkManagerMock nm(machine);
  QDBusConnection client = QDBusConnection::systemBus();
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kRoot),
                                                     QString::fromLatin1(kService), QStringLiteral("AddAndActivateConnection2"));
  call.setArguments({QVariant::fromValue(hotspotSettings()),
                     QVariant::fromValue(QDBusObjectPath(nm.devicePath(QStringLiteral("wlan0")))),
                     QVariant::fromValue(QDBusObjectPath(QStringLiteral("/"))), kVolatileBound});

  EXPECT_EQ(client.call(call).errorName(), QStringLiteral("org.freedesktop.NetworkManager.PermissionDenied"));
  EXPECT_TRUE(nm.authorizationRequests().isEmpty());
  call.setInteractiveAuthorizationAllowed(true);
  nm.setAuthorizationAgent(false);
  EXPECT_EQ(client.call(call).errorName(), QStringLiteral("org.freedesktop.NetworkManager.PermissionDenied"));
  nm.setAuthorizationAgent(true);
  EXPECT_EQ(client.call(call).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(nm.authorizationRequests(), QStringList(2, QStringLiteral("org.freedesktop.NetworkManager.network-control")));
}

TEST(NetworkManagerMock, ARestartDropsTheObjectsAndKeepsWhatNetworkManagerKeeps) {
  MockMachine machine = MockMachine::laptop();
  machine.autoActivation = true;
  NetworkManagerMock nm(machine);
  QDBusConnection client = QDBusConnection::systemBus();
  ASSERT_EQ(addAndActivate(client, hotspotSettings(), nm.devicePath(QStringLiteral("wlan0")), kVolatileBound).type(),
            QDBusMessage::ReplyMessage);
  ASSERT_TRUE(waitUntil([&] { return nm.deviceState(QStringLiteral("wlan0")) == kActivated; }));
  NmSettings stored = joinSettings(QStringLiteral("Cafe"), QStringLiteral("right-key"));
  stored[QStringLiteral("connection")][QStringLiteral("uuid")] = QStringLiteral("5b5a4d52-3a6f-4d5e-9c1a-2f1e0d9c8b7a");
  nm.addProfile(stored);

  nm.stop();
  EXPECT_FALSE(client.interface()->isServiceRegistered(QString::fromLatin1(kService)));
  nm.start();
  EXPECT_TRUE(client.interface()->isServiceRegistered(QString::fromLatin1(kService)));
  EXPECT_EQ(nm.deviceState(QStringLiteral("wlan0")), kDisconnected) << "the volatile hotspot did not survive";
  EXPECT_EQ(nm.deviceState(QStringLiteral("eth0")), kActivated);
  const QStringList profiles = nm.profilePaths();
  ASSERT_EQ(profiles.size(), 2);
  EXPECT_EQ(nm.profileSettings(profiles[1])[QStringLiteral("connection")][QStringLiteral("uuid")],
            stored[QStringLiteral("connection")][QStringLiteral("uuid")]);
  EXPECT_FALSE(nm.profileSettings(profiles[1])[QStringLiteral("802-11-wireless-security")].contains(QStringLiteral("psk")))
      << "GetSettings leaves secrets out";
}

TEST(NetworkManagerMock, ASlowNetworkManagerAnswersLateAndActsOnlyThen) {
  const struct {
    const char* name;
    std::chrono::milliseconds delay;
  } cases[] = {{"at once", 0ms}, {"after a second", 1s}, {"never", kNeverAnswer}};
  for (const auto& [name, delay] : cases) {
    SCOPED_TRACE(name);
    MockMachine machine = MockMachine::laptop();
    machine.autoActivation = true;
    NetworkManagerMock nm(machine);
    QDBusConnection client = QDBusConnection::systemBus();
    const QString wlan0 = nm.devicePath(QStringLiteral("wlan0"));
    SignalRecorder deviceStates(client, QString::fromLatin1(kService), wlan0, kDevice, QStringLiteral("StateChanged"));
    nm.setReplyDelay(delay);

    QDBusMessage read = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kRoot),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    read.setArguments({QString::fromLatin1(kService), QStringLiteral("State")});
    QDBusMessage start = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kRoot),
                                                        QString::fromLatin1(kService),
                                                        QStringLiteral("AddAndActivateConnection2"));
    start.setArguments({QVariant::fromValue(hotspotSettings()), QVariant::fromValue(QDBusObjectPath(wlan0)),
                        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/"))), kVolatileBound});
    QElapsedTimer sent;
    sent.start();
    QList<QDBusPendingCall> pending{
        client.asyncCall(read),
        client.asyncCall(QDBusMessage::createMethodCall(QString::fromLatin1(kService), QStringLiteral("/org/freedesktop"),
                                                        QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                                        QStringLiteral("GetManagedObjects"))),
        client.asyncCall(start)};
    ASSERT_TRUE(waitUntil([&] { return nm.calls(QStringLiteral("AddAndActivateConnection2")).size() == 1; }))
        << "the call log shows a call as it arrives";

    if (delay != 0ms) {
      const bool answered = std::ranges::any_of(pending, &QDBusPendingCall::isFinished);
      const uint state = nm.deviceState(QStringLiteral("wlan0"));
      const qsizetype signalled = deviceStates.count();
      // Only what was seen before the delay ran out counts (a slow machine may take longer).
      if (delay < 0ms || std::chrono::milliseconds(sent.elapsed()) < delay) {
        EXPECT_FALSE(answered);
        EXPECT_EQ(state, kDisconnected) << "acted upon before answering";
        EXPECT_EQ(signalled, 0);
      }
      if (delay < 0ms) nm.setReplyDelay(0ms);
    }
    for (QDBusPendingCall& call : pending) {
      call.waitForFinished();
      EXPECT_FALSE(call.isError()) << call.error().message().toStdString();
    }
    EXPECT_TRUE(waitUntil([&] { return nm.deviceState(QStringLiteral("wlan0")) == kActivated; }));
  }
}

// A client that starts a hotspot bound to its bus name and holds it until
// it is killed.
NMTEST_CHILD_ROLE(holdHotspot) {
  const QDBusMessage reply = addAndActivate(QDBusConnection::systemBus(), hotspotSettings(), args.value(0), kVolatileBound);
  if (reply.type() != QDBusMessage::ReplyMessage) return 1;
  std::printf("%s\n", qPrintable(reply.arguments().value(1).value<QDBusObjectPath>().path()));
  std::fflush(stdout);
  return QCoreApplication::exec();
}

TEST(NetworkManagerMock, AKilledClientsBoundHotspotAndItsProfileGo) {
  NetworkManagerMock nm;
  ChildProcess client(QStringLiteral("holdHotspot"), {nm.devicePath(QStringLiteral("wlan0"))});
  const QString active = client.readLine();
  ASSERT_TRUE(active.startsWith(QLatin1String(kRoot)));
  ASSERT_EQ(nm.completeActivation(QStringLiteral("wlan0")), kActivated);
  ASSERT_EQ(nm.profilePaths().size(), 2);

  client.kill();
  EXPECT_TRUE(waitUntil([&] { return nm.deviceState(QStringLiteral("wlan0")) == kDisconnected; }));
  EXPECT_EQ(nm.profilePaths().size(), 1);
  EXPECT_EQ(nm.deviceState(QStringLiteral("eth0")), kActivated);
}

}  // namespace
