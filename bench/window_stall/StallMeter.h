// The longest stall of this thread's event loop: the largest gap between
// two turns of a 1 ms timer, which every loop runs (nested modal loops and
// processEvents() calls too). What happens between two turns, handlers or
// a wait that does not run the loop, is time in which a click or a repaint
// would have waited. (QAbstractEventDispatcher's awake comes after the
// events of a wake-up were handled, on Qt's GLib and Unix dispatchers alike,
// so the stretch from awake to aboutToBlock leaves the handlers out.)
#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#include <QObject>
#include <QTimer>

namespace stall {

class StallMeter : public QObject {
 public:
  using Clock = std::chrono::steady_clock;

  explicit StallMeter(std::function<Clock::time_point()> now = Clock::now);

  // Starts measuring afresh from now.
  void start();
  // The longest gap since start(), the one going on now included; safe to
  // ask from another thread while the loop is stuck.
  std::chrono::milliseconds longest() const;

 private:
  void turn();

  std::function<Clock::time_point()> now_;
  QTimer timer_;
  std::atomic<Clock::rep> last_{0};
  std::atomic<Clock::rep> longest_{0};
};

}  // namespace stall
