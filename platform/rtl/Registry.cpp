#include "rtl/Registry.h"

#include <cstring>

namespace {

std::string withoutLeadingSlash(const std::string& key) {
  return !key.empty() && key.front() == '\\' ? key.substr(1) : key;
}

[[noreturn]] void raise(const char* format, const std::string& name) {
  std::string text(format);
  text.replace(text.find("%s"), 2, name);
  throw ERegistryException(text);
}

}  // namespace

TRegistry::TRegistry(REGSAM access) : Access(access) {}

TRegistry::~TRegistry() { CloseKey(); }

bool TRegistry::open(const std::string& key, REGSAM access, bool canCreate) {
  const std::string path = withoutLeadingSlash(key);
  HKEY opened = nullptr;
  LONG result = canCreate
                    ? RegCreateKeyExA(RootKey, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                      &opened, nullptr)
                    : RegOpenKeyExA(RootKey, path.c_str(), 0, access, &opened);
  if (result != ERROR_SUCCESS) return false;
  CloseKey();
  current_ = opened;
  currentPath_ = path;
  return true;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) { return open(key, Access, canCreate); }

bool TRegistry::OpenKeyReadOnly(const std::string& key) { return open(key, KEY_READ, false); }

void TRegistry::CloseKey() {
  if (current_ != nullptr) RegCloseKey(current_);
  current_ = nullptr;
  currentPath_.clear();
}

bool TRegistry::KeyExists(const std::string& key) {
  HKEY probe = nullptr;
  if (RegOpenKeyExA(RootKey, withoutLeadingSlash(key).c_str(), 0, KEY_READ, &probe) != ERROR_SUCCESS) return false;
  RegCloseKey(probe);
  return true;
}

bool TRegistry::ValueExists(const std::string& name) {
  return current_ != nullptr && RegQueryValueExA(current_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (current_ == nullptr || RegQueryValueExA(current_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) raise("Invalid data type for '%s'", name);
  std::string data(size, '\0');
  if (RegQueryValueExA(current_, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size) !=
      ERROR_SUCCESS) {
    raise("Failed to get data for '%s'", name);
  }
  data.resize(size);
  if (auto zero = data.find('\0'); zero != std::string::npos) data.resize(zero);
  return data;
}

int TRegistry::ReadInteger(const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (current_ == nullptr || RegQueryValueExA(current_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    raise("Failed to get data for '%s'", name);
  }
  if (type != REG_DWORD || size != 4) raise("Invalid data type for '%s'", name);
  int value = 0;
  size = sizeof value;
  if (RegQueryValueExA(current_, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) !=
      ERROR_SUCCESS) {
    raise("Failed to get data for '%s'", name);
  }
  return value;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  if (current_ == nullptr ||
      RegSetValueExA(current_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS) {
    raise("Failed to set data for '%s'", name);
  }
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  if (current_ == nullptr ||
      RegSetValueExA(current_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) != ERROR_SUCCESS) {
    raise("Failed to set data for '%s'", name);
  }
}

bool TRegistry::DeleteValue(const std::string& name) {
  return current_ != nullptr && RegDeleteValueA(current_, name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> TRegistry::GetKeyNames() {
  std::vector<std::string> names;
  if (current_ == nullptr) return names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(current_, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  return names;
}
