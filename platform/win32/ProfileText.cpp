#include "win32/ProfileText.h"

#include <cerrno>

#include "common/AsciiCase.h"
#include "common/AtomicFile.h"
#include "common/RegularFile.h"
#include "win32/ErrnoMapping.h"

namespace plat {
namespace {

std::string_view trimBlanks(std::string_view text) {
  const char* blanks = " \t";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The section name of a "[name]" line, or none.
std::optional<std::string_view> sectionName(std::string_view line) {
  const std::string_view trimmed = trimBlanks(line);
  if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
  const auto close = trimmed.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimBlanks(trimmed.substr(1, close - 1));
}

// The key name of a "key=value" line, or none.
std::optional<std::string_view> keyName(std::string_view line) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return trimBlanks(line.substr(0, equals));
}

std::string valueOf(std::string_view line) {
  std::string_view value = trimBlanks(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string keyLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  return line;
}

}  // namespace

ProfileText::ProfileText(std::string_view content) {
  if (content.find("\r\n") != std::string_view::npos) newline_ = "\r\n";
  endsWithNewline_ = content.empty() || content.back() == '\n';
  std::size_t start = 0;
  while (start < content.size()) {
    auto end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    start = end + 1;
  }
}

std::optional<ProfileText::SectionRange> ProfileText::findSection(std::string_view name) const {
  name = trimBlanks(name);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto section = sectionName(lines_[i]);
    if (!section || !equalsNoCase(*section, name)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !sectionName(lines_[end])) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> ProfileText::findKey(const SectionRange& section, std::string_view name) const {
  name = trimBlanks(name);
  for (std::size_t i = section.header + 1; i < section.end; ++i) {
    const auto key = keyName(lines_[i]);
    if (key && equalsNoCase(*key, name)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> ProfileText::value(std::string_view section, std::string_view key) const {
  const auto range = findSection(section);
  const auto line = range ? findKey(*range, key) : std::nullopt;
  if (!line) return std::nullopt;
  return valueOf(lines_[*line]);
}

void ProfileText::setValue(std::string_view section, std::string_view key, std::string_view value) {
  section = trimBlanks(section);
  key = trimBlanks(key);
  const auto range = findSection(section);
  if (!range) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(keyLine(key, value));
    return;
  }
  if (const auto line = findKey(*range, key)) {
    lines_[*line] = keyLine(key, value);
    return;
  }
  std::size_t at = range->end;
  while (at > range->header + 1 && trimBlanks(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), keyLine(key, value));
}

bool ProfileText::removeKey(std::string_view section, std::string_view key) {
  const auto range = findSection(section);
  const auto line = range ? findKey(*range, key) : std::nullopt;
  if (!line) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
  return true;
}

bool ProfileText::removeSection(std::string_view section) {
  const auto range = findSection(section);
  if (!range) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
               lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
  return true;
}

std::string ProfileText::text() const {
  std::size_t size = 0;
  for (const auto& line : lines_) size += line.size() + newline_.size();
  std::string content;
  content.reserve(size);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    content += lines_[i];
    if (i + 1 < lines_.size() || endsWithNewline_) content += newline_;
  }
  return content;
}

DWORD readProfileFile(const char* fileName, ProfileText& profile) {
  std::string content;
  const int error = readRegularFile(fileName, content.max_size() - 1, content);
  if (error == ENOENT) {
    profile = ProfileText();
    return ERROR_FILE_NOT_FOUND;
  }
  if (error != 0) return errorFromErrno(error);
  profile = ProfileText(content);
  return ERROR_SUCCESS;
}

DWORD writeProfileFile(const char* fileName, const ProfileText& profile) {
  return writeFileAtomically(fileName, profile.text()) ? ERROR_SUCCESS : errorFromErrno(errno);
}

}  // namespace plat
