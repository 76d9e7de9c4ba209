// Where the program's files are: beside a program folder that holds its data
// and may be written, in the installation's data folder and the user's XDG
// folders otherwise.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "brisklane_files.h"
#include "files/FileLocations.h"
#include "testkit/TempDir.h"
#include "testkit/TestEnvironment.h"

namespace {

namespace fs = std::filesystem;

struct Case {
  const char* name;
  plat::ProgramPlace place;
  const char* dataFolder;
  const char* settingsFile;
  const char* errorLog;
};

class LocateFiles : public testing::TestWithParam<Case> {};

TEST_P(LocateFiles, PutsEachFileWhereItsPlaceCalls) {
  const Case& c = GetParam();
  const plat::FileLocations files = plat::locateFiles(c.place, "/home/ann/.config", "/home/ann/.local/state");
  EXPECT_EQ(files.programFolder, c.place.programFolder);
  EXPECT_EQ(files.dataFolder, fs::path(c.dataFolder));
  EXPECT_EQ(files.settingsFile, fs::path(c.settingsFile));
  EXPECT_EQ(files.errorLog, fs::path(c.errorLog));
}

INSTANTIATE_TEST_SUITE_P(
    Places, LocateFiles,
    testing::Values(
        Case{"BuildFolder", {"/src/build/bin", true, true}, "/src/build/bin", "/src/build/bin/setup.ini",
             "/src/build/bin/ErrorLog.txt"},
        Case{"PortableCopyOnReadOnlyMedia", {"/media/stick/brisklane", true, false}, "/media/stick/brisklane",
             "/home/ann/.config/brisklane/setup.ini", "/home/ann/.local/state/brisklane/ErrorLog.txt"},
        Case{"InstalledUnderUsr", {"/usr/bin", false, false}, "/usr/share/brisklane",
             "/home/ann/.config/brisklane/setup.ini", "/home/ann/.local/state/brisklane/ErrorLog.txt"},
        // Root may write into /usr/bin, and a user into ~/.local/bin: neither
        // is a place for settings among other programs.
        Case{"InstalledInAWritableFolder", {"/home/ann/.local/bin", false, true}, "/home/ann/.local/share/brisklane",
             "/home/ann/.config/brisklane/setup.ini", "/home/ann/.local/state/brisklane/ErrorLog.txt"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(ExamineProgramFolder, AFolderHoldsDataWhenTheBrandingFileIsAFileInIt) {
  testkit::TempDir folder;
  EXPECT_FALSE(plat::examineProgramFolder(folder.path()).holdsData);
  fs::create_directory(folder / "update.dll");
  EXPECT_FALSE(plat::examineProgramFolder(folder.path()).holdsData) << "a folder of that name is no branding file";
  fs::remove(folder / "update.dll");
  std::ofstream(folder / "update.dll") << "W1N5c3RlbV0=";
  const plat::ProgramPlace place = plat::examineProgramFolder(folder.path());
  EXPECT_TRUE(place.holdsData);
  EXPECT_TRUE(place.writable);
  EXPECT_EQ(place.programFolder, folder.path());
}

// The test program's own folder holds no branding file: it stands for an
// installed program.
TEST(BrisklaneFileLocations, AnInstalledProgramWritesIntoTheUsersFoldersMadePrivate) {
  testkit::TempDir home;
  testkit::ScopedEnv homeVariable("HOME", home.path().string());
  testkit::ScopedEnv config("XDG_CONFIG_HOME", (home / "config").string());
  testkit::ScopedEnv state("XDG_STATE_HOME", "relative/state");  // not absolute: the default applies

  const BRISKLANE_FILE_LOCATIONS files = BrisklaneFileLocations();
  const fs::path program = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(files.ProgramFolder, program.parent_path().string() + "/");
  EXPECT_EQ(files.DataFolder, (program.parent_path().parent_path() / "share/brisklane/").string());
  EXPECT_EQ(BrisklaneDataFolder(), files.DataFolder);
  EXPECT_EQ(files.SettingsFile, (home / "config/brisklane/setup.ini").string());
  EXPECT_EQ(files.ErrorLog, (home / ".local/state/brisklane/ErrorLog.txt").string());
  for (const fs::path& folder : {home / "config/brisklane", home / ".local/state/brisklane"}) {
    struct stat status {};
    ASSERT_EQ(::stat(folder.c_str(), &status), 0) << folder << " was not made";
    EXPECT_EQ(status.st_mode & 0777, 0700u) << folder;
  }
}

}  // namespace
