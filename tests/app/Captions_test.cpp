// Every caption of the dialogs and of the main window's pages and status bar
// shows whole, in English and in German. ctest runs these tests twice: at the
// default text size and with text half as large again (a screen of 144 dpi,
// as Windows at 150 %), where the windows keep their designed geometry.
#include <cstdlib>
#include <ostream>
#include <set>

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "CaptionFit.h"
#include "FindWidget.h"
#include "ProgramWindow.h"
#include "app/AboutUnit.h"
#include "app/OptionsUnit.h"
#include "app/SelectNetworkFormUnit.h"
#include "testkit/TempDir.h"

namespace {

using apptest::Find;
using Names = std::set<std::string>;

int TextScalePercent() { return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY() * 100 / 96); }

// Captions that do not show whole in the designed geometry, which stays as
// it is: known, and named here.
struct KnownClipped {
  const char* window;
  const char* language;  // none: in every language
  int percent;
  const char* control;
};

const KnownClipped KnownClippedCaptions[] = {
    // Sized to their text and ending at their edit boxes, the captions run
    // past the form's left edge.
    {"Options", nullptr, 150, "sStickyLabel1"},
    {"Options", nullptr, 150, "sStickyLabel2"},
    // The key rule wraps onto two lines that reach into the restart note.
    {"Options", nullptr, 150, "Label5"},
    {"Options", nullptr, 150, "Label6"},
    // "&Abbrechen" is wider than the 75-pixel button.
    {"Options", "German", 150, "Button2"},
    // Sized to its text, the line runs past the box's right edge.
    {"About", nullptr, 150, "Copyright"},
    // Wrapped texts keep the height of their lines at the default size: the
    // heading's first line, the paragraphs' last ones are cut.
    {"MainWindow", nullptr, 150, "lblInstruction"},
    {"MainWindow", nullptr, 150, "Label4"},
    {"MainWindow", nullptr, 150, "Label5"},
    {"MainWindow", nullptr, 150, "lblConnectToSabrevane"},
    // The connections' state lines and their two-line descriptions have
    // fixed heights.
    {"MainWindow", nullptr, 150, "lblWiredStatus"},
    {"MainWindow", nullptr, 150, "lblWirelessStatus"},
    {"MainWindow", nullptr, 150, "mmoSrcConnDescription"},
    {"MainWindow", nullptr, 150, "mmoWirelessDescription"},
    // The status bar's panels have fixed widths: the first one's German
    // notice and the sharing and Internet states are cut.
    {"MainWindow", "German", 150, "StatusBarPanel1"},
    {"MainWindow", nullptr, 150, "StatusBarPanel2"},
    {"MainWindow", nullptr, 150, "StatusBarPanel3"},
    // Two lines of instruction at the default size; more than the 26 pixels
    // the label has at 150 %.
    {"SelectNetworkForm", nullptr, 150, "lblCaption"},
};

Names Known(const std::string& window, const std::string& language) {
  Names names;
  for (const KnownClipped& row : KnownClippedCaptions) {
    if (row.window == window && (row.language == nullptr || row.language == language) &&
        row.percent == TextScalePercent()) {
      names.insert(row.control);
    }
  }
  return names;
}

Names Clipped(QWidget& window) {
  const std::vector<std::string> clipped = apptest::ClippedCaptions(window);
  return {clipped.begin(), clipped.end()};
}

// Shows the window, as its owner does, for the look.
Names ClippedWhenShown(QWidget& window) {
  window.show();
  QCoreApplication::processEvents();
  Names clipped = Clipped(window);
  window.hide();
  return clipped;
}

class Captions : public testing::TestWithParam<const char*> {
 protected:
  Captions()
      : translation_("de", language() == "German" ? apptest::ProgramLocaleFolder() : noCatalog_.path()) {}

  std::string language() const { return GetParam(); }
  Names Known(const std::string& window) const { return ::Known(window, language()); }

 private:
  testkit::TempDir noCatalog_;
  apptest::ScopedTranslation translation_;
};

TEST_P(Captions, OptionsDialog) {
  TOptionsForm form;
  EXPECT_EQ(ClippedWhenShown(form), Known("Options"));
}

TEST_P(Captions, AboutBox) {
  testkit::ScopedMachine scoped(testkit::SimMachineBuilder().scenario(testkit::shippedScenario("laptop")).build());
  TAboutBox box;
  box.ProgramFile = std::string(BRISKLANE_PROGRAM_DIR) + "/brisklane";
  EXPECT_EQ(ClippedWhenShown(box), Known("About"));
}

