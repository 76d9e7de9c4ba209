// Brisklane's own: the passphrase of the network a key creates, as the
// current machine's radio makes it.
#include "brisklane_passphrase.h"

#include "machine/Machine.h"
#include "machine/RadioBackend.h"

std::string BrisklaneNetworkPassphrase(const std::string& key) {
  return plat::machine().radio().networkPassphrase(key);
}
