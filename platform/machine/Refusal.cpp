#include "machine/Refusal.h"

namespace plat {
namespace {

thread_local std::string reasonOfThisThread;

}  // namespace

void setRefusal(std::string reason) { reasonOfThisThread = std::move(reason); }

void clearRefusal() { reasonOfThisThread.clear(); }

std::string lastRefusal() { return reasonOfThisThread; }

}  // namespace plat
