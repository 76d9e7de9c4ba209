#include "store/StateFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "common/AtomicFile.h"
#include "common/RegularFile.h"
#include "machine/MachineResult.h"

namespace plat {
namespace {

// Far above any machine's registry, and still a size read at once.
constexpr std::size_t stateFileLimit = 16 * 1024 * 1024;

}  // namespace

bool loadStateFile(const std::optional<std::filesystem::path>& path, const std::string& what,
                   const std::function<void(const nlohmann::json&)>& load) {
  if (!path) return false;
  const std::string named = "saved " + what + " " + path->string();
  std::string text;
  if (const int error = readRegularFile(path->c_str(), stateFileLimit, text)) {
    if (error == ENOENT) return false;
    throw StateFileError(named + " cannot be read: " + readFailureReason(path->c_str(), error, stateFileLimit));
  }

  nlohmann::json content;
  try {
    content = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& e) {
    throw StateFileError(named + " is damaged: " + e.what());
  }
  try {
    load(content);
  } catch (const std::runtime_error& e) {
    throw StateFileError(named + ": " + e.what());
  }
  return true;
}

int writeStateFile(const std::optional<std::filesystem::path>& path, const nlohmann::json& content) {
  if (!path) return 0;
  std::error_code folderError;
  std::filesystem::create_directories(path->parent_path(), folderError);
  std::string cause;
  int error = contentNotWritable;
  try {
    if (writeFileAtomically(*path, content.dump(2) + "\n")) return 0;
    error = errno;
    cause = std::strerror(error);
  } catch (const nlohmann::json::exception& e) {
    cause = e.what();  // a name that is not UTF-8
  }
  std::fprintf(stderr, "brisklane: cannot save %s: %s\n", path->c_str(), cause.c_str());
  return error;
}

}  // namespace plat
