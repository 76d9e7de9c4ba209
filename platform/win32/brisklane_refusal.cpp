// Brisklane's own: the reason behind the last refusal of this thread.
#include "brisklane_refusal.h"

#include "machine/Refusal.h"

std::string BrisklaneLastRefusal() { return plat::lastRefusal(); }
