#include "app/NoticeThrottle.h"

#include <QStringList>

std::optional<QString> TNoticeThrottle::Offer(const QString& notice, Clock::time_point now) {
  if (held_.empty() && Due(now)) {
    lastShown_ = now;
    return notice;
  }
  held_.push_back(notice);
  if (held_.size() > MaxHeldLines) held_.pop_front();  // the list on the page keeps the full account
  return Release(now);
}

std::optional<TNoticeThrottle::Clock::time_point> TNoticeThrottle::HeldUntil() const {
  if (held_.empty()) return std::nullopt;
  return *lastShown_ + gap_;
}

std::optional<QString> TNoticeThrottle::Release(Clock::time_point now) {
  if (held_.empty() || !Due(now)) return std::nullopt;
  lastShown_ = now;
  const QStringList lines(held_.begin(), held_.end());
  held_.clear();
  return lines.join(u'\n');
}
