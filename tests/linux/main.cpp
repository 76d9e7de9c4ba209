// The Linux machine's tests run against a mocked NetworkManager on a
// private bus of this program's own; QtDBus needs an application object to
// deliver signals.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "harness/ChildProcess.h"
#include "harness/NetworkManagerMock.h"
#include "harness/PrivateBus.h"
#include "testkit/TestEnvironment.h"

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
