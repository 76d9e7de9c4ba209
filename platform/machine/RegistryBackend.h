// The machine's registry below HKEY_LOCAL_MACHINE, as neutral questions:
// the Windows-shaped front (platform/win32/advapi32_registry.cpp) owns handles,
// buffers, access rights and size rules. Key paths are backslash-separated,
// relative to HKEY_LOCAL_MACHINE, and compare without case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "machine/MachineResult.h"

namespace plat {

// Value types are numbered as the registry numbers them: scenarios and saved
// state keep the numbers, and a machine passes on any type it is given.
inline constexpr std::uint32_t registryText = 1;          // a string
inline constexpr std::uint32_t registryExpandableText = 2;  // a string with %VARIABLES%
inline constexpr std::uint32_t registryNumber = 4;        // 32 bits, little-endian

struct RegistryValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;   // strings include their terminating zero
};

enum class RegistryStatus : std::uint8_t {
  Ok,
  NotFound,      // no such key or value
  AccessDenied,
  NoMoreItems,   // an index past the last subkey
  InvalidName,
  NotSupported,  // a value this key cannot hold
  CannotRead,
  CannotWrite,
  NotSaved,      // the change could not be kept
};

using RegistryResult = MachineResult<RegistryStatus>;

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;

  // Ok when the key exists and may be opened; `forWriting` when the caller
  // asks for the right to change it (values or subkeys).
  virtual RegistryResult openKey(const std::string& path, bool forWriting) = 0;

  // Opens the key, creating it and its parents when missing.
  virtual RegistryResult createKey(const std::string& path, bool forWriting, bool& created) = 0;

  virtual RegistryResult queryValue(const std::string& path, const std::string& name, RegistryValue& value) = 0;
  virtual RegistryResult setValue(const std::string& path, const std::string& name, const RegistryValue& value) = 0;
  virtual RegistryResult deleteValue(const std::string& path, const std::string& name) = 0;

  // Name of the index-th direct subkey; NoMoreItems past the last.
  virtual RegistryResult subkeyName(const std::string& path, std::uint32_t index, std::string& name) = 0;
};

}  // namespace plat
