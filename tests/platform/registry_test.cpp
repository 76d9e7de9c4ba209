// Conformance of the registry functions and the runtime's registry class on
// every kind of machine, and the simulated registry's own model.
#include <cstring>
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rtl/Registry.h"
#include "store/RegistryStore.h"
#include "testkit/ConformanceMachines.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "winreg.h"

namespace {

constexpr char runKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// A key of the program's own, with a text and a number.
constexpr char ownKey[] = "SOFTWARE\\Brisklane";

class RegistryTest : public testkit::ConformanceTest {
 protected:
  void SetUp() override {
    ARRANGE_MACHINE(testkit::SimMachineBuilder()
                        .registryValue(ownKey, "Other", "C:\\other.exe")
                        .registryValue(ownKey, "Count", 7)
                        .json());
  }
};
INSTANTIATE_CONFORMANCE_SUITE(RegistryTest);

TEST_P(RegistryTest, OpenMissingKeyFailsWithFileNotFoundAndNullHandle) {
  HKEY key = reinterpret_cast<HKEY>(0xdeadbeef);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

TEST_P(RegistryTest, KeyAndValueNamesCompareWithoutCase) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\BRISKLANE", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "OTHER", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, sizeof "C:\\other.exe");
  RegCloseKey(key);
}

TEST_P(RegistryTest, QueryWithSmallBufferReportsMoreDataAndLeavesGuardBytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ownKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE buffer[8];
  std::memset(buffer, 0xAB, sizeof buffer);
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof "C:\\other.exe");
  EXPECT_EQ(buffer[4], 0xAB);
  RegCloseKey(key);
}

TEST_P(RegistryTest, WriteNeedsSetValueAccess) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ownKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  const char data[] = "x";
  EXPECT_EQ(RegSetValueExA(key, "New", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key, "Other"), ERROR_ACCESS_DENIED);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "New", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_P(RegistryTest, ClosedOrUnknownHandlesAreInvalid) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ownKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_P(RegistryTest, CreateKeyMakesParentsAndTellsWhetherItWasNew) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\a\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
}

TEST_P(RegistryTest, EnumeratesSubkeysInCreationOrder) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Parent\\Second", true));
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Parent\\First", true));
  ASSERT_TRUE(registry.OpenKeyReadOnly("SOFTWARE\\Parent"));
  EXPECT_EQ(registry.GetKeyNames(), (std::vector<std::string>{"Second", "First"}));
}

TEST_P(RegistryTest, TRegistryReadsTypedValuesAndRaisesTheRuntimeMessages) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKeyReadOnly(ownKey));
  EXPECT_TRUE(registry.ValueExists("Other"));
  EXPECT_FALSE(registry.ValueExists("Missing"));
  EXPECT_EQ(registry.ReadString("Other"), "C:\\other.exe");
  EXPECT_EQ(registry.ReadString("Missing"), "");
  EXPECT_EQ(registry.ReadInteger("Count"), 7);

  auto message = [](auto&& call) {
    try {
      call();
    } catch (const ERegistryException& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { registry.ReadInteger("Other"); }), "Invalid data type for 'Other'");
  EXPECT_EQ(message([&] { registry.ReadString("Count"); }), "Invalid data type for 'Count'");
  EXPECT_EQ(message([&] { registry.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");
  EXPECT_EQ(message([&] { registry.WriteString("Other", "y"); }), "Failed to set data for 'Other'");
}

TEST(RegistryStore, InjectedFaultsReachTheCaller) {
  auto machine = testkit::SimMachineBuilder().registryKey(runKey).build();
  testkit::ScopedMachine scope(machine);
  machine->simRegistry().failKey(runKey, plat::RegistryStatus::AccessDenied);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, runKey, 0, KEY_READ, &key), ERROR_ACCESS_DENIED);

  machine->simRegistry().failNextCall(plat::RegistryStatus::CannotRead);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_CANTREAD);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST(RegistryPersistence, ChangesSurviveInTheStateFolderButNotWithoutOne) {
  testkit::TempDir state;
  const auto scenario = testkit::SimMachineBuilder().registryKey(runKey).json();
  {
    testkit::ScopedMachine scope(testkit::SimMachineBuilder().scenario(scenario).stateDir(state.path()).build());
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(runKey, false));
    registry.WriteString("Brisklane", "/opt/brisklane");
  }
  {
    testkit::ScopedMachine scope(testkit::SimMachineBuilder().scenario(scenario).stateDir(state.path()).build());
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly(runKey));
    EXPECT_EQ(registry.ReadString("Brisklane"), "/opt/brisklane");
  }
  testkit::ScopedMachine scope(testkit::SimMachineBuilder().scenario(scenario).build());
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKeyReadOnly(runKey));
  EXPECT_FALSE(registry.ValueExists("Brisklane"));
}

