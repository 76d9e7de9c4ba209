// Program-wide values, the branding file and the settings file.
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "app/UnitGlobal.h"
#include "rtl/SysUtils.h"
#include "testkit/PermissionsEnforced.h"
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

TEST_F(Branding, NamesAndValuesFollowTheRulesOfTheSettingsFile) {
  struct Case {
    const char* text;
    const char* name;  // null: the built-in name stays
  };
  for (auto [text, name] : {
           Case{"[System]\nAPPLICATION_NAME=First\nAPPLICATION_NAME=Second\n", "First"},
           Case{"[SYSTEM]\r\n\tapplication_name\t=\tTabbed\t\r\n", "Tabbed"},
           Case{"[System]\nAPPLICATION_NAME=\" Quoted \"\n", " Quoted "},
           Case{"[Other]\nAPPLICATION_NAME=No\n[System]\nAPPLICATION_NAME=Last line", "Last line"},
           Case{"[System]\nAPPLICATION_NAME=a=b\n", "a=b"},
           Case{"[System]\n;APPLICATION_NAME=Commented\n", nullptr},
           Case{"[System]\nAPPLICATION_NAME\n", nullptr},
           Case{"APPLICATION_NAME=Early\n[System]\n", nullptr},
           Case{"[System]\nOTHER=1\n[System]\nAPPLICATION_NAME=Second section\n", nullptr},
       }) {
    SCOPED_TRACE(text);
    ApplicationName = savedName;
    write(base64(text));
    LoadBrandingFile(file);
    EXPECT_EQ(ApplicationName, name ? name : savedName);
    EXPECT_EQ(ProductUrl, savedUrl);
  }
}

TEST_F(Branding, EmptyOrGarbageFileChangesNothing) {
  write("");
  LoadBrandingFile(file);
  write("!!!! not base64 at all ####");
  LoadBrandingFile(file);
  EXPECT_EQ(ApplicationName, savedName);
}

TEST_F(Branding, AFileThatCannotBeHadWhollyStopsStartUpNamingFileAndReason) {
  struct Case {
    const char* what;
    std::function<void()> make;
    const char* reason;
  };
  const std::string valid = base64("[System]\nAPPLICATION_NAME=Other\n");
  for (const Case& c : {
           Case{"missing", [] {}, "No such file or directory"},
           Case{"a folder", [&] { std::filesystem::create_directory(file); }, "Is a directory"},
           // Read without waiting for a writer that never comes.
           Case{"a pipe", [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }, "Not a regular file"},
           Case{"unreadable", [&] { write(valid); ::chmod(file.c_str(), 0); }, "Permission denied"},
           Case{"too large", [&] { write(valid + std::string(64 * 1024, '\n')); }, "larger than 65536 bytes"},
       }) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(file);
    c.make();
    testkit::PermissionsEnforced asUser;
    try {
      LoadBrandingFile(file);
      ADD_FAILURE() << "start-up went on";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("Cannot open file \"" + file + "\". "), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
    EXPECT_EQ(ApplicationName, savedName);
  }
  // The limit is generous: 64 KiB are read.
  std::filesystem::remove_all(file);
  write(valid + std::string(64 * 1024 - valid.size(), '\n'));
  LoadBrandingFile(file);
  EXPECT_EQ(ApplicationName, "Other");
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

TEST_F(SettingsFile, AFolderInTheFilesPlaceIsReportedWithTheReason) {
  std::filesystem::create_directory(file);
  try {
    WriteSettingsFile(file, TSettings{});
    FAIL() << "the failed write was not reported";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    // As Windows says; not "Incorrect function".
    EXPECT_NE(std::string(e.what()).find("Access is denied"), std::string::npos) << e.what();
  }
}

// What happens to the files of a folder, as the kernel reports it.
class FolderEvents {
 public:
  explicit FolderEvents(const std::filesystem::path& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_MOVED_TO | IN_CLOSE_WRITE), 0);
  }
  ~FolderEvents() { ::close(fd_); }

  // The events on `name` since the last call, each as "open", "write" (a
  // writer closed it) or "replace" (something was renamed to it).
  std::vector<std::string> On(const std::string& name) {
    std::vector<std::string> seen;
    alignas(inotify_event) char buffer[64 * 1024];
    ssize_t length;
    while ((length = ::read(fd_, buffer, sizeof buffer)) > 0) {
      for (char* at = buffer; at < buffer + length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if (event->len > 0 && name == event->name) {
          if (event->mask & IN_OPEN) seen.push_back("open");
          if (event->mask & IN_CLOSE_WRITE) seen.push_back("write");
          if (event->mask & IN_MOVED_TO) seen.push_back("replace");
        }
        at += sizeof(inotify_event) + event->len;
      }
    }
    return seen;
  }

 private:
  int fd_;
};

TEST_F(SettingsFile, LoadingReadsTheFileOnceAndSavingReadsAndReplacesItOnce) {
  std::ofstream(file) << "[System]\nSSID=Net\n";
  FolderEvents events(dir.path());
  TSettings settings = ReadSettingsFile(file);
  EXPECT_EQ(events.On("setup.ini"), std::vector<std::string>{"open"});
  settings.SSID = "Changed";
  WriteSettingsFile(file, settings);
  EXPECT_EQ(events.On("setup.ini"), (std::vector<std::string>{"open", "replace"}));
  EXPECT_EQ(ReadSettingsFile(file).SSID, "Changed");
}

}  // namespace
