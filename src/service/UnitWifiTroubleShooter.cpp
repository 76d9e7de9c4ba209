#include "service/UnitWifiTroubleShooter.h"

#include <chrono>
#include <exception>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "Registry.h"
#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/Translation.h"
#include "app/WaitCursor.h"
#include "service/ServiceControl.h"
#include "util/SystemUtils.h"

namespace {

// The leading backslash makes the path start at the root key.
const std::string InterfacesKey = "\\SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\";
const std::string ControlFlags = "ControlFlags";
// The flag by which the wireless service takes charge of the interface.
constexpr int InterfaceFlag = 0x8000;

constexpr auto FramePause = std::chrono::milliseconds(500);

// Opens the key of the first wireless interface, in the registry's order.
bool openFirstInterface(TRegistry& registry) {
  if (!registry.OpenKey(InterfacesKey, false)) return false;
  const std::vector<std::string> interfaces = registry.GetKeyNames();
  return !interfaces.empty() && registry.OpenKey(InterfacesKey + interfaces.front(), false);
}

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
  if (troubleShooter->NeedsServiceStart()) troubleShooter->ShowModal();
}

// --- TAnimateThread ---------------------------------------------------------

TAnimateThread::TAnimateThread() = default;

TAnimateThread::~TAnimateThread() {
  Terminate();
  WaitFor();
  if (Owner != nullptr && Owner->isVisible()) {
    for (QLabel* picture : {Owner->imgAnimate0, Owner->imgAnimate1, Owner->imgAnimate2}) picture->hide();
  }
}

void TAnimateThread::Start() {
  thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
}

void TAnimateThread::Terminate() { thread_.request_stop(); }

void TAnimateThread::WaitFor() {
  if (!thread_.joinable()) return;
  std::unique_lock lock(mutex_);
  while (!finished_) {
    changed_.wait(lock, [this] { return finished_ || handOffPending_; });
    if (handOffPending_) {
      lock.unlock();
      CheckSynchronize();
      lock.lock();
    }
  }
  lock.unlock();
  thread_.join();
}

bool TAnimateThread::WaitingForHandOff() {
  std::lock_guard lock(mutex_);
  return handOffPending_;
}

void TAnimateThread::Execute(std::stop_token stop) {
  Frame = 0;
  while (!stop.stop_requested()) {
    Synchronize();
    Frame = (Frame + 1) % 3;
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, stop, FramePause, [] { return false; });
  }
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

void TAnimateThread::Synchronize() {
  {
    std::lock_guard lock(mutex_);
    handOffPending_ = true;
  }
  // A UI thread already in WaitFor carries the hand-off out itself.
  changed_.notify_all();
  QMetaObject::invokeMethod(&receiver_, [this] { CheckSynchronize(); }, Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !handOffPending_; });
}

void TAnimateThread::CheckSynchronize() {
  {
    std::lock_guard lock(mutex_);
    if (!handOffPending_) return;
  }
  ShowFrame();
  {
    std::lock_guard lock(mutex_);
    handOffPending_ = false;
  }
  changed_.notify_all();
}

void TAnimateThread::ShowFrame() {
  if (Owner == nullptr || !Owner->isVisible()) return;
  int shown = 0;
  switch (Mode) {
    case -1:
      shown = Frame;
      break;
    case 0:
      shown = 0;
      break;
    case 1:
      shown = 2;
      break;
    default:
      return;
  }
  QLabel* const pictures[] = {Owner->imgAnimate0, Owner->imgAnimate1, Owner->imgAnimate2};
  for (int i = 0; i < 3; ++i) pictures[i]->setVisible(i == shown);
}

// --- TFrmTroubleShooter -----------------------------------------------------

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
  FServiceControl = std::make_unique<TServiceControl>("wzcsvc", "");
  FAnimate = std::make_unique<TAnimateThread>();
  FAnimate->Owner = this;
  FAnimate->Mode = -1;
  FAnimate->Start();
  Timer1->start();
}

void TFrmTroubleShooter::FormDestroy() {
  Timer1->stop();
  if (FAnimate) {
    FAnimate->Terminate();
    FAnimate->WaitFor();
    FAnimate.reset();
  }
  FServiceControl.reset();
}

void TFrmTroubleShooter::hideEvent(QHideEvent* event) {
  // The restart belongs to the shown window only: once it closes (Cancel
  // before the 3 s), nothing may touch the service any more. Minimising is
  // not closing.
  if (!event->spontaneous()) Timer1->stop();
  TModalForm::hideEvent(event);
}

bool TFrmTroubleShooter::NeedsServiceStart() {
  return FServiceControl->State() != ServiceState::Running || InterfaceFlagMissing();
}

bool TFrmTroubleShooter::InterfaceFlagMissing() {
  TRegistry registry(KEY_ALL_ACCESS);
  if (!openFirstInterface(registry)) return false;
  return (registry.ReadInteger(ControlFlags) & InterfaceFlag) == 0;
}

bool TFrmTroubleShooter::SetInterfaceFlag() {
  TRegistry registry(KEY_ALL_ACCESS);
  if (!openFirstInterface(registry)) return false;
  registry.WriteInteger(ControlFlags, registry.ReadInteger(ControlFlags) | InterfaceFlag);
  return true;
}

bool TFrmTroubleShooter::RestartService() {
  FServiceControl->Stop();
  bool flagSet = false;
  std::exception_ptr error;
  try {
    flagSet = SetInterfaceFlag();
  } catch (...) {
    error = std::current_exception();
  }
  FServiceControl->Start();
  if (error) std::rethrow_exception(error);
  return flagSet;
}

void TFrmTroubleShooter::Timer1Timer() {
  Timer1->stop();
  TWaitCursor hourglass;
  const bool restarted = RestartService();
  FAnimate->Mode = restarted ? 1 : 0;
  lbl1->setText(Translate(restarted ? "The Windows WIFI service was started successfully."
                                    : "The Windows WIFI service is not started."));
  fitLabel(lbl1, 71, 16, width() - 8);
  btnCancel->setText(Translate("&Close"));
  imgAnimate0->setVisible(!restarted);
  imgAnimate1->hide();
  imgAnimate2->setVisible(restarted);
}
