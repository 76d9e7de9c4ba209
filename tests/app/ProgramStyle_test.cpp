// The program's style: the main window and all its pages drawn in it load
// no image format plugin, and its group box frames are Fusion's.
#include "Unit1TestSupport.h"  // first: see there

#include <link.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QGroupBox>
#include <QStackedWidget>
#include <QStyleFactory>

#include "app/ProgramStyle.h"

namespace unit1test {
namespace {

int imageFormatPluginsLoaded() {
  int count = 0;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        if (std::string(info->dlpi_name).find("/imageformats/") != std::string::npos) ++*static_cast<int*>(data);
        return 0;
      },
      &count);
  return count;
}

class ProgramStyleDeathTest : public Unit1Test {};

TEST_F(ProgramStyleDeathTest, EveryPageIsDrawnWithoutImageFormatPlugins) {
  // A fresh process: no other test has drawn anything before.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        QApplication::setStyle(new TProgramStyle);
        Start();
        for (int page = 0; page < Find<QStackedWidget>("PageControl1").count(); ++page) {
          Find<QStackedWidget>("PageControl1").setCurrentIndex(page);
          form->grab();
        }
        std::_Exit(imageFormatPluginsLoaded() == 0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(ProgramStyle, GroupBoxFramesAreDrawnAsFusionDrawsThem) {
  const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  TProgramStyle program;
  QGroupBox titled(QStringLiteral("My Wireless Connection Status"));
  QGroupBox untitled;
  for (QGroupBox* group : {&titled, &untitled}) {
    group->resize(300, 80);
    group->setStyle(fusion.get());
    const QImage expected = group->grab().toImage();
    group->setStyle(&program);
    EXPECT_EQ(group->grab().toImage(), expected) << group->title().toStdString();
    group->setStyle(nullptr);
  }
}

}  // namespace
}  // namespace unit1test
