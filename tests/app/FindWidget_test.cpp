// Controls found by name within their own window.
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include "FindWidget.h"

namespace {

class FindWidgetTest : public testing::Test {
 protected:
  FindWidgetTest() {
    window.setObjectName("Window");
    auto* panel = new QWidget(&window);
    panel->setObjectName("Panel");
    caption = new QLabel("Name", panel);
    caption->setObjectName("Caption");
    twice[0] = new QLabel(&window);
    twice[1] = new QLabel(panel);
    for (QLabel* label : twice) label->setObjectName("Twice");
    auto* dialog = new QDialog(&window);
    dialog->setObjectName("Dialog");
    inDialog = new QLineEdit(dialog);
    inDialog->setObjectName("Edit");
    auto* menu = (new QMenuBar(&window))->addMenu("File");
    menu->setObjectName("mnuFile");
    inMenu = menu->addAction("Exit");
    inMenu->setObjectName("Exit");
    ofWindow = new QAction(&window);
    ofWindow->setObjectName("Action");
    (new QAction(dialog))->setObjectName("DialogAction");
  }

  QWidget window;
  QLabel* caption;
  QLabel* twice[2];
  QLineEdit* inDialog;
  QAction* inMenu;
  QAction* ofWindow;
};

TEST_F(FindWidgetTest, FindsTheNamedControlAtAnyDepthOfItsWindow) {
  EXPECT_EQ(&apptest::Find<QLabel>(window, "Caption"), caption);
  EXPECT_EQ(&apptest::Find<QWidget>(window, "Caption"), caption);
  EXPECT_EQ(&apptest::Find<QLineEdit>(*window.findChild<QDialog*>(), "Edit"), inDialog);
}

TEST_F(FindWidgetTest, FindsTheWindowsActionsAndMenus) {
  EXPECT_EQ(&apptest::Find<QAction>(window, "Exit"), inMenu);
  EXPECT_EQ(&apptest::Find<QAction>(window, "Action"), ofWindow);
  EXPECT_EQ(apptest::Find<QMenu>(window, "mnuFile").title(), "File");
  EXPECT_THROW(apptest::Find<QAction>(window, "DialogAction"), std::runtime_error);
}

struct MissCase {
  const char* name;
  const char* message;
};

// What the failure says when the control is not there as asked.
const MissCase MissCases[] = {
    {"Nothing", "no QLabel named \"Nothing\" in Window"},
    {"Edit", "no QLabel named \"Edit\" in Window"},  // in the dialog, another window
    {"Twice", "2 widgets named \"Twice\" in Window"},
};

TEST_F(FindWidgetTest, MissingForeignOrAmbiguousControlsFailNamingThem) {
  for (const MissCase& row : MissCases) {
    try {
      apptest::Find<QLabel>(window, row.name);
      ADD_FAILURE() << row.name << " was found";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), row.message);
    }
  }
  EXPECT_THROW(apptest::Find<QLineEdit>(window, "Caption"), std::runtime_error);
  QDialog unnamed;
  try {
    apptest::Find<QLabel>(unnamed, "Nothing");
    ADD_FAILURE() << "found in an empty dialog";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "no QLabel named \"Nothing\" in QDialog");
  }
}

}  // namespace
