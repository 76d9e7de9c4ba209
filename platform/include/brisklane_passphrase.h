// Brisklane's own addition to the platform, not a Windows function: the
// passphrase that other devices type to join the network the wireless
// library's AddSsid creates with a key.
#pragma once

#include <string>

// UTF-8 in, UTF-8 out. Where the machine's networks use the key as it is
// (the simulated laptop), that is the key itself; a machine whose hotspot
// needs a longer passphrase tells the one it really uses.
std::string BrisklaneNetworkPassphrase(const std::string& key);
