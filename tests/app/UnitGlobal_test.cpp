// Program-wide values, the branding file and the settings file.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "app/UnitGlobal.h"
#include "rtl/SysUtils.h"
#include "testkit/TempDir.h"

namespace {

std::string base64(const std::string& text) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 3) {
    unsigned chunk = static_cast<unsigned char>(text[i]) << 16;
    if (i + 1 < text.size()) chunk |= static_cast<unsigned char>(text[i + 1]) << 8;
    if (i + 2 < text.size()) chunk |= static_cast<unsigned char>(text[i + 2]);
    out += alphabet[(chunk >> 18) & 63];
    out += alphabet[(chunk >> 12) & 63];
    out += i + 1 < text.size() ? alphabet[(chunk >> 6) & 63] : '=';
    out += i + 2 < text.size() ? alphabet[chunk & 63] : '=';
  }
  return out;
}

class Branding : public testing::Test {
 protected:
  testkit::TempDir dir;
  std::string file = (dir / "update.dll").string();
  std::string savedName = ApplicationName;
  std::string savedUrl = ProductUrl;
  ~Branding() override {
    ApplicationName = savedName;
    ProductUrl = savedUrl;
  }
  void write(const std::string& content) { std::ofstream(file, std::ios::binary) << content; }
};

TEST_F(Branding, OverridesNameAndUrlSkippingCharactersOutsideTheAlphabet) {
  std::string encoded = base64("; branding\r\nIgnored=before any section\r\n[ system ]\r\n application_name = Other Name \r\n"
                               "Product_Url=\r\n");
  encoded.insert(10, "\r\n*");
  write(encoded);
  LoadBrandingFile(file);
  EXPECT_EQ(ApplicationName, "Other Name");
  EXPECT_EQ(ProductUrl, "");  // present and empty sets the empty text
  EXPECT_EQ(DefaultNetworkName, "Brisklane");
}

TEST_F(Branding, AbsentKeysKeepBuiltInValues) {
  write(base64("[Other]\nAPPLICATION_NAME=No\n[System]\nUNKNOWN=1\n"));
  LoadBrandingFile(file);
  EXPECT_EQ(ApplicationName, savedName);
  EXPECT_EQ(ProductUrl, savedUrl);
}

TEST_F(Branding, EmptyOrGarbageFileChangesNothing) {
  write("");
  LoadBrandingFile(file);
  write("!!!! not base64 at all ####");
  LoadBrandingFile(file);
  EXPECT_EQ(ApplicationName, savedName);
}

TEST_F(Branding, MissingFileRaisesNamingTheFile) {
  try {
    LoadBrandingFile(file);
    FAIL() << "a missing branding file was accepted";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot open file \"" + file + "\""), std::string::npos) << e.what();
  }
}

TEST(Base64, DecodesPaddedTextAndStopsAtPadding) {
  EXPECT_EQ(DecodeBase64Lenient("U3lz\ndGVt"), "System");
  EXPECT_EQ(DecodeBase64Lenient("YQ==YmM="), "a");
}

TEST(IniBoolean, AcceptsIntegersInDecimalAndHex) {
  struct Case {
    const char* text;
    bool value;
  };
  for (auto [text, value] : {Case{"1", true}, Case{"0", false}, Case{"2", true}, Case{"-1", true}, Case{"$1F", true},
                             Case{"0x10", true}, Case{"0x0", false}, Case{"$", false}, Case{"yes", false},
                             Case{"true", false}, Case{"", false}, Case{"1 ", false}, Case{"99999999999", false},
                             Case{"$FFFFFFFF", true}}) {
    EXPECT_EQ(ParseIniBoolean(text, false), value) << '"' << text << '"';
  }
}

class SettingsFile : public testing::Test {
 protected:
  testkit::TempDir dir;
  std::string file = (dir / "setup.ini").string();
  std::string content() {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(SettingsFile, MissingFileGivesDefaultsAndSavingWritesAllKeysInOrder) {
  TSettings settings = ReadSettingsFile(file);
  EXPECT_FALSE(settings.AutoRun);
  EXPECT_FALSE(settings.CheckForUpdates);
  EXPECT_FALSE(settings.StartMinimized);
  EXPECT_EQ(settings.SSID, "Brisklane");
  EXPECT_EQ(settings.Password, "60917");
  EXPECT_EQ(settings.SourceGuid, "");
  EXPECT_EQ(settings.DestGuid, "");
  WriteSettingsFile(file, settings);
  EXPECT_EQ(content(),
            "[System]\nAutoRun=0\nCheckForUpdates=0\nStartMinimized=0\nSSID=Brisklane\nPassword=60917\nSourceGUID=\n"
            "DestGUID=\n");
}

TEST_F(SettingsFile, ReadsValuesAsStoredAndKeepsWhatItDoesNotKnow) {
  std::ofstream(file) << "; kept\n[Network]\nProxy=none\n[System]\nAutoRun=yes\nCheckForUpdates=2\n"
                         "StartMinimized=$1\nSSID=\nPassword=abc\nSourceGUID={abc}\nSourceGUID={second}\n"
                         "garbage line\nCustom=keep me\n";
  TSettings settings = ReadSettingsFile(file);
  EXPECT_FALSE(settings.AutoRun);
  EXPECT_TRUE(settings.CheckForUpdates);
  EXPECT_TRUE(settings.StartMinimized);
  EXPECT_EQ(settings.SSID, "");  // present but empty: no default
  EXPECT_EQ(settings.Password, "abc");
  EXPECT_EQ(settings.SourceGuid, "{abc}");

  settings.SSID = "New";
  WriteSettingsFile(file, settings);
  const std::string saved = content();
  EXPECT_NE(saved.find("; kept\n[Network]\nProxy=none\n"), std::string::npos);
  EXPECT_NE(saved.find("garbage line\nCustom=keep me\n"), std::string::npos);
  EXPECT_NE(saved.find("AutoRun=0\n"), std::string::npos);
  EXPECT_NE(saved.find("SSID=New\n"), std::string::npos);
  EXPECT_EQ(ReadSettingsFile(file).SSID, "New");
}

TEST_F(SettingsFile, UnwritableFileRaises) {
  std::filesystem::create_directory(file);  // a folder in its place
  try {
    WriteSettingsFile(file, TSettings{});
    FAIL() << "the failed write was not reported";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find(file), std::string::npos);
  }
}

}  // namespace
