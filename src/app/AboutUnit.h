// The about box (product name, the machine the program runs on, file
// version, link to the web page) and the feedback mail of the Help menu.
#pragma once

#include <functional>
#include <string>

#include <QLabel>

#include "app/FormKit.h"

class QPushButton;

// A label that acts as a link: a click (press and release on it) runs OnClick.
class TLinkLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
  std::function<void()> OnClick;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

class TAboutBox : public TModalForm {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* owner = nullptr);

  // The file whose version the box shows: the running program.
  std::string ProgramFile;

  // Fills the labels; runs each time the box is shown.
  void FormShow();
  // Opens the web page in the desktop's browser.
  void URLClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* imgProgramIcon;
  QLabel* sLabel1;
  QLabel* MachineName;  // what the program runs on
  QLabel* SoftName;
  QLabel* Version;
  QLabel* Copyright;
  TLinkLabel* URL;
  QPushButton* OKButton;
};

// Opens a new message to the support address in the desktop's mail program:
// a "mailto:" link whose subject names the product and whose body asks for
// the details support needs. Failures are not reported.
void OpenFeedbackMail();
