#include "StallMeter.h"

#include <algorithm>

namespace stall {

StallMeter::StallMeter(std::function<Clock::time_point()> now) : now_(std::move(now)) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(1);
  connect(&timer_, &QTimer::timeout, this, &StallMeter::turn);
}

void StallMeter::start() {
  last_ = now_().time_since_epoch().count();
  longest_ = 0;
  timer_.start();
}

void StallMeter::turn() {
  const Clock::rep now = now_().time_since_epoch().count();
  longest_ = std::max(longest_.load(), now - last_.exchange(now));
}

std::chrono::milliseconds StallMeter::longest() const {
  const Clock::rep ongoing = now_().time_since_epoch().count() - last_;
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::duration(std::max(longest_.load(), ongoing)));
}

}  // namespace stall
