// Program-wide values, the branding file that can override two of them, and
// the settings file setup.ini.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Set before any window exists and not changed afterwards.
extern std::string ApplicationName;  // "Brisklane" unless the branding file says otherwise
extern std::string ProductUrl;       // the product's web page
extern const std::string SupportMailAddress;
extern const std::string DefaultNetworkName;  // "Brisklane"

// Reads the branding file, the Base64 text of an INI file, and sets
// ApplicationName and ProductUrl from the keys "APPLICATION_NAME" and
// "PRODUCT_URL" of its section "System", read as setup.ini is read. Raises
// EFOpenError "Cannot open file "<path>". <reason>" when it is missing, is not
// a regular file, cannot be read or is larger than 64 KiB.
void LoadBrandingFile(const std::string& fileName);

// The Base64 text decoded, characters outside the alphabet skipped; decoding
// stops at the first "=".
std::string DecodeBase64Lenient(std::string_view text);

// The seven settings of setup.ini.
struct TSettings {
  bool AutoRun = false;
  bool CheckForUpdates = false;
  bool StartMinimized = false;
  std::string SourceGuid;
  std::string DestGuid;
  std::string SSID;
  std::string Password;
};

// Reads every key of the section "System", each with its default; a missing
// or unreadable file yields the defaults. The file is read once.
TSettings ReadSettingsFile(const std::string& fileName);

// Writes every key in the file's order, keeping what else the file holds:
// the file is read and written once. Raises EIniFileException, naming the
// file and the reason, when it cannot be written (a read-only file is not).
void WriteSettingsFile(const std::string& fileName, const TSettings& settings);

// "1"/"0" on writing; on reading an integer (decimal, "$" or "0x" hex), any
// nonzero value true, anything else the default.
bool ParseIniBoolean(std::string_view text, bool defaultValue);
