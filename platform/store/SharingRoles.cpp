#include "store/SharingRoles.h"

#include <stdexcept>
#include <tuple>

#include <nlohmann/json.hpp>

#include "common/AsciiCase.h"
#include "store/JsonFields.h"
#include "store/StateFile.h"

namespace plat {

SharingRoles::SharingRoles(const nlohmann::json& initial, std::optional<std::filesystem::path> stateFile)
    : stateFile_(std::move(stateFile)) {
  if (loadStateFile(stateFile_, "sharing state", [this](const nlohmann::json& state) { load(state); })) return;
  try {
    load(initial);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(std::string("\"sharing\": ") + e.what());
  }
}

void SharingRoles::load(const nlohmann::json& json) {
  if (json.is_null()) return;
  if (!json.is_object()) throw std::runtime_error("the sharing state must be an object");
  public_ = textField(json, "public");
  private_ = textField(json, "private");
  if (!public_.empty() && equalsNoCase(public_, private_)) {
    throw std::runtime_error("one connection cannot be shared publicly and privately");
  }
}

const std::string& SharingRoles::holder(SharingRole role) const {
  static const std::string none;
  if (role == SharingRole::publicSide) return public_;
  if (role == SharingRole::privateSide) return private_;
  return none;
}

SharingRole SharingRoles::roleOf(const std::string& guid) const {
  if (!guid.empty() && equalsNoCase(guid, public_)) return SharingRole::publicSide;
  if (!guid.empty() && equalsNoCase(guid, private_)) return SharingRole::privateSide;
  return SharingRole::none;
}

SharingResult SharingRoles::grant(const std::string& guid, SharingRole role) {
  const SharingRole held = roleOf(guid);
  if (held == role) return SharingStatus::Ok;
  if (held != SharingRole::none || !holder(role).empty()) return SharingStatus::RoleTaken;
  return assign(guid, role);
}

SharingResult SharingRoles::assign(const std::string& guid, SharingRole role) {
  const std::pair before{public_, private_};
  dropRoles(guid);
  if (role == SharingRole::publicSide) public_ = guid;
  if (role == SharingRole::privateSide) private_ = guid;
  return saveOrRevert(before);
}

SharingResult SharingRoles::clear(const std::string& guid) {
  const std::pair before{public_, private_};
  return dropRoles(guid) ? saveOrRevert(before) : SharingResult();
}

bool SharingRoles::dropRoles(const std::string& guid) {
  switch (roleOf(guid)) {
    case SharingRole::publicSide:
      public_.clear();
      return true;
    case SharingRole::privateSide:
      private_.clear();
      return true;
    case SharingRole::none:
      break;
  }
  return false;
}

SharingResult SharingRoles::saveOrRevert(const std::pair<std::string, std::string>& before) {
  const auto error =
      writeStateFile(stateFile_, {{"public", public_.empty() ? nlohmann::json() : nlohmann::json(public_)},
                                  {"private", private_.empty() ? nlohmann::json() : nlohmann::json(private_)}});
  if (error == 0) return SharingStatus::Ok;
  std::tie(public_, private_) = before;
  return SharingResult::notSaved(error);
}

}  // namespace plat
