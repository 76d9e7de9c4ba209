#include "app/UnitGlobal.h"

#include <charconv>

#include "Classes.h"
#include "IniFiles.h"

std::string ApplicationName = "Brisklane";
std::string ProductUrl = "https://brisklane.example/";
const std::string SupportMailAddress = "support@brisklane.example";
const std::string DefaultNetworkName = "Brisklane";

namespace {

const char* const SettingsSection = "System";
const char* const DefaultPassword = "60917";
// The branding file holds a few hundred bytes; anything near this size is not
// one.
constexpr std::size_t BrandingFileMaxSize = 64 * 1024;

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool readBoolean(const TMemIniFile& ini, const char* key) {
  // A key that is absent reads as the empty text, which is not an integer.
  return ParseIniBoolean(ini.ReadString(SettingsSection, key, ""), false);
}

}  // namespace

std::string DecodeBase64Lenient(std::string_view text) {
  std::string out;
  unsigned buffer = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    int value = base64Value(c);
    if (value < 0) continue;
    buffer = (buffer << 6) | static_cast<unsigned>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return out;
}

void LoadBrandingFile(const std::string& fileName) {
  TMemIniFile branding("");  // no file behind it: the decoded text is all it holds
  branding.SetStrings(DecodeBase64Lenient(LoadFileText(fileName, BrandingFileMaxSize)));
  ApplicationName = branding.ReadString(SettingsSection, "APPLICATION_NAME", ApplicationName);
  ProductUrl = branding.ReadString(SettingsSection, "PRODUCT_URL", ProductUrl);
}

bool ParseIniBoolean(std::string_view text, bool defaultValue) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with("$")) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return defaultValue;
  // Decimal values beyond a 32-bit signed integer are not integers.
  if (base == 10 && value > (negative ? 0x80000000u : 0x7FFFFFFFu)) return defaultValue;
  return value != 0;
}

TSettings ReadSettingsFile(const std::string& fileName) {
  const TMemIniFile ini(fileName);
  TSettings settings;
  settings.AutoRun = readBoolean(ini, "AutoRun");
  settings.CheckForUpdates = readBoolean(ini, "CheckForUpdates");
  settings.StartMinimized = readBoolean(ini, "StartMinimized");
  settings.SourceGuid = ini.ReadString(SettingsSection, "SourceGUID", "");
  settings.DestGuid = ini.ReadString(SettingsSection, "DestGUID", "");
  settings.SSID = ini.ReadString(SettingsSection, "SSID", DefaultNetworkName);
  settings.Password = ini.ReadString(SettingsSection, "Password", DefaultPassword);
  return settings;
}

void WriteSettingsFile(const std::string& fileName, const TSettings& settings) {
  // Read now, not at start: what else the file holds, as it is now, survives.
  TMemIniFile ini(fileName);
  auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  ini.WriteString(SettingsSection, "AutoRun", flag(settings.AutoRun));
  ini.WriteString(SettingsSection, "CheckForUpdates", flag(settings.CheckForUpdates));
  ini.WriteString(SettingsSection, "StartMinimized", flag(settings.StartMinimized));
  ini.WriteString(SettingsSection, "SSID", settings.SSID);
  ini.WriteString(SettingsSection, "Password", settings.Password);
  ini.WriteString(SettingsSection, "SourceGUID", settings.SourceGuid);
  ini.WriteString(SettingsSection, "DestGUID", settings.DestGuid);
  ini.UpdateFile();
}
