// The options dialog: the hotspot's network name and key, start minimised
// and autorun. The main window hands it the options before every showing and
// takes them back on OK.
#pragma once

#include <optional>
#include <string>

#include "app/FormKit.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// What the dialog edits.
struct TOptions {
  std::string SSID;
  std::string Password;
  bool AutoRun = false;
  bool StartMinimized = false;

  bool operator==(const TOptions&) const = default;
};

class TOptionsForm : public TModalForm {
  Q_OBJECT
 public:
  explicit TOptionsForm(QWidget* owner = nullptr);

  // Shows the dialog modally with `options`; on OK the options as confirmed,
  // name and key trimmed, and none otherwise.
  std::optional<TOptions> Edit(const TOptions& options);

 private:
  QLineEdit* edtSSID;
  QLineEdit* edtPassword;
  QCheckBox* chkAutoRun;
  QCheckBox* chkStartMin;
  QPushButton* Button1;
  QPushButton* Button2;
  QLabel* sStickyLabel1;
  QLabel* Label3;
  QLabel* sStickyLabel2;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QFrame* Bevel1;

  // OK: closes with mrOk when the name is not blank and the key has 5 or 13
  // characters (both trimmed); otherwise says what is wrong and stays open.
  void Button1Click();
  void FormCreate();
  void showError(const char* text);
};
