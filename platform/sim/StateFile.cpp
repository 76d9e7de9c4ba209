#include "sim/StateFile.h"

#include <fstream>
#include <stdexcept>

#include "win32/AtomicFile.h"

namespace plat::sim {

std::optional<nlohmann::json> readStateFile(const std::optional<std::filesystem::path>& path, const std::string& what) {
  if (!path || !std::filesystem::exists(*path)) return std::nullopt;
  std::ifstream in(*path);
  try {
    return nlohmann::json::parse(in);
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error("saved " + what + " " + path->string() + " is damaged: " + e.what());
  }
}

void writeStateFile(const std::optional<std::filesystem::path>& path, const nlohmann::json& content) {
  if (!path) return;
  std::error_code error;
  std::filesystem::create_directories(path->parent_path(), error);
  writeFileAtomically(*path, content.dump(2) + "\n");
}

}  // namespace plat::sim
