// WinInet's reachability queries as the machine answers them.
#include <gtest/gtest.h>

#include "sim/SimInternet.h"
#include "testkit/SimMachineBuilder.h"
#include "wininet.h"

namespace {

std::shared_ptr<plat::sim::SimMachine> machine(bool internet) {
  return testkit::SimMachineBuilder()
      .section("connections", {{{"guid", "{8A3C0F52-6D1E-4B7A-9C2E-1F5D3B7A9E01}"}, {"name", "LAN"}, {"status", 2}, {"internet", internet}}})
      .build();
}

TEST(InternetCheckConnection, AnswersWhetherTheServerCanBeReached) {
  {
    testkit::ScopedMachine scope(machine(true));
    EXPECT_TRUE(InternetCheckConnectionA("http://www.example.com/", FLAG_ICC_FORCE_CONNECTION, 0));
    EXPECT_TRUE(InternetCheckConnectionA("http://www.example.com/", 0, 0));
  }
  testkit::ScopedMachine scope(machine(false));
  SetLastError(0);
  EXPECT_FALSE(InternetCheckConnectionA("http://www.example.com/", FLAG_ICC_FORCE_CONNECTION, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
}

TEST(InternetCheckConnection, RejectsWhatItDoesNotOffer) {
  testkit::ScopedMachine scope(machine(true));
  struct Case {
    LPCSTR url;
    DWORD flags;
    DWORD reserved;
    DWORD error;
  };
  for (const Case& c : {Case{nullptr, FLAG_ICC_FORCE_CONNECTION, 0, ERROR_NOT_SUPPORTED},
                        Case{"", FLAG_ICC_FORCE_CONNECTION, 0, ERROR_INVALID_PARAMETER},
                        Case{"http://www.example.com/", 0x4, 0, ERROR_INVALID_PARAMETER},
                        Case{"http://www.example.com/", FLAG_ICC_FORCE_CONNECTION, 1, ERROR_INVALID_PARAMETER}}) {
    SetLastError(0);
    EXPECT_FALSE(InternetCheckConnectionA(c.url, c.flags, c.reserved));
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST(InternetGetConnectedState, ReportsTheLanAndTheOfflineMode) {
  auto online = machine(true);
  testkit::ScopedMachine scope(online);
  DWORD flags = 0;
  EXPECT_TRUE(InternetGetConnectedState(&flags, 0));
  EXPECT_EQ(flags, INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_CONFIGURED);
  EXPECT_TRUE(InternetGetConnectedState(nullptr, 0));
  online->simInternet().setOffline(true);
  EXPECT_TRUE(InternetGetConnectedState(&flags, 0));
  EXPECT_TRUE(flags & INTERNET_CONNECTION_OFFLINE);
  SetLastError(0);
  EXPECT_FALSE(InternetGetConnectedState(&flags, 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  testkit::ScopedMachine offline(machine(false));
  EXPECT_FALSE(InternetGetConnectedState(&flags, 0));
  EXPECT_EQ(flags, INTERNET_CONNECTION_CONFIGURED);
}

}  // namespace
