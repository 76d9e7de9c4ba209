// An event that another thread fires while its owner may (re)assign it. It
// is assigned and tested like a std::function member; the handler is swapped
// under a lock and called outside it, on the firing thread.
#pragma once

#include <functional>
#include <mutex>

template <class Signature>
class TCrossThreadEvent;

template <class... Args>
class TCrossThreadEvent<void(Args...)> {
 public:
  using Handler = std::function<void(Args...)>;

  TCrossThreadEvent& operator=(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
    return *this;
  }

  explicit operator bool() const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(handler_);
  }

  // Calls the handler when one is assigned; what it raises passes through.
  void operator()(Args... args) const {
    Handler handler;
    {
      std::lock_guard lock(mutex_);
      handler = handler_;
    }
    if (handler) handler(args...);
  }

 private:
  mutable std::mutex mutex_;
  Handler handler_;
};
