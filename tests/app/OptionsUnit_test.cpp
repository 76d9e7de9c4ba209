// The options dialog: its design, the OK validation and its two messages,
// the keys and buttons that end it, and its German captions.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/OptionsUnit.h"
#include "testkit/TempDir.h"

namespace {

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

TEST_P(OptionsValidation, OkClosesOnlyWithNameAndKeyOf5Or13) {
  const ValidationCase& row = GetParam();
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  form.edtSSID->setText(QString::fromUtf8(row.name));
  form.edtPassword->setText(QString::fromUtf8(row.key));
  bool openAfterClick = false;
  const int result = apptest::RunModal(form, [&] {
    QTest::mouseClick(form.Button1, Qt::LeftButton);
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
  form.edtPassword->setText("1234");
  const int result = apptest::RunModal(form, [&] {
    form.Button1Click();
    form.edtPassword->setText("12345");
    form.Button1Click();
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST(OptionsForm, EnterIsOk) {
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  form.edtSSID->setText("Home");
  form.edtPassword->setText("12345");
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::keyClick(form.edtPassword, Qt::Key_Return); }), mrOk);

  form.edtPassword->setText("123");
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::keyClick(form.edtSSID, Qt::Key_Return); }), apptest::LeftOpen);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].Text.toStdString(), KeyMessage);
}

TEST(OptionsForm, CancelAndCloseBoxGiveCancelWithoutValidating) {
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  form.edtSSID->setText("");
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::mouseClick(form.Button2, Qt::LeftButton); }), mrCancel);
  EXPECT_EQ(apptest::RunModal(form, [&] { form.close(); }), mrCancel);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(OptionsForm, ControlsKeepTheirValuesBetweenShowings) {
  TOptionsForm form;
  form.edtSSID->setText("Kept");
  form.chkStartMin->setChecked(true);
  apptest::RunModal(form, [&] { form.Button2->click(); });
  EXPECT_EQ(form.edtSSID->text(), "Kept");
  EXPECT_TRUE(form.chkStartMin->isChecked());
}

