// A mocked NetworkManager on the test program's private bus: the template
// tests/linux/networkmanager.py run by python-dbusmock, and a typed API over
// its control methods. Control and inspection go through a bus connection
// of their own, whose calls the call log leaves out.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <chrono>
#include <vector>

#include "harness/MockMachine.h"
#include "testkit/TempDir.h"

namespace nmtest {

// A profile as NetworkManager passes it: setting name -> property -> value.
using NmSettings = QMap<QString, QVariantMap>;

// Makes NmSettings known to QtDBus; main() calls it once.
void registerDBusTypes();

inline constexpr const char* kService = "org.freedesktop.NetworkManager";
inline constexpr const char* kRoot = "/org/freedesktop/NetworkManager";

// A reply delay for a NetworkManager that hangs: calls stay unanswered.
inline constexpr std::chrono::milliseconds kNeverAnswer{-1};

// Device states and reasons tests compare with (NMDeviceState, NMDeviceStateReason).
enum DeviceState : uint {
  kUnmanaged = 10, kUnavailable = 20, kDisconnected = 30, kPrepare = 40, kConfig = 50, kNeedAuth = 60,
  kIpConfig = 70, kIpCheck = 80, kSecondaries = 90, kActivated = 100, kDeactivating = 110, kFailed = 120
};
enum DeviceStateReason : uint {
  kReasonNone = 0, kReasonNoSecrets = 7, kReasonSupplicantDisconnect = 8, kReasonSharedStartFailed = 18,
  kReasonUserRequested = 39, kReasonSsidNotFound = 53
};

// One method call (or property write) a client made on the mock.
struct Call {
  QString path, interface, member, sender;
  QVariantList args;

  NmSettings settingsArg(int index) const;  // an a{sa{sv}} argument
  QVariantMap mapArg(int index) const;      // an a{sv} argument
};

class NetworkManagerMock {
 public:
  // Starts the mock for this machine and waits until NetworkManager's name
  // is on the bus. Throws std::runtime_error when it does not come up.
  explicit NetworkManagerMock(const MockMachine& machine = MockMachine::laptop());
  ~NetworkManagerMock();
  NetworkManagerMock(const NetworkManagerMock&) = delete;
  NetworkManagerMock& operator=(const NetworkManagerMock&) = delete;

  QDBusConnection connection() const;

  // The machine -------------------------------------------------------------
  QString addDevice(const DeviceSpec& device);  // returns the device's object path
  void removeDevice(const QString& interface);
  void setDeviceManaged(const QString& interface, bool managed);
  void setCarrier(const QString& interface, bool carrier);
  void addNetwork(const NetworkSpec& network);
  void removeNetwork(const QString& bssid);
  void setNetworkStrength(const QString& bssid, uchar strength);
  void setWirelessEnabled(bool enabled);
  void setWirelessHardwareEnabled(bool enabled);
  void setPrimaryConnection(const QString& interface);  // empty: the best default route again
  void setConnectivity(int connectivity);               // -1: follow the primary connection

  // Activations -------------------------------------------------------------
  void setAutoActivation(bool enabled);
  void failNextActivation(uint reason);
  uint stepActivation(const QString& interface);      // the device state reached
  uint completeActivation(const QString& interface);  // the device state it ended in

  // Polkit --------------------------------------------------------------------
  // action: "network-control", "wifi.share.protected", ... (prefix optional);
  // answer: "yes", "no" or "auth".
  void setPermission(const QString& action, const QString& answer);
  void setAuthorizationAgent(bool grants);
  QStringList authorizationRequests();

  // Profiles as something else left them ------------------------------------------
  QString addProfile(const NmSettings& settings, const QString& persist = QStringLiteral("disk"));
  QString activateProfile(const QString& uuid, const QString& interface);  // up at once

  // What clients called ---------------------------------------------------------
  std::vector<Call> calls();
  std::vector<Call> calls(const QString& member);
  void clearCalls();

  // A confused NetworkManager: every reply of the method, or every value of
  // the property, of that name carries a value of `signature` ("a{ss}",
  // "a(o)", ...) from now on; an empty signature restores it.
  void setWrongShape(const QString& name, const QString& signature);
  // A broken NetworkManager: on the bus, but every call answers with the
  // error org.freedesktop.DBus.Error.Failed and this message from now on;
  // an empty message restores it.
  void setFailing(const QString& message);
  // A slow NetworkManager: from now on every call of a client on its objects
  // (property reads and GetManagedObjects too) is answered this much later,
  // and takes effect only then; kNeverAnswer holds them until the delay is
  // set again, which answers them after the new delay. This mock's own
  // reads (deviceState(), property(), ...) are answered at once.
  void setReplyDelay(std::chrono::milliseconds delay);
  // The same for the calls of these methods only, as polkit holds an action
  // while it asks the user.
  void setReplyDelay(std::chrono::milliseconds delay, const QStringList& methods);

  // NetworkManager leaves the bus (objects gone), comes back, or both.
  void stop();
  void start();
  void restart();

  // Reading the mock through NetworkManager's own interface -------------------------
  QString devicePath(const QString& interface);
  uint deviceState(const QString& interface);
  QStringList profilePaths();
  NmSettings profileSettings(const QString& path);
  QVariant property(const QString& path, const QString& interface, const QString& name);

 private:
  QDBusMessage control(const QString& method, const QVariantList& args = {});
  QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& args = {});

  testkit::TempDir dir_;
  QString connectionName_;
  QProcess process_;
  QString owner_;  // the mock's unique name, which keeps the control interface while NetworkManager is stopped
};

}  // namespace nmtest
