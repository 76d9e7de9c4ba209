// NetworkManager's objects as the client last heard of them: every object's
// interfaces with their properties, and the settings of every profile. The
// client fills it once from the object manager and keeps it current from
// InterfacesAdded, InterfacesRemoved, PropertiesChanged and the profiles'
// Updated signals, all on its own thread; anyone reads it, from memory.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "linux/nm/NmProfiles.h"
#include "linux/nm/NmReplies.h"

namespace plat::lnx {

class NmObjectCache {
 public:
  // What a reader finds: NetworkManager's objects once their first picture
  // arrived, else why there is none yet.
  enum class State { Waiting, Filled, Unreachable };

  State state() const;
  // Waits at most `timeout` for the first picture with every profile's
  // settings, or for the news that none comes.
  void waitUntilSettled(std::chrono::milliseconds timeout) const;
  // Why the first picture did not come, as a user is told; empty when
  // NetworkManager is not on the bus.
  QString unreachableReason() const;

  // An interface's properties; none when the object or interface is unknown.
  std::optional<QVariantMap> properties(const QString& path, const QString& interface) const;
  // Filled, with the settings of every profile arrived.
  bool settled() const;
  // A profile's settings; none while they have not arrived.
  std::optional<ProfileSettings> settings(const QString& profilePath) const;

  // The client's side. `fill` replaces everything with the first picture;
  // what arrives meanwhile is already in it.
  void fill(nm::ManagedObjects objects);
  void fillFailed(const QString& reason);
  void add(const QString& path, const nm::InterfaceProperties& interfaces);
  void remove(const QString& path, const QStringList& interfaces);
  void change(const QString& path, const QString& interface, const QVariantMap& changed,
              const QStringList& invalidated);
  void setSettings(const QString& profilePath, ProfileSettings settings);
  // NetworkManager left: nothing is known until the next fill.
  void clear();
  // A fill was asked for: Waiting until it comes.
  void expectFill();

 private:
  struct Object {
    nm::InterfaceProperties interfaces;
    std::optional<ProfileSettings> settings;
  };

  bool settledLocked() const;

  mutable std::mutex mutex_;
  mutable std::condition_variable filled_;
  State state_ = State::Waiting;
  QString unreachableReason_;
  QHash<QString, Object> objects_;
};

}  // namespace plat::lnx
