#include "linux/AutostartEntry.h"

#include <sstream>
#include <string_view>
#include <vector>

namespace plat::lnx {
namespace {

// Characters an Exec argument may hold only inside double quotes.
constexpr std::string_view reservedInExec = " \t\n\"'\\><~|&;$*?#()`";
// Characters that take a backslash inside a quoted Exec argument.
constexpr std::string_view escapedInQuotes = "\"`$\\";

// The escapes of the format's string values; applied before Exec's quoting.
std::string escapeString(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
  return out;
}

std::string unescapeString(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\' || at + 1 == text.size()) {
      out += text[at];
      continue;
    }
    switch (text[++at]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: out += '\\', out += text[at];
    }
  }
  return out;
}

// One Exec argument: quoted when it holds a reserved character, with "%"
// doubled, as field codes start with it.
std::string quoteArgument(const std::string& argument) {
  std::string quoted;
  const bool needsQuotes = argument.empty() || argument.find_first_of(reservedInExec) != std::string::npos;
  if (needsQuotes) quoted += '"';
  for (char c : argument) {
    if (needsQuotes && escapedInQuotes.find(c) != std::string_view::npos) quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  if (needsQuotes) quoted += '"';
  return quoted;
}

// Splits an Exec command line into its arguments; none when a quote is left open.
std::optional<std::vector<std::string>> splitArguments(std::string_view line) {
  std::vector<std::string> arguments;
  std::size_t at = 0;
  while (true) {
    while (at < line.size() && line[at] == ' ') ++at;
    if (at == line.size()) return arguments;
    std::string argument;
    if (line[at] == '"') {
      for (++at;; ++at) {
        if (at == line.size()) return std::nullopt;
        if (line[at] == '"') break;
        if (line[at] == '\\' && at + 1 < line.size() && escapedInQuotes.find(line[at + 1]) != std::string_view::npos) ++at;
        argument += line[at];
      }
      ++at;
    } else {
      while (at < line.size() && line[at] != ' ') argument += line[at++];
    }
    std::string unpercented;
    for (std::size_t i = 0; i < argument.size(); ++i) {
      unpercented += argument[i];
      if (argument[i] == '%' && i + 1 < argument.size() && argument[i + 1] == '%') ++i;
    }
    arguments.push_back(std::move(unpercented));
  }
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string autostartEntry(const std::string& name, const std::string& programPath) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + escapeString(name) + "\n"
         "Exec=" + escapeString(quoteArgument(programPath)) + "\n";
}

std::optional<std::string> autostartCommand(const std::string& entryText) {
  std::istringstream lines(entryText);
  std::string line;
  bool inMainGroup = false;
  std::optional<std::string> exec;
  bool hidden = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with('[')) {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    const auto equals = line.find('=');
    if (!inMainGroup || line.starts_with('#') || equals == std::string::npos) continue;
    const std::string_view key = trimmed(std::string_view(line).substr(0, equals));
    const std::string value = unescapeString(trimmed(std::string_view(line).substr(equals + 1)));
    if (key == "Exec") exec = value;
    if (key == "Hidden") hidden = value == "true";
  }
  if (!exec || hidden) return std::nullopt;
  const auto arguments = splitArguments(*exec);
  if (arguments && arguments->size() == 1) return arguments->front();
  return exec;
}

}  // namespace plat::lnx
