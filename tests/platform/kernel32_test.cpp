// Version, 64-bit query, system error texts and file versions.
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "rtl/SysUtils.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "windows.h"

namespace {

TEST(GetVersionEx, FillsTheRecordFromTheMachineAndChecksItsSize) {
  testkit::ScopedMachine scope(testkit::SimMachineBuilder().os(5, 1).build());
  OSVERSIONINFOA info;
  std::memset(&info, 0xCD, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.szCSDVersion[127], '\0');

  info.dwOSVersionInfoSize = 156;  // the extended record is not supported
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(IsWow64Process, IsFoundByNameOnlyWhereTheSystemHasIt) {
  auto lookup = [] {
    return reinterpret_cast<LPFN_ISWOW64PROCESS>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process"));
  };
  {
    testkit::ScopedMachine scope(testkit::SimMachineBuilder().os(5, 1, nullptr).build());
    SetLastError(0xdeadbeef);
    EXPECT_EQ(lookup(), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  }
  testkit::ScopedMachine scope(testkit::SimMachineBuilder().os(6, 1, true).build());
  auto isWow64 = lookup();
  ASSERT_NE(isWow64, nullptr);
  BOOL wow64 = FALSE;
  EXPECT_TRUE(isWow64(GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64);
  EXPECT_EQ(GetProcAddress(GetModuleHandleA("kernel32"), "CreateFileA"), nullptr);
  EXPECT_EQ(GetModuleHandleA("user32"), nullptr);
}

TEST(OSError, CarriesTheCodeAndThePlatformText) {
  EXPECT_STREQ(EOSError(5).what(), "System Error.  Code: 5.\r\nAccess is denied");
  EXPECT_STREQ(EOSError(0).what(), "A call to an OS function failed");
  EXPECT_STREQ(EOSError(4242).what(), "System Error.  Code: 4242.\r\n");
  SetLastError(ERROR_NO_DATA);
  try {
    RaiseLastOSError();
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ERROR_NO_DATA);
  }
}

TEST(LastError, IsKeptPerThread) {
  SetLastError(7);
  std::thread([] { EXPECT_EQ(GetLastError(), 0u); }).join();
  EXPECT_EQ(GetLastError(), 7u);
}

TEST(FileVersion, TheProgramCarriesTheProjectVersionAndOtherFilesNone) {
  const std::string program = std::string(BRISKLANE_PROGRAM_DIR) + "/brisklane";
  DWORD handle = 1;
  DWORD size = GetFileVersionInfoSizeA(program.c_str(), &handle);
  ASSERT_GT(size, 0u);
  EXPECT_EQ(handle, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  auto* info = static_cast<VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(info->dwSignature, VS_FFI_SIGNATURE);
  EXPECT_NE(info->dwFileVersionMS, 0u);
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo", &value, &length));

  testkit::TempDir dir;
  std::ofstream(dir / "plain.txt") << "no version here";
  EXPECT_EQ(GetFileVersionInfoSizeA((dir / "plain.txt").c_str(), &handle), 0u);
  EXPECT_EQ(GetFileVersionInfoSizeA((dir / "missing").c_str(), &handle), 0u);
  // This test program is built without the version note.
  EXPECT_EQ(GetFileVersionInfoSizeA("/proc/self/exe", &handle), 0u);
}

TEST(Sleep, AdvancesASimulatedClockWithoutWaiting) {
  auto machine = testkit::SimMachineBuilder().simulatedClock().build();
  testkit::ScopedMachine scope(machine);
  const DWORD before = GetTickCount();
  Sleep(30000);
  EXPECT_EQ(GetTickCount() - before, 30000u);
}

}  // namespace
