// The options dialog: what it shows, the OK validation and its two messages,
// the keys and buttons that end it, and its German captions.
#include <optional>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "FindWidget.h"
#include "app/OptionsUnit.h"
#include "testkit/TempDir.h"

namespace {

using apptest::Find;

const char* const NameMessage = "Please input network name!";
const char* const KeyMessage = "Password MUST be 5 or 13 digits or letters.";

struct ValidationCase {
  const char* label;
  const char* name;
  const char* key;
  int result;           // mrOk, or LeftOpen when the dialog stays open
  const char* message;  // the one message shown, or none
};

const ValidationCase ValidationCases[] = {
    {"BlankName", "", "12345", apptest::LeftOpen, NameMessage},
    {"NameOfBlanksAndControls", " \t  ", "12345", apptest::LeftOpen, NameMessage},
    {"KeyOf4", "Home", "1234", apptest::LeftOpen, KeyMessage},
    {"KeyOf5", "Home", "12345", mrOk, nullptr},
    {"KeyOf6", "Home", "123456", apptest::LeftOpen, KeyMessage},
    {"KeyOf12", "Home", "123456789012", apptest::LeftOpen, KeyMessage},
    {"KeyOf13", "Home", "1234567890123", mrOk, nullptr},
    {"KeyOf14", "Home", "12345678901234", apptest::LeftOpen, KeyMessage},
    {"EmptyKey", "Home", "", apptest::LeftOpen, KeyMessage},
    {"KeyWithBlanksAround", "Home", "  ab de \t", mrOk, nullptr},
    {"KeyOfBlanksOnly", "Home", "     ", apptest::LeftOpen, KeyMessage},
    {"NameWithBlanksAroundAndAnyCharacters", "  My & \"odd\" net  ", "a b&c", mrOk, nullptr},
    {"BothWrongShowsOnlyTheNameMessage", "  ", "1234", apptest::LeftOpen, NameMessage},
};

class OptionsValidation : public testing::TestWithParam<ValidationCase> {};

// The controls a user fills and presses.
struct OptionsControls {
  explicit OptionsControls(TOptionsForm& form)
      : name(Find<QLineEdit>(form, "edtSSID")),
        key(Find<QLineEdit>(form, "edtPassword")),
        autoRun(Find<QCheckBox>(form, "chkAutoRun")),
        startMinimized(Find<QCheckBox>(form, "chkStartMin")),
        ok(Find<QPushButton>(form, "Button1")),
        cancel(Find<QPushButton>(form, "Button2")) {}
  QLineEdit& name;
  QLineEdit& key;
  QCheckBox& autoRun;
  QCheckBox& startMinimized;
  QPushButton& ok;
  QPushButton& cancel;
};

TEST_P(OptionsValidation, OkClosesOnlyWithNameAndKeyOf5Or13) {
  const ValidationCase& row = GetParam();
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  OptionsControls controls(form);
  controls.name.setText(QString::fromUtf8(row.name));
  controls.key.setText(QString::fromUtf8(row.key));
  bool openAfterClick = false;
  const int result = apptest::RunModal(form, [&] {
    QTest::mouseClick(&controls.ok, Qt::LeftButton);
    openAfterClick = form.isVisible();
  });

  EXPECT_EQ(result, row.result);
  EXPECT_EQ(openAfterClick, row.result == apptest::LeftOpen);
  if (row.message == nullptr) {
    EXPECT_TRUE(boxes.boxes.empty());
    return;
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  const TMessageBoxRequest& box = boxes.boxes[0];
  EXPECT_EQ(box.Text.toStdString(), row.message);
  EXPECT_EQ(box.Caption, "Message");
  EXPECT_EQ(box.Icon, QMessageBox::Critical);
  EXPECT_EQ(box.Buttons, QMessageBox::Ok);
  EXPECT_EQ(box.Parent, &form);
}

INSTANTIATE_TEST_SUITE_P(Table, OptionsValidation, testing::ValuesIn(ValidationCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(OptionsForm, OkAfterCorrectingTheKeyCloses) {
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  OptionsControls controls(form);
  controls.key.setText("1234");
  const int result = apptest::RunModal(form, [&] {
    controls.ok.click();
    controls.key.setText("12345");
    controls.ok.click();
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST(OptionsForm, EnterIsOk) {
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  OptionsControls controls(form);
  EXPECT_TRUE(controls.ok.isDefault());
  controls.name.setText("Home");
  controls.key.setText("12345");
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::keyClick(&controls.key, Qt::Key_Return); }), mrOk);

  controls.key.setText("123");
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::keyClick(&controls.name, Qt::Key_Return); }), apptest::LeftOpen);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].Text.toStdString(), KeyMessage);
}

TEST(OptionsForm, CancelAndCloseBoxGiveCancelWithoutValidating) {
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  OptionsControls controls(form);
  controls.name.setText("");
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::mouseClick(&controls.cancel, Qt::LeftButton); }), mrCancel);
  EXPECT_EQ(apptest::RunModal(form, [&] { form.close(); }), mrCancel);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(OptionsForm, ControlsKeepTheirValuesBetweenShowings) {
  TOptionsForm form;
  OptionsControls controls(form);
  controls.name.setText("Kept");
  controls.startMinimized.setChecked(true);
  apptest::RunModal(form, [&] { controls.cancel.click(); });
  EXPECT_EQ(controls.name.text(), "Kept");
  EXPECT_TRUE(controls.startMinimized.isChecked());
}

