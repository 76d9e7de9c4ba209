// The connection picker: what each tile shows, how it is drawn, and what the
// caller gets back.
#include <tuple>

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "FindWidget.h"
#include "app/SelectNetworkFormUnit.h"
#include "net/ConnectionUnit.h"

namespace {

using apptest::Find;

TConnection makeConnection(const std::string& name, std::int32_t status, bool wireless,
                           const std::string& device = "Device") {
  TConnection connection;
  connection.Name = name;
  connection.Status = status;
  connection.IsWireless = wireless;
  connection.DeviceName = device;
  return connection;
}

struct TileCase {
  std::int32_t status;
  bool wireless;
  int imageIndex;
  const char* state;
};

// NETCON_STATUS: 1 connecting, 2 connected, 3 disconnecting, 5 hardware
// disabled, 7 media disconnected, 8 authenticating.
const TileCase TileCases[] = {
    {2, false, 1, "Connected"},    {2, true, 3, "Connected"},     {7, false, 0, "Disconnected"},
    {7, true, 2, "Disconnected"},  {1, true, 2, "Disconnected"},  {3, false, 0, "Disconnected"},
    {5, false, 0, "Disconnected"}, {8, true, 2, "Disconnected"},
};

class TileDescription : public testing::TestWithParam<TileCase> {};

TEST_P(TileDescription, ImageAndStateFollowKindAndStatus) {
  const TileCase& row = GetParam();
  const TConnectionTile tile = DescribeConnection(makeConnection("Local Area Connection", row.status, row.wireless,
                                                                 "Realtek PCIe GBE Family Controller"));
  EXPECT_EQ(tile.ImageIndex, row.imageIndex);
  EXPECT_EQ(tile.State.toStdString(), row.state);
  EXPECT_EQ(tile.Name, "Local Area Connection");
  EXPECT_EQ(tile.Device, "Realtek PCIe GBE Family Controller");
}

INSTANTIATE_TEST_SUITE_P(Table, TileDescription, testing::ValuesIn(TileCases));

const QRect TileRect(0, 0, 257, 60);

bool isOrange(QRgb p) { return QColor(p) == TSelectNetworkForm::SelectionColor; }
// Smoothed text in orange: the hue of the selection colour, clearly saturated.
bool isOrangeText(QRgb p) {
  const QColor c(p);
  return c.hsvSaturation() > 120 && c.hsvHue() >= 20 && c.hsvHue() <= 40;
}
bool isDark(QRgb p) { return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100; }

class TileDrawing : public testing::Test {
 protected:
  QImage draw(TConnection* connection, QStyle::State state) {
    form.ClearConnections();
    form.AddConnection(connection);
    QImage image(TileRect.size(), QImage::Format_ARGB32);
    image.fill(window());
    QPainter canvas(&image);
    form.ListBox1DrawItem(canvas, 0, TileRect, state);
    return image;
  }
  QColor window() const { return list.palette().color(QPalette::Base); }

