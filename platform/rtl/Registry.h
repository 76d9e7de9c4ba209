// The runtime's registry class: one open key at a time below a root key, with
// typed reads and writes that raise ERegistryException on failure.
#pragma once

#include <string>
#include <vector>

#include "SysUtils.h"
#include "windows.h"

// "Invalid data type for '%s'", "Failed to get data for '%s'",
// "Failed to set data for '%s'", with the value's name.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

class TRegistry {
 public:
  // The access used by OpenKey; OpenKeyReadOnly always asks for KEY_READ.
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Only HKEY_LOCAL_MACHINE exists on this platform; it is the default.
  HKEY RootKey = HKEY_LOCAL_MACHINE;
  REGSAM Access;

  // Opens `key` below the root (a leading "\" is allowed), closing the key
  // open before. With `canCreate`, a missing key and its parents are made.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  bool KeyExists(const std::string& key);

  HKEY CurrentKey() const { return current_; }
  const std::string& CurrentPath() const { return currentPath_; }

  bool ValueExists(const std::string& name);
  // Empty text when the value is missing; a value of another type raises
  // "Invalid data type".
  std::string ReadString(const std::string& name);
  // A missing value raises "Failed to get data", another type "Invalid data type".
  int ReadInteger(const std::string& name);
  void WriteString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int value);
  bool DeleteValue(const std::string& name);
  // Direct subkeys of the open key, in the registry's order.
  std::vector<std::string> GetKeyNames();

 private:
  bool open(const std::string& key, REGSAM access, bool canCreate);

  HKEY current_ = nullptr;
  std::string currentPath_;
};
