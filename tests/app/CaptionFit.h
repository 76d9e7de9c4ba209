// Whether a window shows its captions whole: each text, measured with its
// control's font, fits the room the control gives it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>

#include "app/Unit1StatusPanel.h"

namespace apptest {

namespace captionfit {

// Where a control shows its caption, in its own coordinates: the room it has
// for the text and where the text goes in it, as tall as the text needs.
struct Caption {
  QRect room;
  QRect text;
};

// The text's extent, wrapped to the room's width when `flags` say so, placed
// in the room by the alignment among `flags`.
inline QRect Placed(const QFontMetrics& metrics, const QRect& room, int flags, const QString& text) {
  const int alignment = flags & int(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask);
  const QSize needed =
      metrics.boundingRect(QRect(0, 0, room.width(), 1 << 16), flags & ~int(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask), text).size();
  return QStyle::alignedRect(Qt::LeftToRight, Qt::Alignment(alignment), needed, room);
}

// A push button, check box or radio button: its text and picture inside the
// contents rectangle its style gives it.
inline Caption ButtonCaption(const QAbstractButton& button, QStyle::SubElement contents, int alignment) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  option.icon = button.icon();
  option.iconSize = button.iconSize();
  QRect room = button.style()->subElementRect(contents, &option, &button);
  QRect picture;
  if (!button.icon().isNull()) {
    picture = QRect(room.topLeft(), button.iconSize());
    room.setLeft(room.left() + button.iconSize().width() + 4);  // the style's gap beside the picture
  }
  const QRect text = Placed(button.fontMetrics(), room, alignment | Qt::TextShowMnemonic, button.text());
  return {room.united(picture), text.united(picture)};
}

inline std::optional<Caption> CaptionOf(const QWidget& widget) {
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    if (label->text().isEmpty() || !label->pixmap().isNull()) return std::nullopt;
    const int margin = label->margin();
    const QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) |
                      (label->buddy() ? Qt::TextShowMnemonic : 0);
    return Caption{room, Placed(label->fontMetrics(), room, flags, label->text())};
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    if (button->text().isEmpty()) return std::nullopt;
    if (qobject_cast<const QPushButton*>(button)) {
      return ButtonCaption(*button, QStyle::SE_PushButtonContents, Qt::AlignCenter);
    }
    if (qobject_cast<const QCheckBox*>(button)) {
      return ButtonCaption(*button, QStyle::SE_CheckBoxContents, Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (qobject_cast<const QRadioButton*>(button)) {
      return ButtonCaption(*button, QStyle::SE_RadioButtonContents, Qt::AlignLeft | Qt::AlignVCenter);
    }
    // A tool button's text under its picture: the room its style asks for both.
    return Caption{button->rect(), QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, button->sizeHint(), button->rect())};
  }
  if (const auto* panel = qobject_cast<const TStatusPanel*>(&widget)) {
    if (panel->Text().isEmpty()) return std::nullopt;
    // The owner draws one line beside the panel's 16-pixel picture.
    const QRect room = panel->rect().adjusted(20, 2, 0, 0);
    return Caption{room, Placed(panel->fontMetrics(), room, Qt::AlignLeft | Qt::AlignTop, panel->Text())};
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
    if (group->title().isEmpty()) return std::nullopt;
    const QRect room = group->contentsRect();
    return Caption{room, Placed(group->fontMetrics(), room, Qt::TextShowMnemonic | Qt::TextSingleLine, group->title())};
  }
  return std::nullopt;
}

inline bool Fits(const Caption& caption) {
  return caption.text.width() <= caption.room.width() && caption.text.height() <= caption.room.height();
}

// Inside each of its parents up to the window, which cut off what lies beyond.
inline bool InsideItsParents(const QWidget& widget, const QWidget& window) {
  QRect shown = widget.rect();
  for (const QWidget* w = &widget; w != &window && w->parentWidget() != nullptr; w = w->parentWidget()) {
    shown.translate(w->pos());
    if (!w->parentWidget()->rect().contains(shown)) return false;
  }
  return true;
}

// Where the text shows: a control draws nothing outside itself.
inline QRect Drawn(const QWidget& widget, const Caption& caption) {
  return caption.text.intersected(widget.rect()).translated(widget.pos());
}

// The text of another caption of the same parent lies over part of this one's.
inline bool Overlapped(const QWidget& widget, const Caption& caption, const QWidget& window) {
  const QRect text = Drawn(widget, caption);
  for (const QWidget* other : widget.parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (other == &widget || !other->isVisibleTo(&window)) continue;
    if (const std::optional<Caption> near = CaptionOf(*other); near && Drawn(*other, *near).intersects(text)) {
      return true;
    }
  }
  return false;
}

}  // namespace captionfit

// The controls of `window` (its own, not its dialogs') that show now and
// whose caption does not show whole: it does not fit the control, the
// control runs past the edge of its parent, or another caption covers it.
// By name.
inline std::vector<std::string> ClippedCaptions(QWidget& window) {
  std::vector<std::string> clipped;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (widget->window() != &window || !widget->isVisibleTo(&window)) continue;
    const std::optional<captionfit::Caption> caption = captionfit::CaptionOf(*widget);
    if (!caption) continue;
    if (!captionfit::Fits(*caption) || !captionfit::InsideItsParents(*widget, window) ||
        captionfit::Overlapped(*widget, *caption, window)) {
      clipped.push_back(widget->objectName().toStdString());
    }
  }
  return clipped;
}

}  // namespace apptest
