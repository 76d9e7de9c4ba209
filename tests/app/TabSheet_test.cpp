// A page of the page control: the hidden pages do not weigh on the window's
// layout, and a page shown later is laid out in full.
#include <QApplication>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "app/TabSheet.h"

namespace {

TEST(TabSheet, OnlyTheShownPageIsMeasuredAndAPageShownLaterIsLaidOutInFull) {
  QWidget window;
  auto* pages = new QStackedWidget(&window);
  auto* first = new TTabSheet(pages);
  new QVBoxLayout(first);
  auto* second = new TTabSheet(pages);
  auto* text = new QLabel(QString(40, u'x').append(u' ').repeated(12), second);
  text->setWordWrap(true);
  (new QVBoxLayout(second))->addWidget(text);
  pages->addWidget(first);
  pages->addWidget(second);
  (new QVBoxLayout(&window))->addWidget(pages);
  window.setFixedSize(300, 400);
  window.show();
  QApplication::processEvents();

  EXPECT_EQ(second->minimumSizeHint(), QSize(0, 0));
  EXPECT_LT(pages->minimumSizeHint().height(), text->heightForWidth(280));

  pages->setCurrentWidget(second);
  QApplication::processEvents();
  EXPECT_GT(second->minimumSizeHint().height(), 0);
  EXPECT_GE(text->height(), text->heightForWidth(text->width()));
  EXPECT_TRUE(second->rect().contains(text->geometry()));

  pages->setCurrentWidget(first);
  QApplication::processEvents();
  EXPECT_EQ(second->sizeHint(), QSize(0, 0));
  EXPECT_LT(pages->minimumSizeHint().height(), text->heightForWidth(280));
}

}  // namespace
