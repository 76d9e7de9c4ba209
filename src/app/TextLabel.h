// A label that measures its text once for each text, font and width it is
// asked about.
//
// Qt measures a label again at every layout pass of its window, and a
// word-wrapping label shapes its whole text for each measure: with the main
// window's pages of wrapped texts (the hidden pages count, as a stack of
// pages is as tall as its tallest), that was most of the program's start-up.
// The measures depend only on what `Inputs` holds, so they are kept until one
// of those changes.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QFont>
#include <QLabel>
#include <QMargins>

class TTextLabel : public QLabel {
 public:
  using QLabel::QLabel;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  int heightForWidth(int width) const override;

 private:
  struct Inputs {
    QString text;
    QFont font;
    Qt::TextFormat format = Qt::AutoText;
    Qt::Alignment alignment;
    bool wordWrap = false;
    int margin = 0;
    int indent = 0;
    QMargins contents;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    const QStyle* style = nullptr;
    bool operator==(const Inputs&) const = default;
  };

  // Drops the measures when what they were taken for has changed.
  void Validate() const;

  mutable Inputs measuredFor_;
  mutable std::optional<QSize> sizeHint_;
  mutable std::optional<QSize> minimumSizeHint_;
  mutable std::vector<std::pair<int, int>> heightForWidth_;  // a few widths a layout asks about
};
