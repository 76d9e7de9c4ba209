// What an action still running waits for beyond the machine itself, so that
// the program can tell the user: today only a user's answer to an
// authorisation dialog. Process-wide: the thread that waits sets it, the
// window's thread reads it.
#pragma once

#include <cstdint>

namespace plat {

enum class Awaiting : std::uint8_t { Nothing, Permission };

Awaiting awaiting();

// Sets what is awaited for the life of the object, then Nothing again.
class ScopedAwaiting {
 public:
  explicit ScopedAwaiting(Awaiting what);
  ~ScopedAwaiting();
  ScopedAwaiting(const ScopedAwaiting&) = delete;
  ScopedAwaiting& operator=(const ScopedAwaiting&) = delete;
};

}  // namespace plat