struct EditCase {
  const char* label;
  TOptions given;
  const char* name;  // typed over the shown name, or none
  const char* key;
  bool toggleBoth;   // both check boxes clicked
  bool ok;           // OK, else Cancel
  std::optional<TOptions> result;
};

const EditCase EditCases[] = {
    {"OkUnchanged", {"Home", "12345", true, false}, nullptr, nullptr, false, true,
     TOptions{"Home", "12345", true, false}},
    {"OkTrimsNameAndKey", {"Home", "12345", false, true}, "  Zoë's net ", " 1234567890123\t", true, true,
     TOptions{"Zoë's net", "1234567890123", true, false}},
    {"CancelGivesNothing", {"Home", "12345", false, false}, "Other", "54321", true, false, std::nullopt},
};

TEST(OptionsForm, EditShowsTheOptionsAndGivesBackWhatOkConfirmed) {
  for (const EditCase& row : EditCases) {
    SCOPED_TRACE(row.label);
    TOptionsForm form;
    OptionsControls controls(form);
    controls.name.setEnabled(false);
    controls.key.setEnabled(false);
    QStringList shown;
    QTimer::singleShot(0, &form, [&] {
      shown = {controls.name.text(), controls.key.text(), QString::number(controls.autoRun.isChecked()),
               QString::number(controls.startMinimized.isChecked()),
               QString::number(controls.name.isEnabled() && controls.key.isEnabled())};
      if (row.name != nullptr) controls.name.setText(QString::fromUtf8(row.name));
      if (row.key != nullptr) controls.key.setText(QString::fromUtf8(row.key));
      if (row.toggleBoth) {
        controls.autoRun.click();
        controls.startMinimized.click();
      }
      (row.ok ? controls.ok : controls.cancel).click();
      if (form.isVisible()) form.done(apptest::LeftOpen);
    });
    const std::optional<TOptions> result = form.Edit(row.given);
    EXPECT_EQ(shown, (QStringList{QString::fromStdString(row.given.SSID), QString::fromStdString(row.given.Password),
                                  QString::number(row.given.AutoRun), QString::number(row.given.StartMinimized), "1"}));
    EXPECT_EQ(result, row.result);
  }
}

TEST(OptionsForm, Design) {
  testkit::TempDir noCatalog;
  apptest::ScopedTranslation english("de", noCatalog.path());
  TOptionsForm form;
  OptionsControls controls(form);
  EXPECT_EQ(form.windowTitle(), "Options");
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(controls.key.echoMode(), QLineEdit::Normal);
  EXPECT_EQ(controls.key.text(), "60917");
  EXPECT_TRUE(controls.autoRun.isChecked());
  EXPECT_FALSE(controls.startMinimized.isChecked());

  struct LabelCase {
    const char* name;
    const char* text;
    QColor color;
    bool bold;
  };
  const LabelCase labels[] = {
      {"sStickyLabel1", "Network Name (SSID) :  ", QColor(59, 90, 130), true},
      {"sStickyLabel2", "Connection Password :  ", QColor(59, 90, 130), true},
      {"Label3", " * ", QColor(255, 0, 0), true},
      {"Label4", " * ", QColor(255, 0, 0), true},
      {"Label5", "Password MUST be 5 or 13 digits or letters.", QColor(0, 0, 128), false},
      {"Label6", "* Application restart required.", QColor(255, 0, 0), false},
  };
  for (const auto& row : labels) {
    const QLabel& label = Find<QLabel>(form, row.name);
    EXPECT_EQ(label.text().toStdString(), row.text);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), row.color) << row.name;
    EXPECT_EQ(label.font().bold(), row.bold) << row.name;
  }
  // Each caption names the edit box beside it: level with it, just left of it.
  for (const auto& [caption, edit] : {std::pair{"sStickyLabel1", &controls.name}, {"sStickyLabel2", &controls.key}}) {
    const QRect shown = Find<QLabel>(form, caption).geometry();
    EXPECT_LE(shown.right(), edit->x()) << caption;
    EXPECT_GT(shown.bottom(), edit->geometry().center().y()) << caption;
    EXPECT_LT(shown.top(), edit->geometry().center().y()) << caption;
  }
  EXPECT_EQ(controls.autoRun.text(), "Autorun with Windows");
  EXPECT_EQ(controls.startMinimized.text(), "Start minimized");
  EXPECT_EQ(controls.ok.text(), "&OK");
  EXPECT_EQ(controls.cancel.text(), "&Cancel");
}

TEST(OptionsForm, GermanCaptionsButEnglishMessages) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  OptionsControls controls(form);
  EXPECT_EQ(form.windowTitle(), "Optionen");
  EXPECT_EQ(Find<QLabel>(form, "sStickyLabel1").text(), "Netzwerkname (SSID) :  ");
  EXPECT_EQ(Find<QLabel>(form, "sStickyLabel2").text(), "WLAN-Kennwort :  ");
  EXPECT_EQ(Find<QLabel>(form, "Label5").text(), "Kennwort MUSS 5 oder 13 Zeichen lang sein.");
  EXPECT_EQ(Find<QLabel>(form, "Label6").text(), "* Neustart des Programms erforderlich.");
  EXPECT_EQ(controls.autoRun.text(), "Mit Windows starten");
  EXPECT_EQ(controls.startMinimized.text(), "Minimiert starten");
  EXPECT_EQ(controls.cancel.text(), "&Abbrechen");
  // The design text of the edit box is no caption.
  EXPECT_EQ(controls.key.text(), "60917");

  controls.name.setText("");
  apptest::RunModal(form, [&] { controls.ok.click(); });
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].Text.toStdString(), NameMessage);
}

}  // namespace
