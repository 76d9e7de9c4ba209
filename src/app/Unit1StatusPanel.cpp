#include "app/Unit1StatusPanel.h"

#include <QPainter>

TStatusPanel::TStatusPanel(int index, int width, QWidget* parent) : QWidget(parent), index_(index) {
  setFixedWidth(width);
  setMinimumHeight(20);
}

void TStatusPanel::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text);
  setAccessibleDescription(text);
}

void TStatusPanel::paintEvent(QPaintEvent*) {
  if (!OnDrawPanel) return;
  QPainter painter(this);
  OnDrawPanel(*this, painter, rect());
}