  // Counts pixels of the text column (left + 58 onwards, inside the tile).
  template <class Test>
  int textPixels(const QImage& image, Test test) const {
    int count = 0;
    for (int y = 8; y < 56; ++y) {
      for (int x = 58; x < image.width() - 2; ++x) count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
  }

  TSelectNetworkForm form;
  QListWidget& list = Find<QListWidget>(form, "ListBox1");
  TConnection wireless = makeConnection("Wireless Network Connection", 2, true, "Intel WiFi Link 5100");
};

TEST_F(TileDrawing, IconOfTheConnectionAtLeftPlus7CentredVertically) {
  const QImage image = draw(&wireless, QStyle::State_Enabled);
  QImage expected(TileRect.size(), QImage::Format_ARGB32);
  expected.fill(window());
  QPainter(&expected).drawPixmap(7, 6, form.ImageList1[3]);
  EXPECT_EQ(image.copy(7, 6, 48, 48), expected.copy(7, 6, 48, 48));

  wireless.Status = 7;
  const QImage crossed = draw(&wireless, QStyle::State_Enabled);
  expected.fill(window());
  QPainter(&expected).drawPixmap(7, 6, form.ImageList1[2]);
  EXPECT_EQ(crossed.copy(7, 6, 48, 48), expected.copy(7, 6, 48, 48));
}

TEST_F(TileDrawing, OrangeSeparatorAlongTheBottomFromLeftPlus7ToRightMinus7) {
  const QImage image = draw(&wireless, QStyle::State_Enabled);
  const int y = TileRect.bottom();  // the item's last row
  for (int x = 7; x <= TileRect.right() - 7; ++x) ASSERT_TRUE(isOrange(image.pixel(x, y))) << x;
  EXPECT_FALSE(isOrange(image.pixel(6, y)));
  EXPECT_FALSE(isOrange(image.pixel(TileRect.right() - 6, y)));
  EXPECT_FALSE(isOrange(image.pixel(30, y - 1)));
}

TEST_F(TileDrawing, TextsBlackNormallyOrangeWhenSelectedWithoutHighlightBar) {
  const QImage normal = draw(&wireless, QStyle::State_Enabled);
  EXPECT_GT(textPixels(normal, isDark), 100);
  EXPECT_EQ(textPixels(normal, isOrangeText), 0);

  const QImage selected = draw(&wireless, QStyle::State_Enabled | QStyle::State_Selected);
  EXPECT_GT(textPixels(selected, isOrangeText), 100);
  EXPECT_EQ(textPixels(selected, isDark), 0);
  // Outside the icon and the texts the tile keeps the window colour.
  const QRgb background = window().rgb();
  for (const QPoint p : {QPoint(2, 30), QPoint(56, 30), QPoint(250, 4), QPoint(250, 56)}) {
    EXPECT_EQ(selected.pixel(p), background) << p.x() << "," << p.y();
  }
  // The three rows of text start at left + 58: nothing drawn left of it but the icon.
  for (int y = 8; y < 56; ++y) EXPECT_EQ(selected.pixel(56, y), background) << y;
}

TEST_F(TileDrawing, ThreeTextRowsAtTop8And24And40) {
  const QImage image = draw(&wireless, QStyle::State_Enabled);
  const int lineHeight = list.fontMetrics().height();
  auto rowHasText = [&](int top) {
    for (int y = top; y < top + lineHeight && y < 59; ++y) {
      for (int x = 58; x < image.width(); ++x) {
        if (isDark(image.pixel(x, y))) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(rowHasText(8));
  EXPECT_TRUE(rowHasText(24));
  EXPECT_TRUE(rowHasText(40));
  for (int y = 0; y < 8; ++y) {
    for (int x = 58; x < image.width(); ++x) ASSERT_FALSE(isDark(image.pixel(x, y))) << x << "," << y;
  }
}

TEST_F(TileDrawing, ItemWithoutConnectionShowsOnlyTheSeparator) {
  form.ClearConnections();
  form.AddConnection(nullptr);
  QImage image(TileRect.size(), QImage::Format_ARGB32);
  image.fill(window());
  QPainter canvas(&image);
  form.ListBox1DrawItem(canvas, 0, TileRect, QStyle::State_Enabled | QStyle::State_Selected);
  canvas.end();
  EXPECT_TRUE(isOrange(image.pixel(100, TileRect.bottom())));
  int drawn = 0;
  for (int y = 0; y < TileRect.bottom(); ++y) {
    for (int x = 0; x < image.width(); ++x) drawn += image.pixel(x, y) != window().rgb() ? 1 : 0;
  }
  EXPECT_EQ(drawn, 0);
}

TEST_F(TileDrawing, FocusedItemGetsADottedRectangle) {
  const QImage plain = draw(&wireless, QStyle::State_Enabled);
  const QImage focused = draw(&wireless, QStyle::State_Enabled | QStyle::State_HasFocus);
  // Dotted: along each edge about every other pixel is dark.
  auto darkAlong = [&](const QImage& image, QPoint from, QPoint step, int count) {
    int dark = 0;
    for (int i = 0; i < count; ++i) dark += isDark(image.pixel(from + i * step)) ? 1 : 0;
    return dark;
  };
  const int w = TileRect.width(), h = TileRect.height();
  for (const auto& [from, step, count] : {std::tuple{QPoint(0, 0), QPoint(1, 0), w}, std::tuple{QPoint(0, 0), QPoint(0, 1), h},
                                          std::tuple{QPoint(w - 1, 0), QPoint(0, 1), h}}) {
    const int dark = darkAlong(focused, from, step, count);
    EXPECT_GT(dark, count / 3);
    EXPECT_LT(dark, count * 2 / 3 + 1);
    EXPECT_EQ(darkAlong(plain, from, step, count), 0);
  }
}

class Picker : public testing::Test {
 protected:
  Picker() {
    form.SetCaption("Please select the connection through which Internet is connected.");
    form.ClearConnections();
    for (TConnection* c : {&wired, &wireless}) form.AddConnection(c);
  }

  QRect itemRect(int row) const { return list.visualItemRect(list.item(row)); }

  TSelectNetworkForm form;
  QListWidget& list = Find<QListWidget>(form, "ListBox1");
  QPushButton& ok = Find<QPushButton>(form, "btnOK");
  QPushButton& cancel = Find<QPushButton>(form, "btnCancel");
  TConnection wired = makeConnection("Local Area Connection", 2, false);
  TConnection wireless = makeConnection("Wireless Network Connection", 7, true);
};

TEST_F(Picker, OkWithASelectionGivesItsConnection) {
  const int result = apptest::RunModal(form, [&] {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, itemRect(1).center());
    QTest::mouseClick(&ok, Qt::LeftButton);
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(form.SelectedConnection(), &wireless);
}

TEST_F(Picker, OkWithoutASelectionChoosesNothing) {
  EXPECT_EQ(apptest::RunModal(form, [&] { ok.click(); }), mrOk);
  EXPECT_EQ(form.SelectedConnection(), nullptr);

  form.ClearConnections();
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::keyClick(&form, Qt::Key_Return); }), mrOk);
  EXPECT_EQ(form.SelectedConnection(), nullptr);
}

TEST_F(Picker, CancelAndCloseBoxGiveCancelEscapeDoesNothing) {
  EXPECT_EQ(apptest::RunModal(form, [&] { cancel.click(); }), mrCancel);
  EXPECT_EQ(apptest::RunModal(form, [&] { form.close(); }), mrCancel);
  EXPECT_EQ(apptest::RunModal(form, [&] { QTest::keyClick(&list, Qt::Key_Escape); }), apptest::LeftOpen);
}

TEST_F(Picker, DoubleClickOnAnItemConfirmsIt) {
  const int result = apptest::RunModal(form, [&] {
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, itemRect(0).center());
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(form.SelectedConnection(), &wired);
}

TEST_F(Picker, DoubleClickOnTheEmptyPartConfirmsOnlyASelection) {
  auto doubleClickBelowTheItems = [&] {
    const QPoint below(20, itemRect(1).bottom() + 20);
    ASSERT_LT(below.y(), list.viewport()->height());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, below);
  };
  EXPECT_EQ(apptest::RunModal(form, doubleClickBelowTheItems), apptest::LeftOpen);
  EXPECT_EQ(form.SelectedConnection(), nullptr);

  list.setCurrentRow(1);
  EXPECT_EQ(apptest::RunModal(form, doubleClickBelowTheItems), mrOk);
  EXPECT_EQ(form.SelectedConnection(), &wireless);
}

TEST_F(Picker, TilesAre60PixelsAndDrawnByTheForm) {
  list.setCurrentRow(1);
  apptest::RunModal(form, [&] {
    EXPECT_EQ(itemRect(0), QRect(0, 0, list.viewport()->width(), 60));
    EXPECT_EQ(itemRect(1).top(), 60);
    const QImage shown = list.viewport()->grab().toImage();
    EXPECT_TRUE(isOrange(shown.pixel(20, 59)));
    EXPECT_TRUE(isOrange(shown.pixel(20, 119)));
    // The selected second tile has orange texts and no highlight bar.
    int orange = 0;
    for (int y = 68; y < 116; ++y) {
      for (int x = 58; x < shown.width() - 2; ++x) orange += isOrangeText(shown.pixel(x, y)) ? 1 : 0;
    }
    EXPECT_GT(orange, 100);
    EXPECT_EQ(QColor(shown.pixel(56, 90)), list.palette().color(QPalette::Base));
    form.done(mrCancel);
  });
}

TEST_F(Picker, RefillingReplacesTheItemsOfTheLastUse) {
  list.setCurrentRow(0);
  TConnection third = makeConnection("Third", 2, true);
  form.ClearConnections();
  form.AddConnection(&third);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(form.ItemConnection(0), &third);
  EXPECT_EQ(form.ItemConnection(1), nullptr);
  EXPECT_EQ(form.SelectedConnection(), nullptr);
  EXPECT_EQ(list.item(0)->text(), "");
}

TEST_F(Picker, ResizingStretchesCaptionAndListAndKeepsButtonsAtTheCorner) {
  const QLabel& caption = Find<QLabel>(form, "lblCaption");
  const QFrame& panel = Find<QFrame>(form, "Panel1");
  form.show();
  const QRect captionBefore = caption.geometry(), panelBefore = panel.geometry();
  const QRect okBefore = ok.geometry(), cancelBefore = cancel.geometry();
  form.resize(form.size() + QSize(100, 50));
  EXPECT_EQ(caption.geometry(), captionBefore.adjusted(0, 0, 100, 0));
  EXPECT_EQ(panel.geometry(), panelBefore.adjusted(0, 0, 100, 50));
  EXPECT_EQ(ok.geometry(), okBefore.translated(100, 50));
  EXPECT_EQ(cancel.geometry(), cancelBefore.translated(100, 50));
  const int frame = panel.frameWidth();
  EXPECT_EQ(list.geometry(), panel.rect().adjusted(frame, frame, -frame, -frame));
  form.hide();
}

TEST(PickerDesign, ControlsAsDesignedAndNotTranslated) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  TSelectNetworkForm form;
  EXPECT_EQ(form.windowTitle(), "Select Connection");
  EXPECT_NE(form.minimumSize(), form.maximumSize());
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(Find<QLabel>(form, "lblCaption").wordWrap());
  const QFrame& panel = Find<QFrame>(form, "Panel1");
  EXPECT_EQ(panel.frameShape(), QFrame::Panel);
  EXPECT_EQ(panel.frameShadow(), QFrame::Sunken);
  const QListWidget& list = Find<QListWidget>(form, "ListBox1");
  EXPECT_EQ(list.frameShape(), QFrame::NoFrame);
  EXPECT_EQ(list.parentWidget(), &panel);
  const QPushButton& ok = Find<QPushButton>(form, "btnOK");
  EXPECT_EQ(ok.text(), "&OK");
  EXPECT_TRUE(ok.isDefault());
  EXPECT_EQ(Find<QPushButton>(form, "btnCancel").text(), "&Cancel");
  for (const QPixmap& image : form.ImageList1) EXPECT_EQ(image.deviceIndependentSize().toSize(), QSize(48, 48));
}

}  // namespace
