// A D-Bus daemon of this test program's own that stands in for the system
// bus: DBUS_SYSTEM_BUS_ADDRESS points at it before anything connects, so
// nothing a test does reaches the machine's real services.
#pragma once

#include <QProcess>
#include <QString>

#include "testkit/TempDir.h"

namespace nmtest {

class PrivateBus {
 public:
  // Starts the daemon and points the system bus (and, to catch code that
  // asks the wrong bus, the session bus) at it. Throws std::runtime_error
  // when the daemon cannot start or the address would be the real system
  // bus.
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const QString& address() const { return address_; }

  // Throws std::runtime_error unless the connection Qt uses as the system
  // bus is this daemon (it would not be if something connected before the
  // address was set).
  void verifyIsSystemBus() const;

 private:
  testkit::TempDir dir_;
  QProcess daemon_;
  QString address_;
};

// True when a D-Bus address names the machine's own system bus socket.
bool isRealSystemBus(const QString& address);

}  // namespace nmtest
