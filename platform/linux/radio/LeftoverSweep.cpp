#include "linux/radio/LeftoverSweep.h"

#include <map>

#include "linux/nm/NmActivation.h"
#include "linux/nm/NmNames.h"
#include "linux/nm/NmProfiles.h"
#include "linux/nm/NmReplies.h"

namespace plat::lnx {

std::optional<bool> sweepLeftovers(NmClient& client) {
  const NmObjectCache& objects = client.objects();
  if (!objects.settled()) return std::nullopt;
  const auto manager = objects.properties(nm::managerPath, nm::managerInterface);
  const auto settingsService = objects.properties(nm::settingsPath, nm::settingsInterface);
  if (!manager || !settingsService) return std::nullopt;
  std::map<QString, QString> activeByProfile;
  for (const auto& active : nm::objectPaths(manager->value(QStringLiteral("ActiveConnections")))) {
    if (const auto properties = objects.properties(active.path(), nm::activeInterface)) {
      activeByProfile[nm::objectPathIn(*properties, QStringLiteral("Connection"))] = active.path();
    }
  }
  const QString self = client.uniqueName();
  bool liveHotspot = false;
  for (const auto& profile : nm::objectPaths(settingsService->value(QStringLiteral("Connections")))) {
    const auto settings = objects.settings(profile.path());
    if (!settings) continue;  // arrived after the look began
    const QString instance = profileInstance(*settings);
    if (instance.isEmpty()) continue;  // not Brisklane's
    const auto active = activeByProfile.find(profile.path());
    if (instance == self || client.nameHasOwner(instance)) {
      liveHotspot = liveHotspot || (isHotspotProfile(*settings) && active != activeByProfile.end());
      continue;
    }
    const auto profileProperties = objects.properties(profile.path(), nm::profileInterface);
    if (!profileProperties || !nm::flagIn(*profileProperties, QStringLiteral("Unsaved"))) continue;  // a user's copy
    NmActivation::withdraw(client, active != activeByProfile.end() ? active->second : QString(), profile.path());
  }
  return liveHotspot;
}

}  // namespace plat::lnx
