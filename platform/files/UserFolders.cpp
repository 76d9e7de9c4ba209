#include "files/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace plat {
namespace {

std::filesystem::path home() {
  if (const char* value = std::getenv("HOME"); value != nullptr && value[0] == '/') return value;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  throw std::runtime_error("the home folder is unknown: HOME is not set and the user has no entry");
}

std::filesystem::path xdgFolder(const char* variable, const char* fallbackBelowHome) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return value;
  return home() / fallbackBelowHome;
}

}  // namespace

std::filesystem::path configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

std::filesystem::path stateHome() { return xdgFolder("XDG_STATE_HOME", ".local/state"); }

}  // namespace plat
