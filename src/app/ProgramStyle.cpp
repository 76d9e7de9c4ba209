#include "app/ProgramStyle.h"

#include <qdrawutil.h>
#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

#include "app/Pictures.h"

namespace {

// The frame the Fusion style draws around a group box, and its place, as
// Fusion computes it.
const char* const GroupBoxFramePicture = ":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png";
constexpr int GroupBoxTopMargin = 3;
constexpr QMargins GroupBoxFrameBorder(6, 6, 6, 6);

const QPixmap& groupBoxFrame() {
  static const QPixmap frame = [] {
    QImageReader reader(QString::fromLatin1(GroupBoxFramePicture), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
  }();
  return frame;
}

}  // namespace

QIcon TProgramStyle::standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const {
  // Bars are laid out left to right; a vertical bar would ask for another arrow.
  if (which == SP_ToolBarHorizontalExtensionButton) return PictureIcon(TPicture::MoreButtons);
  return QProxyStyle::standardIcon(which, option, widget);
}

void TProgramStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
  const bool fusion = baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
  if (element != PE_FrameGroupBox || !fusion || groupBoxFrame().isNull()) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  int top = GroupBoxTopMargin;
  const auto* group = qobject_cast<const QGroupBox*>(widget);
  if (group == nullptr || group->isCheckable() || !group->title().isEmpty()) {
    top += qMax(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget), option->fontMetrics.height());
  }
  qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), GroupBoxFrameBorder, groupBoxFrame());
}
