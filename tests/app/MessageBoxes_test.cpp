// The message box seam and the standard error box.
#include <QWidget>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "rtl/SysUtils.h"

namespace {

TEST(MessageBoxes, HandlerSeesTheRequestAndAnswers) {
  apptest::MessageBoxRecorder recorder(QMessageBox::No);
  QWidget owner;
  const auto answer = ShowMessageBox(&owner, "Do you want to exit?", "Message", QMessageBox::Question,
                                     QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(answer, QMessageBox::No);
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].Parent, &owner);
  EXPECT_EQ(recorder.boxes[0].Text, "Do you want to exit?");
  EXPECT_EQ(recorder.boxes[0].Caption, "Message");
  EXPECT_EQ(recorder.boxes[0].Icon, QMessageBox::Question);
  EXPECT_EQ(recorder.boxes[0].Buttons, QMessageBox::Yes | QMessageBox::No);
}

TEST(MessageBoxes, ScopesNestAndRestoreThePreviousHandler) {
  apptest::MessageBoxRecorder outer;
  {
    apptest::MessageBoxRecorder inner;
    ShowMessageBox(nullptr, "inner", "Message", QMessageBox::Information, QMessageBox::Ok);
    EXPECT_EQ(inner.boxes.size(), 1u);
  }
  ShowMessageBox(nullptr, "outer", "Message", QMessageBox::Information, QMessageBox::Ok);
  ASSERT_EQ(outer.boxes.size(), 1u);
  EXPECT_EQ(outer.boxes[0].Text, "outer");
}

TEST(MessageBoxes, ErrorLeavingAHandlerShowsItsTextAndTheProgramGoesOn) {
  apptest::MessageBoxRecorder recorder;
  const QString previousTitle = ApplicationTitle();
  SetApplicationTitle("Brisklane");
  bool ranAfterwards = false;
  RunHandler([] { throw EOSError(5); });
  RunHandler([&] { ranAfterwards = true; });
  SetApplicationTitle(previousTitle);

  EXPECT_TRUE(ranAfterwards);
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].Text.toStdString(), EOSError(5).what());
  EXPECT_TRUE(recorder.boxes[0].Text.startsWith("System Error.  Code: 5.\r\n"));
  EXPECT_EQ(recorder.boxes[0].Caption, "Brisklane");
  EXPECT_EQ(recorder.boxes[0].Icon, QMessageBox::Critical);
  EXPECT_EQ(recorder.boxes[0].Buttons, QMessageBox::Ok);
}

TEST(MessageBoxes, HandlerWithoutErrorShowsNothing) {
  apptest::MessageBoxRecorder recorder;
  RunHandler([] {});
  EXPECT_TRUE(recorder.boxes.empty());
}

}  // namespace
