// The troubleshooter of the Windows XP wireless service: makes sure that
// "wzcsvc" runs and is in charge of the wireless interface (the flag 0x8000
// of the first interface's "ControlFlags"), restarting it when needed while a
// signal symbol moves. The main window runs it once at start-up through
// ExecuteTroubleShooter.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <QObject>

#include "app/FormKit.h"

class QLabel;
class QPushButton;
class QTimer;
class TFrmTroubleShooter;
class TServiceControl;

// The start-up check (the main window's actTroubleShooterExecute): only when
// the operating system tag contains "winxp", creates the troubleshooter owned
// by `owner`, shows it modally when NeedsServiceStart says so, and destroys
// it afterwards, also when an error was raised. Errors (service control,
// registry) pass on to the caller.
void ExecuteTroubleShooter(QWidget* owner);

// Moves the signal symbol while the troubleshooter exists. Every frame change
// is handed to the UI thread, and the thread waits until it was carried out.
class TAnimateThread {
 public:
  TAnimateThread();
  // Hides the three pictures when the window is still visible. The thread
  // must have ended (Terminate, WaitFor).
  ~TAnimateThread();
  TAnimateThread(const TAnimateThread&) = delete;
  TAnimateThread& operator=(const TAnimateThread&) = delete;

  TFrmTroubleShooter* Owner = nullptr;  // not owned; set before Start
  int Mode = -1;  // -1 animate, 0 failure picture, 1 success picture; UI thread only

  // The picture the animation shows: 0, 1 or 2. Written by the thread while
  // no frame change is pending, read by ShowFrame while one is.
  int Frame = 0;

  void Start();
  // Asks the thread to end.
  void Terminate();
  // Waits on the UI thread until the thread has ended, carrying out the
  // frame changes it hands over meanwhile.
  void WaitFor();

  // Switches the pictures of Owner; runs on the UI thread.
  void ShowFrame();

  // Whether the thread waits for the UI thread to carry out a frame change.
  bool WaitingForHandOff();

 private:
  void Execute(std::stop_token stop);
  // Runs ShowFrame on the UI thread and waits until it has run there.
  void Synchronize();
  // Carries out the pending frame change, if any; UI thread.
  void CheckSynchronize();

  std::mutex mutex_;
  std::condition_variable_any changed_;
  bool handOffPending_ = false;
  bool finished_ = false;
  // Receives the queued hand-offs on the UI thread; the ones still queued
  // when the thread object goes are dropped with it.
  QObject receiver_;
  std::jthread thread_;
};

class TFrmTroubleShooter : public TModalForm {
  Q_OBJECT
 public:
  explicit TFrmTroubleShooter(QWidget* owner = nullptr);
  ~TFrmTroubleShooter() override;

  // True when the service does not run, or else when the interface flag is
  // missing; the registry is read only when the service runs.
  bool NeedsServiceStart();
  // True when the first wireless interface's "ControlFlags" lacks 0x8000;
  // false when the interfaces key, a subkey or its key cannot be opened.
  bool InterfaceFlagMissing();
  // Sets 0x8000 in the first interface's "ControlFlags"; false when the key
  // cannot be found or opened.
  bool SetInterfaceFlag();
  // Stops the service, sets the flag and starts the service again (also when
  // setting the flag raised); the result is that of SetInterfaceFlag.
  bool RestartService();
  // The restart, 3 s after the window was created: shows its outcome.
  void Timer1Timer();

  // Controls, owned by the form.
  QLabel* lbl1;
  QLabel* imgAnimate0;
  QLabel* imgAnimate1;
  QLabel* imgAnimate2;
  QPushButton* btnCancel;
  QTimer* Timer1;

  TAnimateThread* Animation() const { return FAnimate.get(); }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void FormCreate();
  void FormDestroy();

  std::unique_ptr<TServiceControl> FServiceControl;
  std::unique_ptr<TAnimateThread> FAnimate;
};
