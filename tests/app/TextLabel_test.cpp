// The label that keeps its measures: it answers as a plain label does, also
// after each input of the measure has changed.
#include <QLabel>
#include <gtest/gtest.h>

#include "app/TextLabel.h"

namespace {

TEST(TextLabel, MeasuresAsAPlainLabelThroughEveryChange) {
  TTextLabel label;
  QLabel plain;
  const auto expectSameMeasures = [&](const char* after) {
    EXPECT_EQ(label.sizeHint(), plain.sizeHint()) << after;
    EXPECT_EQ(label.minimumSizeHint(), plain.minimumSizeHint()) << after;
    for (const int width : {60, 150, 320, 60}) EXPECT_EQ(label.heightForWidth(width), plain.heightForWidth(width)) << after;
  };
  const auto both = [&](auto change) {
    change(static_cast<QLabel&>(label));
    change(plain);
  };

  both([](QLabel& l) { l.setText(QStringLiteral("A short line")); });
  expectSameMeasures("a text");
  both([](QLabel& l) { l.setWordWrap(true); });
  expectSameMeasures("word wrap");
  both([](QLabel& l) {
    l.setText(QStringLiteral("A much longer text that wraps over several lines when the label is narrow enough."));
  });
  expectSameMeasures("another text");
  both([](QLabel& l) {
    QFont font = l.font();
    font.setPointSize(font.pointSize() * 2);
    l.setFont(font);
  });
  expectSameMeasures("a larger font");
  both([](QLabel& l) { l.setMargin(7); });
  expectSameMeasures("a margin");
  both([](QLabel& l) { l.setIndent(11); });
  expectSameMeasures("an indent");
  both([](QLabel& l) { l.setContentsMargins(3, 5, 9, 2); });
  expectSameMeasures("contents margins");
}

}  // namespace
