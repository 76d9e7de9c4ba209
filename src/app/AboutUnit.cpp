#include "app/AboutUnit.h"

#include <QCoreApplication>
#include <QGraphicsDropShadowEffect>
#include <QMouseEvent>
#include <QPushButton>

#include "app/Pictures.h"
#include "app/Translation.h"
#include "app/UnitGlobal.h"
#include "brisklane_machine.h"
#include "shellapi.h"
#include "util/SystemUtils.h"

namespace {

const QColor TitleColor(43, 53, 77);
const QColor LinkColor(0, 0, 255);

QLabel* newLabel(QWidget* box, const char* name, const char* text, int left, int top) {
  auto* label = new QLabel(QString::fromUtf8(text), box);
  label->setObjectName(name);
  label->move(left, top);
  return label;
}

// RFC 6068 percent-encoding of one part of a "mailto:" link: every byte of
// the UTF-8 text but the unreserved characters and `keep` becomes %XX.
std::string percentEncode(const std::string& text, std::string_view keep = {}) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved || keep.find(c) != std::string_view::npos) {
      out += c;
    } else {
      out += '%';
      out += digits[byte >> 4];
      out += digits[byte & 0xF];
    }
  }
  return out;
}

}  // namespace

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click && OnClick) OnClick();
}

TAboutBox::TAboutBox(QWidget* owner)
    : TModalForm(owner), ProgramFile(QCoreApplication::applicationFilePath().toStdString()) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  setFixedSize(429, 257);

  imgProgramIcon = new QLabel(this);
  imgProgramIcon->setObjectName("imgProgramIcon");
  imgProgramIcon->setGeometry(15, 29, 32, 32);
  imgProgramIcon->setAlignment(Qt::AlignCenter);
  imgProgramIcon->setPixmap(Picture(TPicture::ProgramIcon));

  sLabel1 = newLabel(this, "sLabel1", "", 70, 20);
  sLabel1->resize(289, 39);
  sLabel1->setWordWrap(true);
  QFont titleFont = DesignFont("Tahoma");
  titleFont.setPixelSize(24);
  titleFont.setBold(true);
  sLabel1->setFont(titleFont);
  SetFontColor(sLabel1, TitleColor);
  auto* shadow = new QGraphicsDropShadowEffect(sLabel1);
  shadow->setBlurRadius(3);
  shadow->setOffset(2, 2);
  shadow->setColor(QColor(0, 0, 0, 110));
  sLabel1->setGraphicsEffect(shadow);

  MachineName = newLabel(this, "MachineName", "", 15, 80);
  SoftName = newLabel(this, "SoftName", "", 15, 105);
  Version = newLabel(this, "Version", "", 15, 129);
  Copyright = newLabel(this, "Copyright", "Copyright \u00a9 The Brisklane Team. All rights reserved.", 15, 154);

  URL = new TLinkLabel(this);
  URL->setObjectName("URL");
  URL->setGeometry(15, 180, 399, 13);
  URL->setWordWrap(true);
  QFont linkFont = DesignFont("MS Sans Serif");
  linkFont.setPointSize(8);
  linkFont.setBold(true);
  URL->setFont(linkFont);
  SetFontColor(URL, LinkColor);
  URL->setCursor(Qt::PointingHandCursor);
  URL->setToolTip("Visit our website.");
  URL->OnClick = [this] { URLClick(); };

  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setGeometry(250, 212, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });

  // FormCreate: the design captions in the user's language.
  TranslateComponent(this);
  PlaceLabel(Copyright, 15, 154);
}

void TAboutBox::showEvent(QShowEvent* event) {
  FormShow();
  TModalForm::showEvent(event);
}

void TAboutBox::FormShow() {
  const QString name = QString::fromStdString(ApplicationName);
  sLabel1->setText(name);
  SoftName->setText(name);
  const std::string version = GetFileVersionString(ProgramFile);
  Version->setText(version.empty() ? QString() : QString::fromStdString("Version " + version));
  URL->setText(QString::fromStdString(ProductUrl));
  const BRISKLANE_MACHINE_DESCRIPTION machine = BrisklaneDescribeMachine();
  MachineName->setText(Translate(QStringLiteral("Runs on: %1"),
                                 Translate(QString::fromStdString(machine.Name), QString::fromStdString(machine.Detail))));
  for (QLabel* label : {MachineName, SoftName, Version}) PlaceLabel(label, label->x(), label->y());
  PlaceLabel(URL, 15, 180);
}

void TAboutBox::URLClick() {
  // The address itself goes to the desktop, which opens the default browser.
  ShellExecuteA(nullptr, "open", ProductUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenFeedbackMail() {
  // The link's pieces in their order; subject and body are percent-encoded
  // so that blanks, "&" and line breaks reach the mail program as text.
  const std::string subject = ApplicationName + " Comments";
  const std::string body = "Hello Support Team,\r\n"
                           "Product Name: " + ApplicationName + "\r\n"
                           "My Windows Version: \r\n"
                           "My Laptop/Desktop Model: \r\n"
                           "Input your comments here...";
  const std::string link = "mailto:" + percentEncode(SupportMailAddress, "@") + "?subject=" +
                           percentEncode(subject) + "&body=" + percentEncode(body);
  ShellExecuteA(nullptr, "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
