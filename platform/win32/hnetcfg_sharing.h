// The connection sharing manager class (NetSharingManager) that
// CoCreateInstance makes: small reference-counted objects for the manager,
// the connection collection, its enumerator, each connection and each
// connection's sharing configuration, all over the current machine's
// NetworkBackend.
#pragma once

#include "objbase.h"

namespace plat {

// Makes a sharing manager and returns its interface `iid`. Fails with the
// machine's result when its sharing service is not available, E_NOINTERFACE
// for an interface the manager does not answer.
HRESULT createNetSharingManager(REFIID iid, void** object);

}  // namespace plat
