// The open handles of one kind of Windows-shaped object: each handle is a
// number the table hands out and never hands out again, so a handle closed on
// one thread is unknown, not someone else's, to a thread that still holds it.
// Every call may come from any thread.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

namespace plat {

template <class Handle, class Value>
class HandleTable {
 public:
  // Handles are `first`, `first + step`, ...
  HandleTable(std::uintptr_t first, std::uintptr_t step) : next_(first), step_(step) {}

  Handle add(Value value) {
    std::lock_guard lock(mutex_);
    const std::uintptr_t number = next_;
    next_ += step_;
    values_.emplace(number, std::move(value));
    return reinterpret_cast<Handle>(number);
  }

  // A copy of what the handle stands for; none for a handle that is not open.
  std::optional<Value> find(Handle handle) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }

  // Closes the handle and gives back what it stood for, to be released by the
  // caller outside the table's lock; none for a handle that is not open.
  std::optional<Value> remove(Handle handle) {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == values_.end()) return std::nullopt;
    std::optional<Value> value(std::move(it->second));
    values_.erase(it);
    return value;
  }

 private:
  mutable std::mutex mutex_;
  std::uintptr_t next_;
  const std::uintptr_t step_;
  std::map<std::uintptr_t, Value> values_;
};

}  // namespace plat
