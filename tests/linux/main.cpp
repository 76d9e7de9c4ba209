// The Linux machine's tests run against a mocked NetworkManager on a
// private bus of this program's own; QtDBus needs an application object to
// deliver signals.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "harness/ChildProcess.h"
#include "harness/NetworkManagerMock.h"
#include "harness/PrivateBus.h"
#include "testkit/TestEnvironment.h"

#if defined(__SANITIZE_THREAD__)
// Qt, its GLib event loop and libdbus are not built with ThreadSanitizer, so
// it cannot see how they synchronise and would report their own memory
// handling as races. What those libraries do themselves is ignored; races
// in our code are still reported.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6DBus.so.6\n"
         "called_from_lib:libdbus-1.so.3\n"
         "called_from_lib:libglib-2.0.so.0\n";
}

// The harness starts the mock and child programs from a process whose
// threads (Qt's D-Bus thread among them) are running.
extern "C" const char* __tsan_default_options() { return "die_after_fork=0"; }
#endif

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  nmtest::registerDBusTypes();
  if (const auto exitCode = nmtest::runChildRoleIfAsked(argc, argv)) return *exitCode;
  testkit::isolateTestProcess();
  nmtest::PrivateBus bus;
  bus.verifyIsSystemBus();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
