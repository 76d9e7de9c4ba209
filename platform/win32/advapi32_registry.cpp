// advapi32 registry stand-ins over the machine's RegistryBackend. This front
// owns the handles (key path and granted access) and the buffer rules.
#include <cstring>
#include <string>

#include "machine/Machine.h"
#include "machine/RegistryBackend.h"
#include "win32/HandleTable.h"
#include "win32/MachineCodes.h"
#include "winreg.h"

namespace {

struct OpenKey {
  std::string path;
  REGSAM access;
};

plat::HandleTable<HKEY, OpenKey>& handles() {
  static plat::HandleTable<HKEY, OpenKey> table(0x1000, 1);
  return table;
}

// The key behind the handle; the root key is always open and never in the table.
bool findKey(HKEY handle, OpenKey& key) {
  if (handle == HKEY_LOCAL_MACHINE) {
    key = OpenKey{"", KEY_ALL_ACCESS};
    return true;
  }
  auto found = handles().find(handle);
  if (!found) return false;
  key = std::move(*found);
  return true;
}

std::string joinPath(const std::string& parent, LPCSTR subKey) {
  std::string sub = subKey ? subKey : "";
  while (!sub.empty() && sub.front() == '\\') sub.erase(0, 1);
  if (parent.empty()) return sub;
  if (sub.empty()) return parent;
  return parent + "\\" + sub;
}

plat::RegistryBackend& backend() { return plat::machine().registry(); }

// Whether the rights asked for include changing the key.
bool forWriting(REGSAM desired) { return (desired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0; }

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey parent;
  if (!findKey(key, parent)) return ERROR_INVALID_HANDLE;
  std::string path = joinPath(parent.path, subKey);
  if (LONG error = plat::registryResultCode(backend().openKey(path, forWriting(desired))); error != ERROR_SUCCESS) {
    return error;
  }
  *result = handles().add(OpenKey{path, desired});
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/, DWORD /*options*/,
                            REGSAM desired, void* /*security*/, PHKEY result, LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey parent;
  if (!findKey(key, parent)) return ERROR_INVALID_HANDLE;
  std::string path = joinPath(parent.path, subKey);
  bool created = false;
  if (LONG error = plat::registryResultCode(backend().createKey(path, forWriting(desired), created));
      error != ERROR_SUCCESS) {
    return error;
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = handles().add(OpenKey{path, desired});
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  return handles().remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD /*reserved*/, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) {
  OpenKey open;
  if (!findKey(key, open)) return ERROR_INVALID_HANDLE;
  if ((open.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  plat::RegistryValue value;
  if (LONG error = plat::registryResultCode(backend().queryValue(open.path, valueName ? valueName : "", value));
      error != ERROR_SUCCESS) {
    return error;
  }
  if (type) *type = value.type;
  if (dataSize == nullptr) return ERROR_SUCCESS;
  const auto needed = static_cast<DWORD>(value.data.size());
  if (data == nullptr) {
    *dataSize = needed;
    return ERROR_SUCCESS;
  }
  if (*dataSize < needed) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, value.data.data(), needed);
  *dataSize = needed;
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                           DWORD dataSize) {
  OpenKey open;
  if (!findKey(key, open)) return ERROR_INVALID_HANDLE;
  if ((open.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
  plat::RegistryValue value{type, std::vector<std::uint8_t>(data, data + dataSize)};
  return plat::registryResultCode(backend().setValue(open.path, valueName ? valueName : "", value));
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  OpenKey open;
  if (!findKey(key, open)) return ERROR_INVALID_HANDLE;
  if ((open.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  return plat::registryResultCode(backend().deleteValue(open.path, valueName ? valueName : ""));
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD /*reserved*/,
                          LPSTR keyClass, LPDWORD classSize, void* lastWriteTime) {
  if (name == nullptr || nameSize == nullptr || keyClass != nullptr || classSize != nullptr ||
      lastWriteTime != nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  OpenKey open;
  if (!findKey(key, open)) return ERROR_INVALID_HANDLE;
  if ((open.access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  std::string subkey;
  if (LONG error = plat::registryResultCode(backend().subkeyName(open.path, index, subkey)); error != ERROR_SUCCESS) {
    return error;
  }
  if (subkey.size() + 1 > *nameSize) return ERROR_MORE_DATA;
  std::memcpy(name, subkey.c_str(), subkey.size() + 1);
  *nameSize = static_cast<DWORD>(subkey.size());
  return ERROR_SUCCESS;
}
