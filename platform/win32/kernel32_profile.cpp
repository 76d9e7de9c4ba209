// Private-profile (INI) functions of kernel32, with Windows' rules: section
// and key names compare without case and without surrounding blanks, the
// first of duplicate sections or keys counts, values lose surrounding blanks
// and one pair of enclosing quotes, and a write leaves every other line as it
// was. Unlike Windows, a write replaces the file atomically, so a crash or a
// full disk cannot leave it truncated.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "win32/AsciiCase.h"
#include "win32/AtomicFile.h"
#include "windows.h"

namespace {

std::string trimBlanks(std::string_view text) {
  const char* blanks = " \t";
  auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(blanks);
  return std::string(text.substr(first, last - first + 1));
}

struct IniFile {
  std::vector<std::string> lines;
  std::string newline = "\n";
  bool endsWithNewline = true;
};

std::optional<IniFile> readIni(const char* fileName, bool& missing) {
  missing = false;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    missing = (errno == ENOENT);
    return std::nullopt;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string content = buffer.str();
  IniFile file;
  if (content.find("\r\n") != std::string::npos) file.newline = "\r\n";
  file.endsWithNewline = content.empty() || content.back() == '\n';
  std::size_t start = 0;
  while (start < content.size()) {
    auto end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    file.lines.push_back(std::move(line));
    start = end + 1;
  }
  return file;
}

// The section name of a "[name]" line, or none.
std::optional<std::string> sectionName(const std::string& line) {
  std::string trimmed = trimBlanks(line);
  if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
  auto close = trimmed.find(']');
  if (close == std::string::npos) return std::nullopt;
  return trimBlanks(std::string_view(trimmed).substr(1, close - 1));
}

// The key name of a "key=value" line, or none.
std::optional<std::string> keyName(const std::string& line) {
  auto equals = line.find('=');
  if (equals == std::string::npos) return std::nullopt;
  return trimBlanks(std::string_view(line).substr(0, equals));
}

struct SectionRange {
  std::size_t header;  // index of the "[name]" line
  std::size_t end;     // one past the section's last line
};

std::optional<SectionRange> findSection(const IniFile& file, std::string_view name) {
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    auto section = sectionName(file.lines[i]);
    if (!section || !plat::equalsNoCase(*section, name)) continue;
    std::size_t end = i + 1;
    while (end < file.lines.size() && !sectionName(file.lines[end])) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> findKey(const IniFile& file, const SectionRange& section, std::string_view name) {
  for (std::size_t i = section.header + 1; i < section.end; ++i) {
    auto key = keyName(file.lines[i]);
    if (key && plat::equalsNoCase(*key, name)) return i;
  }
  return std::nullopt;
}

std::string valueOf(const std::string& line) {
  std::string value = trimBlanks(std::string_view(line).substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

DWORD copyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  DWORD count = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

DWORD errorFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC: return 112;  // ERROR_DISK_FULL
    default: return ERROR_INVALID_FUNCTION;
  }
}

}  // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returnedString,
                                      DWORD size, LPCSTR fileName) {
  // Windows drops trailing blanks of the default.
  std::string fallback = defaultValue ? defaultValue : "";
  while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
  if (appName == nullptr || keyName == nullptr || fileName == nullptr) {
    // Listing sections or keys is not used by the program.
    SetLastError(ERROR_NOT_SUPPORTED);
    return copyOut(fallback, returnedString, size);
  }
  bool missing = false;
  auto file = readIni(fileName, missing);
  if (!file) {
    SetLastError(missing ? ERROR_FILE_NOT_FOUND : errorFromErrno(errno));
    return copyOut(fallback, returnedString, size);
  }
  auto section = findSection(*file, trimBlanks(appName));
  auto line = section ? findKey(*file, *section, trimBlanks(keyName)) : std::nullopt;
  if (!line) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return copyOut(fallback, returnedString, size);
  }
  SetLastError(ERROR_SUCCESS);
  return copyOut(valueOf(file->lines[*line]), returnedString, size);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  if (appName == nullptr || fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool missing = false;
  auto read = readIni(fileName, missing);
  if (!read && !missing) {
    SetLastError(errorFromErrno(errno));
    return FALSE;
  }
  IniFile file = read ? std::move(*read) : IniFile{};
  const std::string section = trimBlanks(appName);
  auto range = findSection(file, section);

  if (keyName == nullptr) {
    // Deletes the whole section.
    if (!range) return TRUE;
    file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                     file.lines.begin() + static_cast<std::ptrdiff_t>(range->end));
  } else {
    const std::string key = trimBlanks(keyName);
    auto line = range ? findKey(file, *range, key) : std::nullopt;
    if (value == nullptr) {
      // Deletes the key.
      if (!line) return TRUE;
      file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(*line));
    } else if (line) {
      file.lines[*line] = key + "=" + value;
    } else if (range) {
      // A new key goes after the section's last non-blank line.
      std::size_t at = range->end;
      while (at > range->header + 1 && trimBlanks(file.lines[at - 1]).empty()) --at;
      file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), key + "=" + value);
    } else {
      file.lines.push_back("[" + section + "]");
      file.lines.push_back(key + "=" + value);
    }
  }

  std::string content;
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    content += file.lines[i];
    if (i + 1 < file.lines.size() || file.endsWithNewline) content += file.newline;
  }
  if (!plat::writeFileAtomically(fileName, content)) {
    SetLastError(errorFromErrno(errno));
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
