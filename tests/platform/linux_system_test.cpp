// The Linux machine's operating system, services and Internet access, asked
// through the platform's front and the program's own helpers.
#include <gtest/gtest.h>

#include <ctime>

#include "linux/LinuxInternet.h"
#include "linux/LinuxServices.h"
#include "linux/LinuxSystem.h"
#include "rtl/SysUtils.h"
#include "service/ServiceControl.h"
#include "shellapi.h"
#include "testkit/FakeSystemRoot.h"
#include "testkit/LoopbackPorts.h"
#include "testkit/MixedMachine.h"
#include "testkit/SimMachineBuilder.h"
#include "util/SystemUtils.h"
#include "wininet.h"
#include "winsvc.h"

namespace {

std::uint64_t bootClockMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

class LinuxSystemTest : public testing::Test {
 protected:
  LinuxSystemTest() {
    // The simulated base would answer as Windows XP: every question below
    // must reach the Linux parts.
    machine->systemPart = std::make_unique<plat::lnx::LinuxSystem>(
        "x86_64", [this](const std::string& target) { opened.push_back(target); return true; });
    machine->servicesPart = std::make_unique<plat::lnx::LinuxServices>();
    machine->internetPart = std::make_unique<plat::lnx::LinuxInternet>(root.path());
  }

  testkit::FakeSystemRoot root;
  std::vector<std::string> opened;
  std::shared_ptr<testkit::MixedMachine> machine =
      std::make_shared<testkit::MixedMachine>(testkit::SimMachineBuilder().os(5, 1).build());
  testkit::ScopedMachine scope{machine};
};

TEST_F(LinuxSystemTest, NoKernelReleaseBecomesAWindowsVersion) {
  // Linux 5.1 and 6.1 share their numbers with Windows XP and 7: the version
  // query must not answer with any kernel's, so the tag never claims XP (and
  // the XP service check never runs).
  EXPECT_EQ(GetWindowsVersionTag(), "");
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(info.dwMajorVersion, 0u);
}

TEST_F(LinuxSystemTest, ClockCountsFromBootAndTheDesktopOpensLinks) {
  const std::uint64_t before = bootClockMilliseconds();
  const DWORD ticks = GetTickCount();
  EXPECT_GE(ticks, static_cast<DWORD>(before));
  EXPECT_LE(ticks, static_cast<DWORD>(bootClockMilliseconds()));

  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(ShellExecuteA(nullptr, "open", "mailto:help@example.org", nullptr, nullptr, 0)), 42u);
  EXPECT_EQ(opened, std::vector<std::string>{"mailto:help@example.org"});
}

TEST_F(LinuxSystemTest, TheXpWirelessServiceDoesNotExist) {
  TServiceControl control("wzcsvc", "");
  try {
    control.State();
    FAIL() << "the service was found";
  } catch (const EOSError& error) {
    EXPECT_EQ(error.ErrorCode, ERROR_SERVICE_DOES_NOT_EXIST);
  }
}

TEST_F(LinuxSystemTest, ReachabilityIsAConnectionWithoutARequest) {
  testkit::ListeningPort listening;
  EXPECT_TRUE(InternetCheckConnectionA(listening.url("/").c_str(), FLAG_ICC_FORCE_CONNECTION, 0));
  EXPECT_EQ(listening.takeConnection(), "");

  testkit::RefusingPort refusing;
  SetLastError(0);
  EXPECT_FALSE(InternetCheckConnectionA(refusing.url("/").c_str(), FLAG_ICC_FORCE_CONNECTION, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);

  DWORD state = 0;
  DWORD size = sizeof state;
  ASSERT_TRUE(InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &size));
  EXPECT_EQ(state, INTERNET_STATE_CONNECTED);  // Linux has no off-line mode
}

TEST_F(LinuxSystemTest, ConnectedStateFollowsTheDefaultRoutes) {
  DWORD flags = 0xdeadbeef;
  EXPECT_FALSE(InternetGetConnectedState(&flags, 0));
  EXPECT_EQ(flags, INTERNET_CONNECTION_CONFIGURED);

  root.add(testkit::FakeInterface("ppp0", 7).link(512).state("unknown")).ipv6DefaultRoute("ppp0");
  EXPECT_TRUE(InternetGetConnectedState(&flags, 0));
  EXPECT_EQ(flags, INTERNET_CONNECTION_CONFIGURED | INTERNET_CONNECTION_MODEM);

  root.add(testkit::FakeInterface("wlp2s0", 3).wireless().on("pci")).defaultRoute("wlp2s0", "10.0.0.1");
  EXPECT_TRUE(InternetGetConnectedState(&flags, 0));
  EXPECT_EQ(flags, INTERNET_CONNECTION_CONFIGURED | INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_LAN);
}

}  // namespace
