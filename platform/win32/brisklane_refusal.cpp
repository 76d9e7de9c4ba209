// Brisklane's own: the reason behind the last refusal of this thread.
#include "brisklane_refusal.h"

#include "machine/Awaiting.h"
#include "machine/Refusal.h"

std::string BrisklaneLastRefusal() { return plat::lastRefusal(); }

BRISKLANE_AWAITING BrisklaneMachineAwaiting() {
  switch (plat::awaiting()) {
    case plat::Awaiting::Nothing: break;
    case plat::Awaiting::Permission: return BRISKLANE_AWAITING_PERMISSION;
  }
  return BRISKLANE_AWAITING_NOTHING;
}
