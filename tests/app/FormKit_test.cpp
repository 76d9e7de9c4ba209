// The dialogs' common frame: font, modal results, keys, auto-sized labels.
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTestSupport.h"

namespace {

TEST(FormKit, FormFontIsTahomaEightPointOrTheDesktopSansSerif) {
  const QFont font = FormFont();
  EXPECT_EQ(font.pointSize(), 8);
  if (QFontDatabase::families().contains("Tahoma", Qt::CaseInsensitive)) {
    EXPECT_EQ(font.family(), "Tahoma");
  } else {
    QFont sans;
    sans.setStyleHint(QFont::SansSerif);
    sans.setFamily("Sans Serif");
    EXPECT_EQ(QFontInfo(font).family(), QFontInfo(sans).family());
  }
}

TEST(FormKit, AbsentFamilyFallsBackToSansSerif) {
  EXPECT_NE(QFontInfo(DesignFont("No Such Font Family")).family(), "No Such Font Family");
  EXPECT_EQ(QFontInfo(DesignFont("No Such Font Family")).family(), QFontInfo(DesignFont("MS Sans Serif")).family());
}

TEST(FormKit, CloseBoxGivesCancelAndEscapeDoesNothing) {
  TModalForm form(nullptr);
  EXPECT_EQ(form.font(), FormFont());
  EXPECT_EQ(apptest::RunModal(form, [&] { form.close(); }), mrCancel);

  bool stillOpen = false;
  EXPECT_EQ(apptest::RunModal(form,
                              [&] {
                                QTest::keyClick(&form, Qt::Key_Escape);
                                stillOpen = form.isVisible();
                              }),
            apptest::LeftOpen);
  EXPECT_TRUE(stillOpen);
}

TEST(FormKit, ModalResultEndsTheForm) {
  TModalForm form(nullptr);
  EXPECT_EQ(apptest::RunModal(form, [&] { form.SetModalResult(mrOk); }), mrOk);
}

TEST(FormKit, PlacedLabelFitsItsText) {
  QWidget parent;
  parent.setFont(FormFont());
  auto* label = new QLabel("Autorun with Windows", &parent);
  PlaceLabel(label, 24, 165);
  EXPECT_EQ(label->pos(), QPoint(24, 165));
  EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));

  auto* wrapping = new QLabel(&parent);
  wrapping->setWordWrap(true);
  wrapping->resize(60, 10);
  wrapping->setText("A long text that needs several lines at this width");
  PlaceLabel(wrapping, 15, 180);
  EXPECT_EQ(wrapping->geometry().topLeft(), QPoint(15, 180));
  EXPECT_EQ(wrapping->width(), 60);
  EXPECT_GT(wrapping->height(), 2 * wrapping->fontMetrics().height());
}

}  // namespace
