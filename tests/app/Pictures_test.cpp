// The pictures: each at its size, drawn, distinct from every other, and the
// states told apart the way a user sees them (red marks on the "off" states).
#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include "app/Pictures.h"

namespace {

struct PictureCase {
  TPicture picture;
  int edge;
  bool redMark;  // carries a red cross or stop mark in its lower right quarter
};

const PictureCase AllPictures[] = {
    {TPicture::Home, 32, false},
    {TPicture::WifiSettings, 32, false},
    {TPicture::ConnectToHotspot, 32, false},
    {TPicture::Exit, 32, true},
    {TPicture::Refresh, 16, false},
    {TPicture::SharingEnabled, 16, false},
    {TPicture::ReadyForSharing, 16, true},
    {TPicture::Connect, 16, false},
    {TPicture::InternetOnline, 16, false},
    {TPicture::InternetOffline, 16, true},
    {TPicture::WiredConnected, 48, false},
    {TPicture::WiredDisconnected, 48, true},
    {TPicture::WirelessConnected, 48, false},
    {TPicture::WirelessDisconnected, 48, true},
    {TPicture::InternetConnected, 48, false},
    {TPicture::InternetDisconnected, 48, true},
    {TPicture::Signal0, 32, false},
    {TPicture::Signal1, 32, false},
    {TPicture::Signal2, 32, false},
    {TPicture::MoreButtons, 16, false},
    {TPicture::ProgramIcon, 32, false},
};

QImage imageOf(TPicture picture) { return Picture(picture).toImage().convertToFormat(QImage::Format_ARGB32); }

// Red as in the marks (hue near 0), not the orange of the ring and the signal.
bool isMarkRed(QRgb pixel) {
  const QColor color = QColor::fromRgba(pixel);
  const int hue = color.hsvHue();
  return color.alpha() > 200 && color.hsvSaturation() > 150 && color.value() > 150 && (hue <= 12 || hue >= 348);
}

int redPixelsInLowerRightQuarter(const QImage& image) {
  int count = 0;
  for (int y = image.height() / 2; y < image.height(); ++y) {
    for (int x = image.width() / 2; x < image.width(); ++x) count += isMarkRed(image.pixel(x, y)) ? 1 : 0;
  }
  return count;
}

class EveryPicture : public testing::TestWithParam<PictureCase> {};

TEST_P(EveryPicture, HasItsSizeAndIsDrawn) {
  const PictureCase& row = GetParam();
  EXPECT_EQ(PictureSize(row.picture), QSize(row.edge, row.edge));
  const QPixmap pixmap = Picture(row.picture);
  ASSERT_FALSE(pixmap.isNull());
  EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), QSize(row.edge, row.edge));
  const QImage image = imageOf(row.picture);
  int opaque = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
  }
  EXPECT_GT(opaque, image.width() * image.height() / 8) << "hardly anything drawn";
  EXPECT_LT(qAlpha(image.pixel(0, 0)), 128) << "transparent corner expected";
}

TEST_P(EveryPicture, RedMarkOnlyWhereTheStateIsOff) {
  const PictureCase& row = GetParam();
  const int red = redPixelsInLowerRightQuarter(imageOf(row.picture));
  if (row.redMark) {
    EXPECT_GT(red, row.edge * row.edge / 40);
  } else {
    EXPECT_EQ(red, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, EveryPicture, testing::ValuesIn(AllPictures));

TEST(Pictures, EveryPictureDiffersFromEveryOther) {
  for (const auto& a : AllPictures) {
    for (const auto& b : AllPictures) {
      if (a.picture == b.picture || a.edge != b.edge) continue;
      EXPECT_FALSE(imageOf(a.picture) == imageOf(b.picture))
          << static_cast<int>(a.picture) << " and " << static_cast<int>(b.picture);
    }
  }
}

TEST(Pictures, SignalFramesGrowArcByArc) {
  // Each frame adds white to the one before: the dot, then one arc, then two.
  auto whitePixels = [](TPicture picture) {
    const QImage image = imageOf(picture);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        count += (qRed(p) > 240 && qGreen(p) > 240 && qBlue(p) > 240) ? 1 : 0;
      }
    }
    return count;
  };
  EXPECT_LT(whitePixels(TPicture::Signal0), whitePixels(TPicture::Signal1));
  EXPECT_LT(whitePixels(TPicture::Signal1), whitePixels(TPicture::Signal2));
}

TEST(Pictures, ProgramIconOffersTheSizesOfTaskBarAndTray) {
  const QIcon icon = PictureIcon(TPicture::ProgramIcon);
  for (const int edge : {16, 32, 48, 64}) EXPECT_TRUE(icon.availableSizes().contains(QSize(edge, edge))) << edge;
  EXPECT_EQ(PictureIcon(TPicture::Home).availableSizes(), QList<QSize>{QSize(32, 32)});
}

}  // namespace
