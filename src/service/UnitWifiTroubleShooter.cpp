#include "service/UnitWifiTroubleShooter.h"

#include <string>

#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/Translation.h"
#include "app/WaitCursor.h"
#include "service/AnimateThread.h"
#include "service/WifiServiceRepair.h"
#include "util/SystemUtils.h"

namespace {

// Sizes the label to its text, as an auto-sized label does; a text that would
// run past `right` wraps instead of being cut off (the desktop's font may be
// wider than the design's Tahoma).
void fitLabel(QLabel* label, int left, int top, int right) {
  label->setWordWrap(false);
  PlaceLabel(label, left, top);
  if (label->x() + label->width() <= right) return;
  label->setWordWrap(true);
  label->resize(right - left, label->height());
  PlaceLabel(label, left, top);
}

QLabel* newPicture(QWidget* form, const char* name, TPicture picture, int left, int top) {
  auto* label = new QLabel(form);
  label->setObjectName(name);
  label->setGeometry(left, top, 32, 32);
  label->setPixmap(Picture(picture));
  label->hide();
  return label;
}

}  // namespace

void ExecuteTroubleShooter(QWidget* owner) {
  if (GetWindowsVersionTag().find("winxp") == std::string::npos) return;
  auto troubleShooter = std::make_unique<TFrmTroubleShooter>(owner);
  if (troubleShooter->Repair().NeedsServiceStart()) troubleShooter->ShowModal();
}

TFrmTroubleShooter::TFrmTroubleShooter(QWidget* owner) : TModalForm(owner) {
  setObjectName("FrmTroubleShooter");
  setWindowFlag(Qt::WindowMinimizeButtonHint);
  setWindowTitle("Starting WIFI Service");
  setFixedSize(343, 96);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  btnCancel = new QPushButton("&Cancel", this);
  btnCancel->setObjectName("btnCancel");
  btnCancel->setGeometry(143, 53, 75, 25);
  connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });

  lbl1 = new QLabel("Starting Microsoft Windows WIFI Service ...", this);
  lbl1->setObjectName("lbl1");
  lbl1->setGeometry(71, 16, 211, 13);

  imgAnimate0 = newPicture(this, "imgAnimate0", TPicture::Signal0, 16, 8);
  imgAnimate1 = newPicture(this, "imgAnimate1", TPicture::Signal1, 16, 46);
  imgAnimate2 = newPicture(this, "imgAnimate2", TPicture::Signal2, 54, 46);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(3000);
  connect(Timer1, &QTimer::timeout, this, [this] { RunHandler([this] { Timer1Timer(); }); });

  FormCreate();
}

TFrmTroubleShooter::~TFrmTroubleShooter() { FormDestroy(); }

void TFrmTroubleShooter::FormCreate() {
  imgAnimate1->move(imgAnimate0->pos());
  imgAnimate2->move(imgAnimate0->pos());
  TranslateComponent(this);
  fitLabel(lbl1, 71, 16, width() - 8);
  FRepair = std::make_unique<TWifiServiceRepair>();
  FAnimate = std::make_unique<TAnimateThread>(*this, std::array{imgAnimate0, imgAnimate1, imgAnimate2});
  FAnimate->Start();
  Timer1->start();
}

void TFrmTroubleShooter::FormDestroy() {
  Timer1->stop();
  FAnimate.reset();
  FRepair.reset();
}

void TFrmTroubleShooter::hideEvent(QHideEvent* event) {
  // The restart belongs to the shown window only: once it closes (Cancel
  // before the 3 s), nothing may touch the service any more. Minimising is
  // not closing.
  if (!event->spontaneous()) Timer1->stop();
  TModalForm::hideEvent(event);
}

void TFrmTroubleShooter::Timer1Timer() {
  Timer1->stop();
  TWaitCursor hourglass;
  const bool restarted = FRepair->RestartService();
  FAnimate->Mode = restarted ? 1 : 0;
  lbl1->setText(Translate(restarted ? "The Windows WIFI service was started successfully."
                                    : "The Windows WIFI service is not started."));
  fitLabel(lbl1, 71, 16, width() - 8);
  btnCancel->setText(Translate("&Close"));
  imgAnimate0->setVisible(!restarted);
  imgAnimate1->hide();
  imgAnimate2->setVisible(restarted);
}
