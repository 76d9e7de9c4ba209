// The Linux machine's tests run against a mocked NetworkManager on a
// private bus of this program's own; QtDBus needs an application object to
// deliver signals.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "harness/ChildProcess.h"
#include "harness/NetworkManagerMock.h"
#include "harness/PrivateBus.h"
#include "testkit/QtThreadSanitizer.h"
#include "testkit/TestEnvironment.h"

#if defined(__SANITIZE_THREAD__)
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
