// The options dialog: the hotspot's network name and key, start minimised
// and autorun. The main window fills it before every showing and reads it
// back on OK.
#pragma once

#include "app/FormKit.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TOptionsForm : public TModalForm {
  Q_OBJECT
 public:
  explicit TOptionsForm(QWidget* owner = nullptr);

  // OK: closes with mrOk when the name is not blank and the key has 5 or 13
  // characters (both trimmed); otherwise says what is wrong and stays open.
  void Button1Click();

  // Controls, owned by the form.
  QLabel* sStickyLabel1;
  QLineEdit* edtSSID;
  QLabel* Label3;
  QLabel* sStickyLabel2;
  QLineEdit* edtPassword;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QCheckBox* chkAutoRun;
  QCheckBox* chkStartMin;
  QFrame* Bevel1;
  QPushButton* Button1;
  QPushButton* Button2;

 private:
  void FormCreate();
  void showError(const char* text);
};
