// The program's import of the platform's connection-sharing type library
// (NETCONLib): the interfaces and records come from netcon.h; the import adds
// the factory of the class NetSharingManager, which raises on failure.
#pragma once

#include "ComObj.h"
#include "netcon.h"

// The factory of the class NetSharingManager.
class CoNetSharingManager {
 public:
  // Makes the object (in process or as a local server) and queries it for
  // INetSharingManager; raises EOleSysError when either step fails.
  static ComPtr<INetSharingManager> Create();
};
