// The system helpers: operating system tag, file version text, autorun entry,
// list object release.
#include <regex>

#include <gtest/gtest.h>

#include "rtl/Registry.h"
#include "store/RegistryStore.h"
#include "testkit/SimMachineBuilder.h"
#include "util/SystemUtils.h"
#include "winreg.h"

namespace {

struct TagCase {
  unsigned major, minor;
  nlohmann::json wow64;
  const char* tag;
};

class WindowsVersionTag : public testing::TestWithParam<TagCase> {};

TEST_P(WindowsVersionTag, FollowsVersionAndSystemWidth) {
  const auto& row = GetParam();
  testkit::ScopedMachine scope(testkit::SimMachineBuilder().os(row.major, row.minor, row.wow64).build());
  EXPECT_EQ(GetWindowsVersionTag(), row.tag);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsVersionTag,
                         testing::Values(TagCase{5, 0, false, "win2000"}, TagCase{5, 1, false, "winxp"},
                                         TagCase{5, 1, nullptr, "winxp"}, TagCase{5, 2, true, "win200364"},
                                         TagCase{6, 0, false, "vista"}, TagCase{6, 1, true, "win764"},
                                         TagCase{6, 2, true, "64"}, TagCase{4, 0, false, ""}));

TEST(WindowsVersionTagFailures, FailingCallsYieldEmptyTagOrJust64) {
  auto machine = testkit::SimMachineBuilder().os(6, 1, true).build();
  testkit::ScopedMachine scope(machine);
  machine->simSystem().failVersionQuery(true);
  EXPECT_EQ(GetWindowsVersionTag(), "64");
  machine->simSystem().failWow64Query(true);
  EXPECT_EQ(GetWindowsVersionTag(), "");
}

TEST(FileVersionString, ProgramHasFourDecimalPartsOtherFilesNone) {
  const std::string version = GetFileVersionString(std::string(BRISKLANE_PROGRAM_DIR) + "/brisklane");
  EXPECT_TRUE(std::regex_match(version, std::regex(R"((0|[1-9]\d*)(\.(0|[1-9]\d*)){3})"))) << version;
  EXPECT_EQ(GetFileVersionString(std::string(BRISKLANE_PROGRAM_DIR) + "/update.dll"), "");
  EXPECT_EQ(GetFileVersionString("/nonexistent/file"), "");
}

class AutoRun : public testing::Test {
 protected:
  std::shared_ptr<plat::sim::SimMachine> machine = testkit::SimMachineBuilder().build();
  testkit::ScopedMachine scope{machine};
  plat::RegistryStore& registry() { return machine->simRegistry(); }
};

TEST_F(AutoRun, AddCreatesTheRunKeyAndRemoveDeletesOnlyItsValue) {
  AddAutoRun("/opt/brisklane/brisklane", "Brisklane");
  TRegistry reader;
  ASSERT_TRUE(reader.OpenKeyReadOnly(AutoRunKey));
  EXPECT_EQ(reader.ReadString("Brisklane"), "/opt/brisklane/brisklane");
  reader.CloseKey();

  AddAutoRun("/other", "Other");
  RemoveAutoRun("Brisklane");
  RemoveAutoRun("NotThere");
  EXPECT_FALSE(registry().hasValue(AutoRunKey, "Brisklane"));
  EXPECT_TRUE(registry().hasValue(AutoRunKey, "Other"));
}

TEST_F(AutoRun, KeyThatCannotBeOpenedIsSilent) {
  registry().failKey(AutoRunKey, plat::RegistryStatus::AccessDenied);
  EXPECT_NO_THROW(AddAutoRun("/opt/brisklane", "Brisklane"));
  EXPECT_NO_THROW(RemoveAutoRun("Brisklane"));
  EXPECT_FALSE(registry().hasValue(AutoRunKey, "Brisklane"));
}

TEST_F(AutoRun, FailedWriteRaisesWithTheValueName) {
  registry().failWrites(AutoRunKey, plat::RegistryStatus::AccessDenied);
  try {
    AddAutoRun("/opt/brisklane", "Brisklane");
    FAIL() << "no error raised";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Brisklane'");
  }
  EXPECT_NO_THROW(RemoveAutoRun("Brisklane"));
}

TEST(FreeListObjects, DestroysObjectsAndKeepsEntries) {
  FreeListObjects<int>(nullptr);
  int alive = 0;
  struct Counted {
    int& count;
    explicit Counted(int& c) : count(c) { ++count; }
    ~Counted() { --count; }
  };
  TObjectList<Counted> list;
  list.Add("a", std::make_unique<Counted>(alive));
  list.Add("b");
  list.Add("c", std::make_unique<Counted>(alive));
  ASSERT_EQ(alive, 2);
  FreeListObjects(&list);
  EXPECT_EQ(alive, 0);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(2), "c");
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Objects(i), nullptr);
  EXPECT_EQ(list.IndexOf("B"), 1);
  EXPECT_EQ(list.IndexOf("d"), -1);
}

}  // namespace
