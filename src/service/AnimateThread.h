// Moves a signal symbol through three stacked pictures of a window, on a
// thread of its own. Every frame change is handed to the UI thread, and the
// thread waits until it was carried out there.
#pragma once

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <QObject>

class QLabel;
class QWidget;

class TAnimateThread {
 public:
  // `window` shows `pictures`; both outlive the thread object. Made on the UI
  // thread.
  TAnimateThread(QWidget& window, const std::array<QLabel*, 3>& pictures);
  // Ends the thread (Terminate, WaitFor), then hides the three pictures when
  // the window is still visible.
  ~TAnimateThread();
  TAnimateThread(const TAnimateThread&) = delete;
  TAnimateThread& operator=(const TAnimateThread&) = delete;

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

  // Shows the picture that Mode and Frame choose and hides the others, while
  // the window is visible; runs on the UI thread.
  void ShowFrame();

  // Whether the thread waits for the UI thread to carry out a frame change.
  bool WaitingForHandOff();

 private:
  void Execute(std::stop_token stop);
  // Runs ShowFrame on the UI thread and waits until it has run there.
  void Synchronize();
  // Carries out the pending frame change, if any; UI thread.
  void CheckSynchronize();

  QWidget& window_;
  const std::array<QLabel*, 3> pictures_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  bool handOffPending_ = false;
  bool finished_ = false;
  // Receives the queued hand-offs on the UI thread; the ones still queued
  // when the thread object goes are dropped with it.
  QObject receiver_;
  std::jthread thread_;
};
