#include "store/JsonFields.h"

#include <stdexcept>

namespace plat {
namespace {

// The offending value as the error shows it, cut to a readable length.
std::string shown(const nlohmann::json& value) {
  constexpr std::size_t limit = 40;
  auto text = value.dump();
  if (text.size() > limit) text = text.substr(0, limit) + "...";
  return text;
}

std::string quoted(const char* key) { return std::string("\"") + key + "\""; }

// The field, or `empty` when it is missing or null; throws unless it has the
// kind of `empty`.
const nlohmann::json& sectionField(const nlohmann::json& object, const char* key, const nlohmann::json& empty,
                                   const char* kind) {
  const auto* field = optionalField(object, key);
  if (!field) return empty;
  if (field->type() != empty.type()) throw std::runtime_error(quoted(key) + " must be " + kind + ", not " + shown(*field));
  return *field;
}

}  // namespace

const nlohmann::json* optionalField(const nlohmann::json& object, const char* key) {
  auto it = object.find(key);
  return it == object.end() || it->is_null() ? nullptr : &*it;
}

const nlohmann::json& requiredField(const nlohmann::json& object, const char* key) {
  if (!object.is_object()) throw std::runtime_error("expected an object with " + quoted(key) + ", not " + shown(object));
  const auto* field = optionalField(object, key);
  if (!field) throw std::runtime_error(quoted(key) + " is missing");
  return *field;
}

const nlohmann::json& objectField(const nlohmann::json& object, const char* key) {
  static const nlohmann::json empty = nlohmann::json::object();
  return sectionField(object, key, empty, "an object");
}

const nlohmann::json& arrayField(const nlohmann::json& object, const char* key) {
  static const nlohmann::json empty = nlohmann::json::array();
  return sectionField(object, key, empty, "an array");
}

std::string textOf(const nlohmann::json& value, const std::string& what) {
  if (!value.is_string()) throw std::runtime_error(what + " must be a text, not " + shown(value));
  return value.get<std::string>();
}

std::string textField(const nlohmann::json& object, const char* key, const std::string& fallback) {
  const auto* field = optionalField(object, key);
  return field ? textOf(*field, quoted(key)) : fallback;
}

std::string requiredTextField(const nlohmann::json& object, const char* key) {
  return textOf(requiredField(object, key), quoted(key));
}

bool flagField(const nlohmann::json& object, const char* key, bool fallback) {
  const auto* field = optionalField(object, key);
  if (!field) return fallback;
  if (!field->is_boolean()) throw std::runtime_error(quoted(key) + " must be true or false, not " + shown(*field));
  return field->get<bool>();
}

std::int64_t integerIn(const nlohmann::json& value, const std::string& what, std::int64_t min, std::int64_t max) {
  // Only integers are converted: a floating-point number out of the target's
  // range would be undefined behaviour, and one in range is not what a
  // count, an index or a code is written as.
  if (value.is_number_unsigned()) {
    const auto number = value.get<std::uint64_t>();
    if (max >= 0 && number <= static_cast<std::uint64_t>(max) && static_cast<std::int64_t>(number) >= min) {
      return static_cast<std::int64_t>(number);
    }
  } else if (value.is_number_integer()) {
    const auto number = value.get<std::int64_t>();
    if (number >= min && number <= max) return number;
  }
  throw std::runtime_error(what + " must be an integer from " + std::to_string(min) + " to " + std::to_string(max) +
                           ", not " + shown(value));
}

}  // namespace plat
