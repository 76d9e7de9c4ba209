// The machine's registry below HKEY_LOCAL_MACHINE, as neutral questions:
// the Windows-shaped front (platform/win32/advapi32_registry.cpp) owns handles,
// buffers and size rules. Key paths are backslash-separated, relative to
// HKEY_LOCAL_MACHINE, and compare without case. Results are Windows error
// codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct RegistryValue {
  std::uint32_t type = 0;           // REG_SZ, REG_DWORD, ...
  std::vector<std::uint8_t> data;   // strings include their terminating zero
};

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;

  // ERROR_SUCCESS when the key exists and the access may be granted.
  virtual std::int32_t openKey(const std::string& path, std::uint32_t access) = 0;

  // Opens the key, creating it and its parents when missing.
  virtual std::int32_t createKey(const std::string& path, std::uint32_t access, bool& created) = 0;

  virtual std::int32_t queryValue(const std::string& path, const std::string& name,
                                  RegistryValue& value) = 0;
  virtual std::int32_t setValue(const std::string& path, const std::string& name,
                                const RegistryValue& value) = 0;
  virtual std::int32_t deleteValue(const std::string& path, const std::string& name) = 0;

  // Name of the index-th direct subkey; ERROR_NO_MORE_ITEMS past the last.
  virtual std::int32_t subkeyName(const std::string& path, std::uint32_t index,
                                  std::string& name) = 0;
};

}  // namespace plat
