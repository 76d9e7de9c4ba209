// The troubleshooter window of the Windows XP wireless service: runs the
// service's repair (TWifiServiceRepair) while a signal symbol moves, and
// shows its outcome. The main window runs it once at start-up through
// ExecuteTroubleShooter.
#pragma once

#include <memory>

#include "app/FormKit.h"

class QLabel;
class QPushButton;
class QTimer;
class TAnimateThread;
class TWifiServiceRepair;

// The start-up check (the main window's actTroubleShooterExecute): only when
// the operating system tag contains "winxp", creates the troubleshooter owned
// by `owner`, shows it modally when its repair's NeedsServiceStart says so,
// and destroys it afterwards, also when an error was raised. Errors (service
// control, registry) pass on to the caller.
void ExecuteTroubleShooter(QWidget* owner);

class TFrmTroubleShooter : public TModalForm {
  Q_OBJECT
 public:
  explicit TFrmTroubleShooter(QWidget* owner = nullptr);
  ~TFrmTroubleShooter() override;

  // The restart, 3 s after the window was created: shows its outcome.
  void Timer1Timer();

  // Controls, owned by the form.
  QLabel* lbl1;
  QLabel* imgAnimate0;
  QLabel* imgAnimate1;
  QLabel* imgAnimate2;
  QPushButton* btnCancel;
  QTimer* Timer1;

  TWifiServiceRepair& Repair() const { return *FRepair; }
  TAnimateThread* Animation() const { return FAnimate.get(); }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void FormCreate();
  void FormDestroy();

  std::unique_ptr<TWifiServiceRepair> FRepair;
  std::unique_ptr<TAnimateThread> FAnimate;
};
