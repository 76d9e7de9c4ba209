#include "app/UnitGlobal.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "SysUtils.h"
#include "util/TextUtils.h"
#include "windows.h"

std::string ApplicationName = "Brisklane";
std::string ProductUrl = "https://brisklane.example/";
const std::string SupportMailAddress = "support@brisklane.example";
const std::string DefaultNetworkName = "Brisklane";

namespace {

const char* const SettingsSection = "System";
const char* const DefaultPassword = "60917";

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::string readString(const std::string& fileName, const char* key, const std::string& defaultValue) {
  char buffer[2048];
  GetPrivateProfileStringA(SettingsSection, key, defaultValue.c_str(), buffer, sizeof buffer, fileName.c_str());
  return buffer;
}

bool readBoolean(const std::string& fileName, const char* key) {
  // A key that is absent reads as the empty text, which is not an integer.
  return ParseIniBoolean(readString(fileName, key, ""), false);
}

void writeString(const std::string& fileName, const char* key, const std::string& value) {
  if (!WritePrivateProfileStringA(SettingsSection, key, value.c_str(), fileName.c_str())) {
    throw Exception("Cannot write the settings file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
  }
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

TIniSections ParseIniText(std::string_view text) {
  TIniSections sections;
  std::map<std::string, std::string>* current = nullptr;
  std::size_t start = 0;
  while (start <= text.size()) {
    auto end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = &sections[UpperCase(Trim(std::string_view(line).substr(1, line.size() - 2)))];
      continue;
    }
    auto equals = line.find('=');
    if (current == nullptr || equals == std::string::npos) continue;
    current->emplace(UpperCase(Trim(std::string_view(line).substr(0, equals))),
                     Trim(std::string_view(line).substr(equals + 1)));
  }
  return sections;
}

void LoadBrandingFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    throw Exception("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  }
  std::stringstream content;
  content << in.rdbuf();
  const TIniSections sections = ParseIniText(DecodeBase64Lenient(content.str()));
  auto system = sections.find("SYSTEM");
  if (system == sections.end()) return;
  if (auto name = system->second.find("APPLICATION_NAME"); name != system->second.end()) {
    ApplicationName = name->second;
  }
  if (auto url = system->second.find("PRODUCT_URL"); url != system->second.end()) ProductUrl = url->second;
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
  TSettings settings;
  settings.AutoRun = readBoolean(fileName, "AutoRun");
  settings.CheckForUpdates = readBoolean(fileName, "CheckForUpdates");
  settings.StartMinimized = readBoolean(fileName, "StartMinimized");
  settings.SourceGuid = readString(fileName, "SourceGUID", "");
  settings.DestGuid = readString(fileName, "DestGUID", "");
  settings.SSID = readString(fileName, "SSID", DefaultNetworkName);
  settings.Password = readString(fileName, "Password", DefaultPassword);
  return settings;
}

void WriteSettingsFile(const std::string& fileName, const TSettings& settings) {
  auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  writeString(fileName, "AutoRun", flag(settings.AutoRun));
  writeString(fileName, "CheckForUpdates", flag(settings.CheckForUpdates));
  writeString(fileName, "StartMinimized", flag(settings.StartMinimized));
  writeString(fileName, "SSID", settings.SSID);
  writeString(fileName, "Password", settings.Password);
  writeString(fileName, "SourceGUID", settings.SourceGuid);
  writeString(fileName, "DestGUID", settings.DestGuid);
}
