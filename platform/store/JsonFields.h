// Typed reads of the JSON the machines are given: scenarios, saved state and
// air entries. A value of the wrong kind, or a number that is not
// an integer in the field's range (1e300, -1, 2.5), throws std::runtime_error
// naming the field and what it must be; no JSON library error and no
// out-of-range conversion gets through.
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace plat {

// The field `key` of `object`; null when it is missing or null (or `object`
// is not an object).
const nlohmann::json* optionalField(const nlohmann::json& object, const char* key);

// The field `key` of `object`, which must be there (not null).
const nlohmann::json& requiredField(const nlohmann::json& object, const char* key);

// Sections: the field, or an empty object or array when it is missing or
// null.
const nlohmann::json& objectField(const nlohmann::json& object, const char* key);
const nlohmann::json& arrayField(const nlohmann::json& object, const char* key);

// Texts and flags: the field, or `fallback` when it is missing or null.
std::string textOf(const nlohmann::json& value, const std::string& what);
std::string textField(const nlohmann::json& object, const char* key, const std::string& fallback = {});
std::string requiredTextField(const nlohmann::json& object, const char* key);
bool flagField(const nlohmann::json& object, const char* key, bool fallback);

// `value` as an integer from `min` to `max`; `what` names it in the error.
std::int64_t integerIn(const nlohmann::json& value, const std::string& what, std::int64_t min, std::int64_t max);

template <std::integral T>
T integerOf(const nlohmann::json& value, const std::string& what, T min = std::numeric_limits<T>::min(),
            T max = std::numeric_limits<T>::max()) {
  static_assert(sizeof(T) <= sizeof(std::uint32_t), "fields are at most 32 bits wide");
  return static_cast<T>(integerIn(value, what, min, max));
}

// The field `key` of `object`, or `fallback` when it is missing or null.
template <std::integral T>
T integerField(const nlohmann::json& object, const char* key, T fallback, T min = std::numeric_limits<T>::min(),
               T max = std::numeric_limits<T>::max()) {
  const auto* field = optionalField(object, key);
  return field ? integerOf<T>(*field, std::string("\"") + key + "\"", min, max) : fallback;
}

// The field `key`, which must be present.
template <std::integral T>
T requiredIntegerField(const nlohmann::json& object, const char* key, T min = std::numeric_limits<T>::min(),
                       T max = std::numeric_limits<T>::max()) {
  return integerOf<T>(requiredField(object, key), std::string("\"") + key + "\"", min, max);
}

// Calls `parse` with each entry of the array field `key` (missing or null:
// none); a fault in an entry is rethrown naming it: "<entryName> <n>: ...".
template <class Parse>
void forEachEntry(const nlohmann::json& object, const char* key, const char* entryName, Parse parse) {
  std::size_t number = 0;
  for (const auto& entry : arrayField(object, key)) {
    ++number;
    try {
      parse(entry);
    } catch (const std::runtime_error& e) {
      throw std::runtime_error(std::string(entryName) + " " + std::to_string(number) + ": " + e.what());
    }
  }
}

}  // namespace plat
