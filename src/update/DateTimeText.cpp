#include "update/DateTimeText.h"

#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace {

const std::locale& userLocale() {
  static const std::locale locale = [] {
    try {
      return std::locale("");
    } catch (const std::runtime_error&) {
      return std::locale::classic();
    }
  }();
  return locale;
}

std::tm localTime(std::time_t time) {
  std::tm parts{};
  localtime_r(&time, &parts);
  return parts;
}

}  // namespace

std::string DateTimeToStr(std::time_t time) {
  const std::tm parts = localTime(time);
  std::ostringstream text;
  text.imbue(userLocale());
  text << std::put_time(&parts, "%x");
  if (parts.tm_hour != 0 || parts.tm_min != 0 || parts.tm_sec != 0) text << ' ' << std::put_time(&parts, "%X");
  return text.str();
}

std::string FormatLogStamp(std::time_t time) {
  const std::tm parts = localTime(time);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}
