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

  // The controls the main window fills and reads, and its tests press;
  // owned by the form.
  QLineEdit* edtSSID;
  QLineEdit* edtPassword;
  QCheckBox* chkAutoRun;
  QCheckBox* chkStartMin;
  QPushButton* Button1;
  QPushButton* Button2;

 private:
  QLabel* sStickyLabel1;
  QLabel* Label3;
  QLabel* sStickyLabel2;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QFrame* Bevel1;

  void FormCreate();
  void showError(const char* text);
};
