#include "linux/nm/NmObjectCache.h"

#include <algorithm>

#include "linux/nm/NmNames.h"

namespace plat::lnx {

NmObjectCache::State NmObjectCache::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void NmObjectCache::waitUntilSettled(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  filled_.wait_for(lock, timeout, [this] { return state_ == State::Unreachable || settledLocked(); });
}

QString NmObjectCache::unreachableReason() const {
  std::lock_guard lock(mutex_);
  return unreachableReason_;
}

std::optional<QVariantMap> NmObjectCache::properties(const QString& path, const QString& interface) const {
  std::lock_guard lock(mutex_);
  const auto object = objects_.constFind(path);
  if (object == objects_.constEnd()) return std::nullopt;
  const auto properties = object->interfaces.constFind(interface);
  if (properties == object->interfaces.constEnd()) return std::nullopt;
  return *properties;
}

bool NmObjectCache::settled() const {
  std::lock_guard lock(mutex_);
  return settledLocked();
}

bool NmObjectCache::settledLocked() const {
  if (state_ != State::Filled) return false;
  return std::all_of(objects_.cbegin(), objects_.cend(), [](const Object& object) {
    return object.settings || !object.interfaces.contains(nm::profileInterface);
  });
}

std::optional<ProfileSettings> NmObjectCache::settings(const QString& profilePath) const {
  std::lock_guard lock(mutex_);
  const auto object = objects_.constFind(profilePath);
  return object == objects_.constEnd() ? std::nullopt : object->settings;
}

void NmObjectCache::fill(nm::ManagedObjects objects) {
  std::lock_guard lock(mutex_);
  QHash<QString, Object> filled;
  for (auto object = objects.begin(); object != objects.end(); ++object) {
    Object& kept = filled[object.key()];
    kept.interfaces = std::move(object.value());
    // Settings fetched while the picture was on its way stay.
    if (const auto old = objects_.constFind(object.key()); old != objects_.constEnd()) kept.settings = old->settings;
  }
  objects_ = std::move(filled);
  state_ = State::Filled;
  unreachableReason_.clear();
  filled_.notify_all();
}

void NmObjectCache::fillFailed(const QString& reason) {
  std::lock_guard lock(mutex_);
  objects_.clear();
  state_ = State::Unreachable;
  unreachableReason_ = reason;
  filled_.notify_all();
}

void NmObjectCache::add(const QString& path, const nm::InterfaceProperties& interfaces) {
  std::lock_guard lock(mutex_);
  Object& object = objects_[path];
  for (auto entry = interfaces.constBegin(); entry != interfaces.constEnd(); ++entry) {
    object.interfaces.insert(entry.key(), entry.value());
  }
}

void NmObjectCache::remove(const QString& path, const QStringList& interfaces) {
  std::lock_guard lock(mutex_);
  const auto object = objects_.find(path);
  if (object == objects_.end()) return;
  for (const QString& interface : interfaces) object->interfaces.remove(interface);
  if (object->interfaces.isEmpty()) objects_.erase(object);
  filled_.notify_all();
}

void NmObjectCache::change(const QString& path, const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated) {
  std::lock_guard lock(mutex_);
  const auto object = objects_.find(path);
  if (object == objects_.end()) return;  // announced later, with its properties
  const auto properties = object->interfaces.find(interface);
  if (properties == object->interfaces.end()) return;
  for (auto entry = changed.constBegin(); entry != changed.constEnd(); ++entry) {
    properties->insert(entry.key(), entry.value());
  }
  for (const QString& name : invalidated) properties->remove(name);
}

void NmObjectCache::setSettings(const QString& profilePath, ProfileSettings settings) {
  std::lock_guard lock(mutex_);
  const auto object = objects_.find(profilePath);
  if (object != objects_.end()) object->settings = std::move(settings);
  filled_.notify_all();
}

void NmObjectCache::expectFill() {
  std::lock_guard lock(mutex_);
  objects_.clear();
  state_ = State::Waiting;
  unreachableReason_.clear();
}

void NmObjectCache::clear() {
  std::lock_guard lock(mutex_);
  objects_.clear();
  state_ = State::Unreachable;
  unreachableReason_.clear();
  filled_.notify_all();
}

}  // namespace plat::lnx
