#include "machine/Awaiting.h"

#include <atomic>

namespace plat {
namespace {

std::atomic<Awaiting> awaited{Awaiting::Nothing};

}  // namespace

Awaiting awaiting() { return awaited.load(); }

ScopedAwaiting::ScopedAwaiting(Awaiting what) { awaited = what; }

ScopedAwaiting::~ScopedAwaiting() { awaited = Awaiting::Nothing; }

}  // namespace plat
