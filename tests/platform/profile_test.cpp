// The private-profile functions: Windows' reading rules, writes that keep
// everything else, and a replacement that keeps what the file is (its mode,
// owner and link) or, where it cannot replace, writes in place.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "rtl/SysUtils.h"
#include "testkit/PermissionsEnforced.h"
#include "testkit/TempDir.h"
#include "win32/ErrnoMapping.h"
#include "windows.h"

namespace {

class ProfileTest : public testing::Test {
 protected:
  testkit::TempDir dir;
  std::string file = (dir / "setup.ini").string();

  void write(const std::string& content) { std::ofstream(file, std::ios::binary) << content; }
  std::string content() {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static struct stat statusOf(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
  }
  std::size_t entriesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  }
  std::string get(const char* section, const char* key, const char* fallback = "default") {
    char buffer[64];
    std::memset(buffer, 0x7F, sizeof buffer);
    GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file.c_str());
    return buffer;
  }
};

TEST_F(ProfileTest, ReadsWithWindowsRules) {
  write("garbage line\n[ system ]\n  SSID =  Net Name  \nQuoted=\"  spaced  \"\nDup=first\nDup=second\n"
        ";Comment=1\n[Other]\nSSID=other\n[SYSTEM]\nLate=1\n");
  EXPECT_EQ(get("System", "ssid"), "Net Name");
  EXPECT_EQ(get("System", "Quoted"), "  spaced  ");
  EXPECT_EQ(get("System", "Dup"), "first");
  EXPECT_EQ(get("System", "Comment"), "default");
  EXPECT_EQ(get("Other", "SSID"), "other");
  EXPECT_EQ(get("System", "Missing", "fallback  "), "fallback");
  // Only the first of duplicate sections is read.
  EXPECT_EQ(get("System", "Late"), "default");
}

TEST_F(ProfileTest, MissingFileGivesTheDefault) { EXPECT_EQ(get("System", "SSID"), "default"); }

TEST_F(ProfileTest, ReturnsCopiedLengthAndTruncatesToTheBuffer) {
  write("[S]\nK=abcdefgh\n");
  char buffer[4];
  EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buffer, sizeof buffer, file.c_str()), 3u);
  EXPECT_STREQ(buffer, "abc");
}

TEST_F(ProfileTest, WriteCreatesFileAndSectionThenAppendsNewKeysAtTheSectionEnd) {
  ASSERT_TRUE(WritePrivateProfileStringA("System", "A", "1", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("System", "B", "2", file.c_str()));
  EXPECT_EQ(content(), "[System]\nA=1\nB=2\n");
}

TEST_F(ProfileTest, WriteKeepsUnknownSectionsKeysCommentsAndLineEnds) {
  write("; my notes\r\n[System]\r\nUnknown=keep\r\nSSID=old\r\n\r\n[Extra]\r\nX=y\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("SYSTEM", "ssid", "new", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("System", "Password", "12345", file.c_str()));
  EXPECT_EQ(content(), "; my notes\r\n[System]\r\nUnknown=keep\r\nssid=new\r\nPassword=12345\r\n\r\n[Extra]\r\nX=y\r\n");
}

TEST_F(ProfileTest, NullValueDeletesTheKeyAndNullKeyTheSection) {
  write("[A]\nK=1\nL=2\n[B]\nM=3\n");
  ASSERT_TRUE(WritePrivateProfileStringA("A", "K", nullptr, file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("B", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(content(), "[A]\nL=2\n");
}

TEST_F(ProfileTest, FolderOrPipeInTheFilesPlaceIsRefusedWithoutWaiting) {
  // Whoever runs the test: a folder cannot be replaced, a pipe is not read.
  std::filesystem::create_directory(file);
  std::ofstream(std::filesystem::path(file) / "inside") << "x";
  EXPECT_FALSE(WritePrivateProfileStringA("System", "SSID", "new", file.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(std::filesystem::is_directory(file));
  EXPECT_EQ(entriesInDir(), 1u);

  const auto pipe = dir / "pipe.ini";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  char value[16];
  EXPECT_EQ(GetPrivateProfileStringA("System", "SSID", "default", value, sizeof value, pipe.c_str()), 7u);
  EXPECT_FALSE(WritePrivateProfileStringA("System", "SSID", "new", pipe.c_str()));
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

TEST_F(ProfileTest, ReadOnlyFileIsNotWrittenWhoeverRunsTheProgram) {
  write("[System]\nSSID=old\n");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  EXPECT_EQ(GetFileAttributesA(file.c_str()), FILE_ATTRIBUTE_READONLY);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(WritePrivateProfileStringA("System", "SSID", "new", file.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(content(), "[System]\nSSID=old\n");
  EXPECT_EQ(statusOf(file).st_mode & 07777, 0444u);
}

TEST_F(ProfileTest, CreatedFilesArePrivateAndReplacementsKeepModeOwnerAndLink) {
  ASSERT_TRUE(WritePrivateProfileStringA("System", "A", "1", file.c_str()));
  EXPECT_EQ(statusOf(file).st_mode & 07777, 0600u);  // it may hold the network key

  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  const bool canGiveAway = geteuid() == 0;
  if (canGiveAway) {
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  }
  const auto link = dir / "link.ini";
  std::filesystem::create_symlink("setup.ini", link);
  ASSERT_TRUE(WritePrivateProfileStringA("System", "B", "2", link.c_str()));

  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(content(), "[System]\nA=1\nB=2\n");
  const struct stat status = statusOf(file);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  if (canGiveAway) {
    EXPECT_EQ(status.st_uid, 65534u);
  }
  EXPECT_EQ(entriesInDir(), 2u);  // no temporary file left
}

TEST_F(ProfileTest, FileInAFolderWithoutWriteAccessIsWrittenInPlace) {
  write("[System]\nSSID=a much longer old name\n");
  const ino_t inode = statusOf(file).st_ino;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  {
    testkit::PermissionsEnforced asUser;
    EXPECT_TRUE(WritePrivateProfileStringA("System", "SSID", "new", file.c_str()));
    // Where it cannot be replaced, neither can it be created.
    EXPECT_FALSE(WritePrivateProfileStringA("System", "A", "1", (dir / "other.ini").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
  EXPECT_EQ(content(), "[System]\nSSID=new\n");
  EXPECT_EQ(statusOf(file).st_ino, inode);
  EXPECT_EQ(entriesInDir(), 1u);
}

TEST(FileErrors, EveryReasonAFileOperationFailsForHasAText) {
  for (int error : {ENOENT, ENOTDIR, EACCES, EPERM, EROFS, EISDIR, ENOSPC, EDQUOT, ENAMETOOLONG, ELOOP, EMFILE,
                    ENFILE, ENOMEM, EFBIG, EIO, EBUSY}) {
    const DWORD code = plat::errorFromErrno(error);
    EXPECT_NE(code, ERROR_INVALID_FUNCTION) << std::strerror(error);
    EXPECT_NE(SysErrorMessage(code), "") << std::strerror(error);
  }
  // As Windows says for a full disk and for a folder where a file should be.
  EXPECT_EQ(SysErrorMessage(plat::errorFromErrno(ENOSPC)), "There is not enough space on the disk");
  EXPECT_EQ(plat::errorFromErrno(EISDIR), ERROR_ACCESS_DENIED);
}

TEST_F(ProfileTest, WriteIntoMissingFolderFails) {
  const std::string missing = (dir / "no" / "setup.ini").string();
  EXPECT_FALSE(WritePrivateProfileStringA("System", "A", "1", missing.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

}  // namespace
