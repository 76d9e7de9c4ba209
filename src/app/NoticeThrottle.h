// Paces notices such as tray balloons: at most one goes out every `gap`.
// A notice that comes sooner is held, and the held ones go out together, one
// a line, once the gap has passed. Times are given by the caller.
#pragma once

#include <chrono>
#include <deque>
#include <optional>

#include <QString>

class TNoticeThrottle {
 public:
  using Clock = std::chrono::steady_clock;

  // The most held notices one release shows: the latest ones.
  static constexpr std::size_t MaxHeldLines = 3;

  explicit TNoticeThrottle(Clock::duration gap) : gap_(gap) {}

  // The text to show now, or none when the notice is held.
  std::optional<QString> Offer(const QString& notice, Clock::time_point now);

  // When the held notices may go out; none when nothing is held.
  std::optional<Clock::time_point> HeldUntil() const;

  // The held notices, once the gap has passed; none before, or when nothing
  // is held.
  std::optional<QString> Release(Clock::time_point now);

 private:
  bool Due(Clock::time_point now) const { return !lastShown_ || now - *lastShown_ >= gap_; }

  const Clock::duration gap_;
  std::optional<Clock::time_point> lastShown_;
  std::deque<QString> held_;
};
