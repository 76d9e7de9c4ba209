// One run: the laptop and the window set up with a NetworkManager that
// answers at once, then NetworkManager made to answer as the cell says,
// the operation done and watched until its result (or the end of the time
// it is given), and after a NetworkManager that never answers, Stop WiFi
// and Exit pressed.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>

#include "Measure.h"
#include "Program.h"
#include "StallMeter.h"

namespace stall {

class Run {
 public:
  explicit Run(Cell cell) : cell_(cell) {}

  // Call from within the event loop; returns when the run is over.
  Timing perform();
  // What the run has measured so far, the stall going on included; from
  // any thread, also while the loop is stuck.
  Timing sofar() const;
  // The same, for a run given up now.
  Timing givenUp() const;
  // How long after the operation began the run is given up, and whether
  // that time has passed.
  milliseconds limit() const;
  bool overdue() const;

 private:
  Timing observe(Program& program);
  void show(const Program* program);
  void begin();
  bool resultSeen(const Program& program);
  // The operation's result box, if one appeared in the time a result counts.
  void noteBox(const Program& program, Timing& timing) const;
  milliseconds sinceBegin() const;

  Cell cell_;
  StallMeter meter_;
  mutable std::mutex mutex_;
  std::optional<std::chrono::steady_clock::time_point> begun_;
  const Program* program_ = nullptr;
  Timing timing_;
  bool windowGone_ = false;  // the window closed: the stall is measured, the time to the end is not
};

}  // namespace stall