TEST(OptionsForm, Design) {
  testkit::TempDir noCatalog;
  apptest::ScopedTranslation english("de", noCatalog.path());
  TOptionsForm form;
  EXPECT_EQ(form.objectName(), "OptionsForm");
  EXPECT_EQ(form.windowTitle(), "Options");
  EXPECT_EQ(form.size(), QSize(370, 278));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(form.font().pointSize(), 8);

  EXPECT_EQ(form.edtSSID->geometry(), QRect(154, 16, 185, 21));
  EXPECT_EQ(form.edtPassword->geometry(), QRect(154, 50, 185, 21));
  EXPECT_EQ(form.edtPassword->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(form.edtPassword->text(), "60917");
  EXPECT_TRUE(form.chkAutoRun->isChecked());
  EXPECT_FALSE(form.chkStartMin->isChecked());

  struct LabelCase {
    QLabel* label;
    const char* text;
    QColor color;
    bool bold;
  };
  const LabelCase labels[] = {
      {form.sStickyLabel1, "Network Name (SSID) :  ", QColor(59, 90, 130), true},
      {form.sStickyLabel2, "Connection Password :  ", QColor(59, 90, 130), true},
      {form.Label3, " * ", QColor(255, 0, 0), true},
      {form.Label4, " * ", QColor(255, 0, 0), true},
      {form.Label5, "Password MUST be 5 or 13 digits or letters.", QColor(0, 0, 128), false},
      {form.Label6, "* Application restart required.", QColor(255, 0, 0), false},
  };
  for (const auto& row : labels) {
    EXPECT_EQ(row.label->text().toStdString(), row.text);
    EXPECT_EQ(row.label->palette().color(QPalette::WindowText), row.color) << row.text;
    EXPECT_EQ(row.label->font().bold(), row.bold) << row.text;
    EXPECT_GE(row.label->x(), 0) << row.text;
    EXPECT_LE(row.label->geometry().right(), form.width()) << row.text;
    EXPECT_LT(row.label->geometry().bottom(), form.chkAutoRun->y()) << row.text;
  }
  // Every caption shows whole: on one line, or wrapped where the font is wider.
  for (const auto& row : labels) {
    const QRect needed = row.label->fontMetrics().boundingRect(QRect(0, 0, row.label->width(), 1000),
                                                               Qt::TextWordWrap, row.label->text());
    EXPECT_LE(needed.width(), row.label->width()) << row.text;
    EXPECT_LE(needed.height(), row.label->height()) << row.text;
  }
  EXPECT_LT(form.Label5->geometry().bottom(), form.Label6->y());
  EXPECT_EQ(form.Label3->pos(), QPoint(345, 20));
  EXPECT_EQ(form.Label4->pos(), QPoint(345, 54));
  EXPECT_EQ(form.Label5->pos(), QPoint(151, 77));
  EXPECT_EQ(form.Label6->pos(), QPoint(24, 106));
  // The caption labels end where their edit boxes begin, level with them.
  EXPECT_EQ(form.sStickyLabel1->geometry().right() + 1, form.edtSSID->x());
  EXPECT_EQ(form.sStickyLabel2->geometry().right() + 1, form.edtPassword->x());
  EXPECT_NEAR(form.sStickyLabel1->geometry().center().y(), form.edtSSID->geometry().center().y(), 1);

  EXPECT_EQ(form.chkAutoRun->text(), "Autorun with Windows");
  EXPECT_EQ(form.chkAutoRun->pos(), QPoint(24, 165));
  EXPECT_EQ(form.chkStartMin->text(), "Start minimized");
  EXPECT_EQ(form.chkStartMin->pos(), QPoint(24, 188));
  EXPECT_EQ(form.Bevel1->geometry(), QRect(0, 215, 489, 14));
  EXPECT_EQ(form.Button1->text(), "&OK");
  EXPECT_EQ(form.Button1->geometry(), QRect(156, 242, 75, 25));
  EXPECT_TRUE(form.Button1->isDefault());
  EXPECT_EQ(form.Button2->text(), "&Cancel");
  EXPECT_EQ(form.Button2->geometry(), QRect(247, 242, 75, 25));
  for (const char* name : {"sStickyLabel1", "edtSSID", "Label3", "sStickyLabel2", "edtPassword", "Label4", "Label5",
                           "Label6", "chkAutoRun", "chkStartMin", "Bevel1", "Button1", "Button2"}) {
    EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
  }
}

TEST(OptionsForm, GermanCaptionsButEnglishMessages) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  apptest::MessageBoxRecorder boxes;
  TOptionsForm form;
  EXPECT_EQ(form.windowTitle(), "Optionen");
  EXPECT_EQ(form.sStickyLabel1->text(), "Netzwerkname (SSID) :  ");
  EXPECT_EQ(form.sStickyLabel2->text(), "WLAN-Kennwort :  ");
  EXPECT_EQ(form.Label5->text(), "Kennwort MUSS 5 oder 13 Zeichen lang sein.");
  EXPECT_EQ(form.Label6->text(), "* Neustart des Programms erforderlich.");
  EXPECT_EQ(form.chkAutoRun->text(), "Mit Windows starten");
  EXPECT_EQ(form.chkStartMin->text(), "Minimiert starten");
  EXPECT_EQ(form.Button2->text(), "&Abbrechen");
  // The longer German captions still end at their edit boxes, inside the form.
  EXPECT_EQ(form.sStickyLabel1->geometry().right() + 1, form.edtSSID->x());
  EXPECT_GE(form.sStickyLabel1->x(), 0);
  EXPECT_LE(form.Label5->geometry().right(), form.width());
  EXPECT_LT(form.Label5->geometry().bottom(), form.Label6->y());
  // The design text of the edit box is no caption.
  EXPECT_EQ(form.edtPassword->text(), "60917");

  form.edtSSID->setText("");
  apptest::RunModal(form, [&] { form.Button1Click(); });
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].Text.toStdString(), NameMessage);
}

}  // namespace
