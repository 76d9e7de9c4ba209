// The private-profile functions: Windows' reading rules, writes that keep
// everything else, and atomic replacement.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "testkit/TempDir.h"
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

TEST_F(ProfileTest, FailedReplaceLeavesNoTemporaryFiles) {
  // A folder in the file's place cannot be replaced, whoever runs the test.
  std::filesystem::create_directory(file);
  std::ofstream(std::filesystem::path(file) / "inside") << "x";
  EXPECT_FALSE(WritePrivateProfileStringA("System", "SSID", "new", file.c_str()));
  EXPECT_TRUE(std::filesystem::is_directory(file));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(ProfileTest, WriteIntoMissingFolderFails) {
  const std::string missing = (dir / "no" / "setup.ini").string();
  EXPECT_FALSE(WritePrivateProfileStringA("System", "A", "1", missing.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

}  // namespace
