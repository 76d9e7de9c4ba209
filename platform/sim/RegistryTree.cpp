#include "sim/RegistryTree.h"

#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "win32/AsciiCase.h"
#include "winreg.h"

namespace plat::sim {
namespace {

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string toHex(const std::vector<std::uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (auto b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::vector<std::uint8_t> fromHex(const std::string& hex) {
  if (hex.size() % 2 != 0) throw std::runtime_error("odd number of hex digits: " + hex);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

nlohmann::json valueToJson(const RegistryValue& value) {
  if (value.type == REG_SZ && !value.data.empty() && value.data.back() == 0) {
    return std::string(value.data.begin(), value.data.end() - 1);
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t number = 0;
    std::memcpy(&number, value.data.data(), 4);
    return number;
  }
  return {{"type", value.type}, {"hex", toHex(value.data)}};
}

RegistryValue valueFromJson(const nlohmann::json& json) {
  if (json.is_string()) return RegistryTree::stringValue(json.get<std::string>());
  if (json.is_number_integer()) return RegistryTree::dwordValue(json.get<std::uint32_t>());
  if (json.is_object()) {
    return RegistryValue{json.at("type").get<std::uint32_t>(), fromHex(json.value("hex", std::string()))};
  }
  throw std::runtime_error("registry value must be a text, an integer or {type, hex}: " + json.dump());
}

void collect(const RegistryTree::Key& key, const std::string& path, nlohmann::json& out) {
  if (!path.empty()) {
    nlohmann::json values = nlohmann::json::object();
    for (const auto& [name, value] : key.values) values[name] = valueToJson(value);
    out[path] = values;
  }
  for (const auto& sub : key.subkeys) collect(*sub, path.empty() ? sub->name : path + "\\" + sub->name, out);
}

}  // namespace

RegistryTree::Key* RegistryTree::Key::child(const std::string& childName) const {
  for (const auto& sub : subkeys) {
    if (equalsNoCase(sub->name, childName)) return sub.get();
  }
  return nullptr;
}

RegistryValue* RegistryTree::Key::value(const std::string& valueName) {
  for (auto& [name, value] : values) {
    if (equalsNoCase(name, valueName)) return &value;
  }
  return nullptr;
}

RegistryTree::RegistryTree() : root_(std::make_unique<Key>()) {}

RegistryTree::Key* RegistryTree::find(const std::string& path) const {
  Key* key = root_.get();
  for (const auto& part : splitPath(path)) {
    key = key->child(part);
    if (!key) return nullptr;
  }
  return key;
}

RegistryTree::Key& RegistryTree::findOrCreate(const std::string& path, bool& created) {
  created = false;
  Key* key = root_.get();
  for (const auto& part : splitPath(path)) {
    Key* next = key->child(part);
    if (!next) {
      key->subkeys.push_back(std::make_unique<Key>());
      next = key->subkeys.back().get();
      next->name = part;
      created = true;
    }
    key = next;
  }
  return *key;
}

void RegistryTree::setValue(const std::string& path, const std::string& name, RegistryValue value) {
  bool created = false;
  Key& key = findOrCreate(path, created);
  if (RegistryValue* existing = key.value(name)) {
    *existing = std::move(value);
  } else {
    key.values.emplace_back(name, std::move(value));
  }
}

bool RegistryTree::deleteValue(const std::string& path, const std::string& name) {
  Key* key = find(path);
  if (!key) return false;
  for (auto it = key->values.begin(); it != key->values.end(); ++it) {
    if (equalsNoCase(it->first, name)) {
      key->values.erase(it);
      return true;
    }
  }
  return false;
}

nlohmann::json RegistryTree::toJson() const {
  nlohmann::json out = nlohmann::json::object();
  collect(*root_, "", out);
  return out;
}

RegistryTree RegistryTree::fromJson(const nlohmann::json& json) {
  RegistryTree tree;
  if (json.is_null()) return tree;
  if (!json.is_object()) throw std::runtime_error("\"registry\" must be an object of key paths");
  for (const auto& [path, values] : json.items()) {
    bool created = false;
    tree.findOrCreate(path, created);
    if (!values.is_object()) throw std::runtime_error("registry key \"" + path + "\" must hold an object of values");
    for (const auto& [name, value] : values.items()) tree.setValue(path, name, valueFromJson(value));
  }
  return tree;
}

RegistryValue RegistryTree::stringValue(const std::string& text) {
  RegistryValue value{REG_SZ, std::vector<std::uint8_t>(text.begin(), text.end())};
  value.data.push_back(0);
  return value;
}

RegistryValue RegistryTree::dwordValue(std::uint32_t number) {
  RegistryValue value{REG_DWORD, std::vector<std::uint8_t>(4)};
  std::memcpy(value.data.data(), &number, 4);
  return value;
}

}  // namespace plat::sim
