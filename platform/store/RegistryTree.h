// A registry key tree with Windows' name rules (case-insensitive, creation
// order kept) and its JSON form, shared by scenario files and the saved state.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "machine/RegistryBackend.h"

namespace plat {

class RegistryTree {
 public:
  struct Key {
    std::string name;
    std::vector<std::pair<std::string, RegistryValue>> values;  // in creation order
    std::vector<std::unique_ptr<Key>> subkeys;                  // in creation order

    Key* child(const std::string& childName) const;
    RegistryValue* value(const std::string& valueName);
  };

  RegistryTree();
  RegistryTree(const RegistryTree& other);
  RegistryTree& operator=(const RegistryTree& other);
  RegistryTree(RegistryTree&&) noexcept = default;
  RegistryTree& operator=(RegistryTree&&) noexcept = default;

  // Null when a key on the path is missing.
  Key* find(const std::string& path) const;
  Key& findOrCreate(const std::string& path, bool& created);

  void setValue(const std::string& path, const std::string& name, RegistryValue value);
  bool deleteValue(const std::string& path, const std::string& name);

  // {"KEY\\PATH": {"Name": "text" | 42 | {"type": 3, "hex": "0a0b"}}, ...}:
  // a text is REG_SZ, an integer REG_DWORD, an object any type with its bytes.
  // Every key appears, empty ones too. Throws std::runtime_error on bad input.
  nlohmann::json toJson() const;
  static RegistryTree fromJson(const nlohmann::json& json);

  static RegistryValue stringValue(const std::string& text);
  static RegistryValue dwordValue(std::uint32_t number);

 private:
  std::unique_ptr<Key> root_;
};

}  // namespace plat
