#include "sim/SimSharingState.h"

#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "sim/StateFile.h"
#include "win32/AsciiCase.h"

namespace plat::sim {

SimSharingState::SimSharingState(const nlohmann::json& initial, std::optional<std::filesystem::path> stateFile)
    : stateFile_(std::move(stateFile)) {
  if (auto saved = readStateFile(stateFile_, "sharing state")) {
    load(*saved, "saved sharing state " + stateFile_->string());
  } else {
    load(initial, "\"sharing\"");
  }
}

void SimSharingState::load(const nlohmann::json& json, const std::string& origin) {
  if (json.is_null()) return;
  if (!json.is_object()) throw std::runtime_error(origin + " must be an object");
  auto read = [&](const char* key, std::string& holder) {
    auto it = json.find(key);
    if (it == json.end() || it->is_null()) return;
    if (!it->is_string()) throw std::runtime_error(origin + ": \"" + key + "\" must be a GUID text or null");
    holder = it->get<std::string>();
  };
  read("public", public_);
  read("private", private_);
  if (!public_.empty() && equalsNoCase(public_, private_)) {
    throw std::runtime_error(origin + ": one connection cannot be shared publicly and privately");
  }
}

const std::string& SimSharingState::holder(SharingRole role) const {
  static const std::string none;
  if (role == SharingRole::publicSide) return public_;
  if (role == SharingRole::privateSide) return private_;
  return none;
}

SharingRole SimSharingState::roleOf(const std::string& guid) const {
  if (!guid.empty() && equalsNoCase(guid, public_)) return SharingRole::publicSide;
  if (!guid.empty() && equalsNoCase(guid, private_)) return SharingRole::privateSide;
  return SharingRole::none;
}

std::int32_t SimSharingState::grant(const std::string& guid, SharingRole role) {
  const SharingRole held = roleOf(guid);
  if (held == role) return S_OK;
  if (held != SharingRole::none || !holder(role).empty()) return roleTakenError;
  assign(guid, role);
  return S_OK;
}

void SimSharingState::assign(const std::string& guid, SharingRole role) {
  dropRoles(guid);
  if (role == SharingRole::publicSide) public_ = guid;
  if (role == SharingRole::privateSide) private_ = guid;
  save();
}

void SimSharingState::clear(const std::string& guid) {
  if (dropRoles(guid)) save();
}

bool SimSharingState::dropRoles(const std::string& guid) {
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

void SimSharingState::save() const {
  if (!stateFile_) return;
  writeStateFile(stateFile_, {{"public", public_.empty() ? nlohmann::json() : nlohmann::json(public_)},
                              {"private", private_.empty() ? nlohmann::json() : nlohmann::json(private_)}});
}

}  // namespace plat::sim
