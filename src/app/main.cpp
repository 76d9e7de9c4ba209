// The program entry: reads the branding file before anything else, then
// reads and writes the settings beside the program and tells what it runs on.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/UnitGlobal.h"
#include "rtl/SysUtils.h"
#include "util/SystemUtils.h"

namespace {

std::string programPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

}  // namespace

int main() {
  try {
    const std::string program = programPath();
    const std::string folder = std::filesystem::path(program).parent_path().string() + "/";
    LoadBrandingFile(folder + "update.dll");

    const std::string settingsFile = folder + "setup.ini";
    WriteSettingsFile(settingsFile, ReadSettingsFile(settingsFile));

    std::printf("%s\nsystem: %s\nversion: %s\n", ApplicationName.c_str(), GetWindowsVersionTag().c_str(),
                GetFileVersionString(program).c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brisklane: %s\n", e.what());
    return 1;
  }
}
