#include "store/RegistryTree.h"

#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>
#include <utf8.h>

#include "common/AsciiCase.h"
#include "store/JsonFields.h"

namespace plat {
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

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::uint8_t> fromHex(const std::string& hex) {
  if (hex.size() % 2 != 0) throw std::runtime_error("\"hex\" has an odd number of digits: " + hex);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexDigit(hex[i]);
    const int low = hexDigit(hex[i + 1]);
    if (high < 0 || low < 0) {
      throw std::runtime_error("\"hex\" holds \"" + hex.substr(i, 2) + "\", which is not a hexadecimal byte");
    }
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

nlohmann::json valueToJson(const RegistryValue& value) {
  if (value.type == registryText && !value.data.empty() && value.data.back() == 0) {
    std::string text(value.data.begin(), value.data.end() - 1);
    // JSON text is UTF-8; other bytes are kept in the {type, hex} form.
    if (utf8::is_valid(text.begin(), text.end())) return text;
  }
  if (value.type == registryNumber && value.data.size() == 4) {
    std::uint32_t number = 0;
    std::memcpy(&number, value.data.data(), 4);
    return number;
  }
  return {{"type", value.type}, {"hex", toHex(value.data)}};
}

RegistryValue valueFromJson(const nlohmann::json& json) {
  if (json.is_string()) return RegistryTree::stringValue(json.get<std::string>());
  if (json.is_number()) return RegistryTree::dwordValue(integerOf<std::uint32_t>(json, "a REG_DWORD value"));
  if (json.is_object()) {
    return RegistryValue{requiredIntegerField<std::uint32_t>(json, "type"), fromHex(textField(json, "hex"))};
  }
  throw std::runtime_error("a registry value must be a text, an integer or {type, hex}");
}

std::unique_ptr<RegistryTree::Key> copyOf(const RegistryTree::Key& key) {
  auto copy = std::make_unique<RegistryTree::Key>();
  copy->name = key.name;
  copy->values = key.values;
  for (const auto& sub : key.subkeys) copy->subkeys.push_back(copyOf(*sub));
  return copy;
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

RegistryTree::RegistryTree(const RegistryTree& other) : root_(copyOf(*other.root_)) {}

RegistryTree& RegistryTree::operator=(const RegistryTree& other) {
  if (this != &other) root_ = copyOf(*other.root_);
  return *this;
}

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
    for (const auto& [name, value] : values.items()) {
      try {
        tree.setValue(path, name, valueFromJson(value));
      } catch (const std::runtime_error& e) {
        throw std::runtime_error("registry value \"" + name + "\" of \"" + path + "\": " + e.what());
      }
    }
  }
  return tree;
}

RegistryValue RegistryTree::stringValue(const std::string& text) {
  RegistryValue value{registryText, std::vector<std::uint8_t>(text.begin(), text.end())};
  value.data.push_back(0);
  return value;
}

RegistryValue RegistryTree::dwordValue(std::uint32_t number) {
  RegistryValue value{registryNumber, std::vector<std::uint8_t>(4)};
  std::memcpy(value.data.data(), &number, 4);
  return value;
}

}  // namespace plat
