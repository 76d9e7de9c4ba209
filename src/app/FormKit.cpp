#include "app/FormKit.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>

QFont DesignFont(const QString& family) {
  // An installed family is listed. (QFontDatabase::hasFamily would also take
  // a family that fontconfig's rules make another into, and each question
  // runs through all those rules.)
  const bool installed = QFontDatabase::families().contains(family, Qt::CaseInsensitive);
  QFont font(installed ? family : QStringLiteral("Sans Serif"));
  if (!installed) font.setStyleHint(QFont::SansSerif);
  // Text drawn as the classic Windows forms draw it: glyph after glyph,
  // without kerning or ligatures, each fitted to the pixel grid by the font's
  // own hints. That also spares shaping each measured text and running the
  // auto-hinter over each glyph.
  font.setStyleStrategy(QFont::PreferNoShaping);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QFont FormFont() {
  QFont font = DesignFont(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  return font;
}

TModalForm::TModalForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
  setFont(FormFont());
}

int TModalForm::ShowModal() { return exec(); }

void TModalForm::reject() { done(mrCancel); }

void TModalForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

void SetFontColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::ButtonText, color);
  widget->setPalette(palette);
}

void SetFontBold(QWidget* widget) {
  QFont font = widget->font();
  font.setBold(true);
  widget->setFont(font);
}

void PlaceLabel(QLabel* label, int left, int top) {
  if (label->wordWrap()) {
    label->setGeometry(left, top, label->width(), label->heightForWidth(label->width()));
  } else {
    label->move(left, top);
    label->adjustSize();
  }
}
