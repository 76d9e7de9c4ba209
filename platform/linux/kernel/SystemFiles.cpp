#include "linux/kernel/SystemFiles.h"

#include "common/RegularFile.h"

namespace plat::lnx {

std::optional<std::string> readSystemFile(const std::filesystem::path& file, std::size_t limit) {
  std::string text;
  if (readRegularFile(file.c_str(), limit, text) != 0) return std::nullopt;
  return text;
}

}  // namespace plat::lnx