TEST_P(Captions, MainWindowPages) {
  apptest::ShippedLaptop program;
  TForm1& form = program.form();
  Names clipped;
  for (const char* page : {"btnHome", "btnHotspotTab", "btnConnectToHotspot"}) {
    Find<QToolButton>(form, page).click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Find<QToolButton>(form, page).isChecked()) << page;
    clipped.merge(Clipped(form));
  }
  EXPECT_EQ(clipped, Known("MainWindow"));
}

TEST_P(Captions, ConnectionPickerAsTheMainWindowShowsIt) {
  apptest::ShippedLaptop program;
  TForm1& form = program.form();
  auto& picker = *form.findChild<TSelectNetworkForm*>();
  Find<QToolButton>(form, "btnHotspotTab").click();
  for (const char* select : {"btnSource", "btnSelectDest"}) {
    bool shown = false;
    Names clipped;
    QTimer::singleShot(0, &picker, [&] {
      shown = picker.isVisible();
      clipped = Clipped(picker);
      picker.done(mrCancel);
    });
    Find<QPushButton>(form, select).click();
    ASSERT_TRUE(shown) << select;
    EXPECT_EQ(clipped, Known("SelectNetworkForm")) << select;
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, Captions, testing::Values("English", "German"),
                         [](const auto& info) { return std::string(info.param); });

// The run is at the text size ctest asked for.
TEST(TextScale, IsTheOneOfTheRun) {
  const char* asked = std::getenv("BRISKLANE_TEST_TEXT_SCALE");
  EXPECT_EQ(TextScalePercent(), asked == nullptr ? 100 : std::atoi(asked));
}

// What the caption check takes for clipped.
struct FitCase {
  const char* label;
  const char* text;
  const char* widest;  // the room is as wide as this text
  int lines;           // and as tall as this many lines
  bool wordWrap;
  bool fits;
};

const FitCase FitCases[] = {
    {"OneLineInRoom", "Start", "Start", 1, false, true},
    {"OneLineTooNarrow", "Start minimized", "Start minimize", 1, false, false},
    {"TwoLinesTooLow", "Start\nStart", "Start", 1, false, false},
    {"TwoLinesInRoom", "Start\nStart", "Start", 2, false, true},
    {"WrappedIntoTwoLines", "Start minimized now", "minimized now", 2, true, true},
    {"WrappedNeedsThreeLines", "Start minimized now or later", "minimized now", 2, true, false},
};

void PrintTo(const FitCase& row, std::ostream* out) { *out << row.label; }

class CaptionFit : public testing::TestWithParam<FitCase> {};

TEST_P(CaptionFit, LabelsAndButtonsOfTheirText) {
  const FitCase& row = GetParam();
  QWidget window;
  window.resize(600, 400);
  auto* label = new QLabel(QString::fromUtf8(row.text), &window);
  label->setObjectName("label");
  label->setWordWrap(row.wordWrap);
  const QFontMetrics metrics = label->fontMetrics();
  label->resize(metrics.horizontalAdvance(QString::fromUtf8(row.widest)) + 1, row.lines * metrics.lineSpacing());
  auto* button = new QPushButton(QString::fromUtf8(row.text).replace('\n', ' '), &window);
  button->setObjectName("button");
  button->setGeometry(QRect(QPoint(0, 200), button->sizeHint()));
  const std::vector<std::string> expected = row.fits ? std::vector<std::string>{} : std::vector<std::string>{"label"};
  EXPECT_EQ(apptest::ClippedCaptions(window), expected);

  button->resize(metrics.horizontalAdvance(button->text()) / 2, button->height());
  EXPECT_EQ(Clipped(window).count("button"), 1u);
  button->hide();
  EXPECT_EQ(Clipped(window).count("button"), 0u) << "hidden controls show nothing";
}

TEST(CaptionFit, ControlsPastTheirParentsEdgeOrUnderAnotherCaption) {
  QWidget window;
  window.resize(200, 100);
  auto* panel = new QWidget(&window);
  panel->setGeometry(0, 0, 100, 100);
  auto* label = new QLabel("Start", panel);
  label->setObjectName("label");
  label->adjustSize();
  EXPECT_EQ(Clipped(window), Names{});
  label->move(100 - label->width() / 2, 0);  // half of it beyond the panel, inside the window
  EXPECT_EQ(Clipped(window), Names{"label"});
  label->move(-1, 0);
  EXPECT_EQ(Clipped(window), Names{"label"});

  label->move(0, 0);
  auto* other = new QLabel("Stop", panel);
  other->setObjectName("other");
  other->adjustSize();
  other->move(0, label->height() - 1);
  EXPECT_EQ(Clipped(window), (Names{"label", "other"}));
  other->move(0, label->height());
  EXPECT_EQ(Clipped(window), Names{});
}

INSTANTIATE_TEST_SUITE_P(Table, CaptionFit, testing::ValuesIn(FitCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
