#include "app/OptionsUnit.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "app/MessageBoxes.h"
#include "app/Translation.h"
#include "util/TextUtils.h"

namespace {

const QColor CaptionColor(59, 90, 130);
const QColor Red(255, 0, 0);
const QColor Navy(0, 0, 128);

// A lowered bevel drawn as a line along the bottom of its rectangle.
class TBottomLineBevel : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, height() - 2, width() - 1, height() - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
  }
};

QLabel* newLabel(QWidget* form, const char* name, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), form);
  label->setObjectName(name);
  return label;
}

QLineEdit* newEdit(QWidget* form, const char* name, const QRect& geometry) {
  auto* edit = new QLineEdit(form);
  edit->setObjectName(name);
  edit->setGeometry(geometry);
  return edit;
}

QCheckBox* newCheckBox(QWidget* form, const char* name, const char* text, int left, int top) {
  auto* box = new QCheckBox(QString::fromUtf8(text), form);
  box->setObjectName(name);
  box->move(left, top);
  box->adjustSize();
  return box;
}

QPushButton* newButton(QWidget* form, const char* name, const char* text, const QRect& geometry) {
  auto* button = new QPushButton(QString::fromUtf8(text), form);
  button->setObjectName(name);
  button->setGeometry(geometry);
  return button;
}

// A caption label attached to the left of its control: it ends where the
// control begins and is centred on it vertically.
void attachLeft(QLabel* label, const QWidget* control) {
  label->adjustSize();
  label->move(control->x() - label->width(), control->y() + (control->height() - label->height()) / 2);
}

}  // namespace

TOptionsForm::TOptionsForm(QWidget* owner) : TModalForm(owner) {
  setObjectName("OptionsForm");
  setWindowTitle("Options");
  setFixedSize(370, 278);

  sStickyLabel1 = newLabel(this, "sStickyLabel1", "Network Name (SSID) :  ");
  SetFontBold(sStickyLabel1);
  SetFontColor(sStickyLabel1, CaptionColor);
  edtSSID = newEdit(this, "edtSSID", QRect(154, 16, 185, 21));
  edtSSID->setText("brisklane.example");
  Label3 = newLabel(this, "Label3", " * ");
  SetFontBold(Label3);
  SetFontColor(Label3, Red);

  sStickyLabel2 = newLabel(this, "sStickyLabel2", "Connection Password :  ");
  SetFontBold(sStickyLabel2);
  SetFontColor(sStickyLabel2, CaptionColor);
  edtPassword = newEdit(this, "edtPassword", QRect(154, 50, 185, 21));
  edtPassword->setText("60917");
  Label4 = newLabel(this, "Label4", " * ");
  SetFontBold(Label4);
  SetFontColor(Label4, Red);

  Label5 = newLabel(this, "Label5", "Password MUST be 5 or 13 digits or letters.");
  SetFontColor(Label5, Navy);
  // One line in Tahoma; wider fonts and longer translations wrap inside the
  // form instead of running off its edge (there is room for two lines).
  Label5->setWordWrap(true);
  Label5->resize(width() - 151 - 8, Label5->height());
  Label6 = newLabel(this, "Label6", "* Application restart required.");
  SetFontColor(Label6, Red);

  chkAutoRun = newCheckBox(this, "chkAutoRun", "Autorun with Windows", 24, 165);
  chkAutoRun->setChecked(true);
  chkStartMin = newCheckBox(this, "chkStartMin", "Start minimized", 24, 188);

  Bevel1 = new TBottomLineBevel(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setGeometry(0, 215, 489, 14);

  Button1 = newButton(this, "Button1", "&OK", QRect(156, 242, 75, 25));
  Button1->setDefault(true);
  Button2 = newButton(this, "Button2", "&Cancel", QRect(247, 242, 75, 25));
  connect(Button1, &QPushButton::clicked, this, &TOptionsForm::Button1Click);
  connect(Button2, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });

  FormCreate();
}

void TOptionsForm::FormCreate() {
  TranslateComponent(this);
  // Translated captions change their widths: lay the labels out afterwards.
  attachLeft(sStickyLabel1, edtSSID);
  attachLeft(sStickyLabel2, edtPassword);
  PlaceLabel(Label3, 345, 20);
  PlaceLabel(Label4, 345, 54);
  PlaceLabel(Label5, 151, 77);
  PlaceLabel(Label6, 24, 106);
  chkAutoRun->adjustSize();
  chkStartMin->adjustSize();
}

std::optional<TOptions> TOptionsForm::Edit(const TOptions& options) {
  chkAutoRun->setChecked(options.AutoRun);
  chkStartMin->setChecked(options.StartMinimized);
  edtSSID->setText(QString::fromStdString(options.SSID));
  edtSSID->setEnabled(true);
  edtPassword->setText(QString::fromStdString(options.Password));
  edtPassword->setEnabled(true);
  if (ShowModal() != mrOk) return std::nullopt;
  return TOptions{.SSID = Trim(edtSSID->text().toStdString()),
                  .Password = Trim(edtPassword->text().toStdString()),
                  .AutoRun = chkAutoRun->isChecked(),
                  .StartMinimized = chkStartMin->isChecked()};
}

void TOptionsForm::Button1Click() {
  if (Trim(edtSSID->text().toStdString()).empty()) {
    showError("Please input network name!");
    return;
  }
  // The key's length in the program's 8-bit text, as the wireless component
  // counts it when it takes the key.
  const std::size_t keyLength = Trim(edtPassword->text().toStdString()).size();
  if (keyLength == 5 || keyLength == 13) {
    SetModalResult(mrOk);
    return;
  }
  showError("Password MUST be 5 or 13 digits or letters.");
}

void TOptionsForm::showError(const char* text) {
  ShowMessageBox(this, QString::fromUtf8(text), "Message", QMessageBox::Critical, QMessageBox::Ok);
}