TEST(RegistryPersistence, AStateFileThatCannotBeUsedIsReportedByNameAndCause) {
  const std::pair<std::string, const char*> cases[] = {
      {"{ not json", "is damaged"},
      {R"({"K": {"V": {"type": "x", "hex": ""}}})", "\"type\" must be an integer"},
      {R"({"K": {"V": {"type": 3, "hex": "0z"}}})", "\"0z\", which is not a hexadecimal byte"},
      {R"({"K": {"V": 1e300}})", "must be an integer from 0 to 4294967295"},
      {R"({"K": 5})", "must hold an object of values"},
  };
  for (const auto& [content, cause] : cases) {
    testkit::TempDir state;
    std::ofstream(state / "registry.json") << content;
    try {
      testkit::SimMachineBuilder().stateDir(state.path()).build();
      ADD_FAILURE() << "accepted " << content;
    } catch (const std::runtime_error& e) {
      EXPECT_THAT(e.what(), testing::StartsWith("saved registry " + (state / "registry.json").string()));
      EXPECT_THAT(e.what(), testing::HasSubstr(cause));
    }
  }
}

TEST(RegistryPersistence, AChangeThatCannotBeSavedFailsAndIsNotMade) {
  testkit::TempDir state;
  testkit::ScopedMachine scope(
      testkit::SimMachineBuilder().registryValue(runKey, "Other", "C:\\other.exe").stateDir(state.path()).build());
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, runKey, 0, KEY_READ | KEY_WRITE, &key), ERROR_SUCCESS);
  // A folder in the state file's place: no replacement can be renamed over it.
  std::filesystem::create_directories(state / "registry.json" / "in-the-way");

  testing::internal::CaptureStderr();
  const BYTE text[] = "/opt/brisklane";
  EXPECT_EQ(RegSetValueExA(key, "Brisklane", 0, REG_SZ, text, sizeof text), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key, "Other"), ERROR_ACCESS_DENIED);
  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\New", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr),
            ERROR_ACCESS_DENIED);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_THAT(said, testing::HasSubstr("cannot save " + (state / "registry.json").string()));

  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Brisklane", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\New", 0, KEY_READ, &created), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST(RegistryScenario, ValuesOfEveryKindLoadAndBadOnesAreRejected) {
  auto machine = testkit::SimMachineBuilder()
                     .registryValue("K", "Text", "abc")
                     .registryValue("K", "Number", 2)
                     .registryValue("K", "Blob", {{"type", REG_BINARY}, {"hex", "0a0b"}})
                     .build();
  plat::RegistryValue value;
  ASSERT_EQ(machine->registry().queryValue("K", "Blob", value), plat::RegistryStatus::Ok);
  EXPECT_EQ(value.type, REG_BINARY);
  EXPECT_EQ(value.data, (std::vector<std::uint8_t>{0x0a, 0x0b}));
  ASSERT_EQ(machine->registry().queryValue("K", "Number", value), plat::RegistryStatus::Ok);
  EXPECT_EQ(value.type, REG_DWORD);

  const std::pair<nlohmann::json, const char*> faults[] = {
      {{1, 2}, "must be a text, an integer or {type, hex}"},
      {{{"type", 3}, {"hex", "abc"}}, "odd number of digits"},
      {{{"type", 3}, {"hex", "0g"}}, "\"0g\", which is not a hexadecimal byte"},
      {{{"type", -1}, {"hex", ""}}, "\"type\" must be an integer from 0 to 4294967295"},
      {4294967296, "must be an integer from 0 to 4294967295"},
  };
  for (const auto& [value, cause] : faults) {
    try {
      testkit::SimMachineBuilder().registryValue("K", "Bad", value).build();
      ADD_FAILURE() << "accepted " << value.dump();
    } catch (const std::runtime_error& e) {
      EXPECT_THAT(e.what(), testing::HasSubstr("registry value \"Bad\" of \"K\": "));
      EXPECT_THAT(e.what(), testing::HasSubstr(cause));
    }
  }
}

}  // namespace
