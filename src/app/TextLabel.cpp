#include "app/TextLabel.h"

#include <algorithm>

namespace {

// A layout asks about a handful of widths; more are measured afresh.
constexpr std::size_t KeptWidths = 4;

}  // namespace

void TTextLabel::Validate() const {
  Inputs now{text(),    font(),   textFormat(),      alignment(),     wordWrap(),
             margin(),  indent(), contentsMargins(), layoutDirection(), style()};
  if (now == measuredFor_) return;
  measuredFor_ = std::move(now);
  sizeHint_.reset();
  minimumSizeHint_.reset();
  heightForWidth_.clear();
}

QSize TTextLabel::sizeHint() const {
  Validate();
  if (!sizeHint_) sizeHint_ = QLabel::sizeHint();
  return *sizeHint_;
}

QSize TTextLabel::minimumSizeHint() const {
  Validate();
  if (!minimumSizeHint_) minimumSizeHint_ = QLabel::minimumSizeHint();
  return *minimumSizeHint_;
}

int TTextLabel::heightForWidth(int width) const {
  Validate();
  const auto found = std::find_if(heightForWidth_.begin(), heightForWidth_.end(),
                                  [width](const auto& entry) { return entry.first == width; });
  if (found != heightForWidth_.end()) return found->second;
  const int height = QLabel::heightForWidth(width);
  if (heightForWidth_.size() == KeptWidths) heightForWidth_.erase(heightForWidth_.begin());
  heightForWidth_.emplace_back(width, height);
  return height;
}
