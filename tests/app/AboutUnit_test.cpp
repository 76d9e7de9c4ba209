// The about box and the feedback mail.
#include <QCoreApplication>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "FindWidget.h"
#include "app/AboutUnit.h"
#include "app/UnitGlobal.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "util/SystemUtils.h"

namespace {

using apptest::Find;

// Keeps the program-wide values of a test to itself.
class ProgramValues {
 public:
  ProgramValues(const std::string& name, const std::string& url)
      : name_(ApplicationName), url_(ProductUrl) {
    ApplicationName = name;
    ProductUrl = url;
  }
  ~ProgramValues() {
    ApplicationName = name_;
    ProductUrl = url_;
  }

 private:
  std::string name_, url_;
};

struct ShownTexts {
  QString title, machine, name, version, copyright, url;
  bool operator==(const ShownTexts&) const = default;
};

QString textOf(TAboutBox& box, const char* name) { return Find<QLabel>(box, name).text(); }

ShownTexts showOnce(TAboutBox& box) {
  ShownTexts texts;
  QPushButton& ok = Find<QPushButton>(box, "OKButton");
  const int result = apptest::RunModal(box, [&] {
    texts = {textOf(box, "sLabel1"), textOf(box, "MachineName"), textOf(box, "SoftName"),
             textOf(box, "Version"),  textOf(box, "Copyright"),   textOf(box, "URL")};
    QTest::mouseClick(&ok, Qt::LeftButton);
  });
  EXPECT_EQ(result, mrOk);
  return texts;
}

const std::string ProgramFile = std::string(BRISKLANE_PROGRAM_DIR) + "/brisklane";

// A box that reads no version: reading a large program file takes a while,
// and most tests are not about the version.
struct QuickAboutBox : TAboutBox {
  QuickAboutBox() { ProgramFile = "/nonexistent/program"; }
};

TEST(AboutBox, ShowsNameMachineVersionAndAddressEveryTimeWithoutAccumulating) {
  testkit::ScopedMachine scoped(testkit::SimMachineBuilder().scenario(testkit::shippedScenario("laptop2")).build());
  ProgramValues values("Brisklane", "https://brisklane.example/");
  TAboutBox box;
  box.ProgramFile = ProgramFile;
  const ShownTexts first = showOnce(box);
  const ShownTexts second = showOnce(box);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first.title, "Brisklane");
  EXPECT_EQ(first.name, "Brisklane");
  EXPECT_EQ(first.machine, "Runs on: Simulated laptop, scenario laptop2");
  EXPECT_EQ(first.version.toStdString(), "Version " + GetFileVersionString(ProgramFile));
  EXPECT_TRUE(QRegularExpression(R"(^Version \d+\.\d+\.\d+\.\d+$)").match(first.version).hasMatch())
      << first.version.toStdString();
  EXPECT_EQ(first.url, "https://brisklane.example/");
  EXPECT_FALSE(first.copyright.isEmpty());
}

TEST(AboutBox, FollowsTheProgramValuesOfEachShowing) {
  QuickAboutBox box;
  {
    ProgramValues values("First Name", "https://first.example/");
    showOnce(box);
  }
  ProgramValues values("Second Name", "https://second.example/");
  const ShownTexts texts = showOnce(box);
  EXPECT_EQ(texts.title, "Second Name");
  EXPECT_EQ(texts.name, "Second Name");
  EXPECT_EQ(texts.url, "https://second.example/");
}

TEST(AboutBox, NoVersionInformationLeavesTheVersionEmpty) {
  testkit::TempDir folder;
  TAboutBox box;
  box.ProgramFile = ProgramFile;
  ASSERT_NE(showOnce(box).version, "");
  box.ProgramFile = (folder / "no-such-program").string();
  EXPECT_EQ(showOnce(box).version, "");
}

TEST(AboutBox, LinkOpensTheAddressItselfInTheDesktopsBrowser) {
  auto machine = testkit::SimMachineBuilder().build();
  testkit::ScopedMachine scoped(machine);
  ProgramValues values("Brisklane", "https://brisklane.example/download?x=1&y=2");
  QuickAboutBox box;
  QLabel& link = Find<QLabel>(box, "URL");
  EXPECT_EQ(link.toolTip(), "Visit our website.");
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
  apptest::RunModal(box, [&] {
    QTest::mouseClick(&link, Qt::LeftButton);
    box.done(mrOk);
  });
  EXPECT_EQ(machine->simSystem().openedTargets(),
            std::vector<std::string>{"https://brisklane.example/download?x=1&y=2"});

  // A right click, or a press that ends outside the link, opens nothing.
  apptest::RunModal(box, [&] {
    QTest::mouseClick(&link, Qt::RightButton);
    QTest::mousePress(&link, Qt::LeftButton);
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(-5, -5));
    box.done(mrOk);
  });
  EXPECT_EQ(machine->simSystem().openedTargets().size(), 1u);
}

TEST(AboutBox, ReadsTheRunningProgramsVersionUnlessToldOtherwise) {
  EXPECT_EQ(TAboutBox().ProgramFile, QCoreApplication::applicationFilePath().toStdString());
}

TEST(AboutBox, Design) {
  testkit::TempDir noCatalog;
  apptest::ScopedTranslation english("de", noCatalog.path());
  QuickAboutBox box;
  EXPECT_EQ(box.windowTitle(), "About");
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  EXPECT_FALSE(Find<QLabel>(box, "imgProgramIcon").pixmap().isNull());
  const QLabel& title = Find<QLabel>(box, "sLabel1");
  EXPECT_EQ(title.font().pixelSize(), 24);
  EXPECT_TRUE(title.font().bold());
  EXPECT_EQ(title.palette().color(QPalette::WindowText), QColor(43, 53, 77));
  auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(title.graphicsEffect());
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->blurRadius(), 3);
  EXPECT_EQ(textOf(box, "Copyright"), "Copyright \u00a9 The Brisklane Team. All rights reserved.");
  const QLabel& link = Find<QLabel>(box, "URL");
  EXPECT_TRUE(link.font().bold());
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
  // The texts read from top to bottom as designed.
  int above = title.geometry().bottom();
  for (const char* name : {"MachineName", "SoftName", "Version", "Copyright", "URL"}) {
    const QLabel& label = Find<QLabel>(box, name);
    EXPECT_GT(label.y(), above) << name;
    above = label.y();
  }
  QPushButton& ok = Find<QPushButton>(box, "OKButton");
  EXPECT_EQ(ok.text(), "OK");
  EXPECT_TRUE(ok.isDefault());
  EXPECT_EQ(apptest::RunModal(box, [&] { QTest::keyClick(&box, Qt::Key_Return); }), mrOk);
  EXPECT_EQ(apptest::RunModal(box, [&] { box.close(); }), mrCancel);
}

TEST(AboutBox, GermanCaptions) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  ProgramValues values("Brisklane", "https://brisklane.example/");
  QuickAboutBox box;
  EXPECT_EQ(box.windowTitle(), "Info");
  EXPECT_EQ(Find<QLabel>(box, "URL").toolTip(), "Besuchen Sie unsere Website.");
  EXPECT_EQ(textOf(box, "Copyright"), "Copyright \u00a9 Das Brisklane-Team. Alle Rechte vorbehalten.");
  // What the box fills in at showing is no caption; the machine is named in
  // the user's language.
  testkit::ScopedMachine scoped(testkit::SimMachineBuilder().build());
  const ShownTexts shown = showOnce(box);
  EXPECT_EQ(shown.name, "Brisklane");
  EXPECT_EQ(shown.machine, "Läuft auf: Simulierter Laptop, Szenario test");
}

// The parts of a "mailto:" link, percent-decoded.
struct MailLink {
  std::string scheme, address, subject, body;
  int fields = 0;
};

std::string percentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

MailLink parseMailLink(const std::string& link) {
  MailLink parts;
  const std::size_t colon = link.find(':');
  const std::size_t question = link.find('?');
  parts.scheme = link.substr(0, colon);
  parts.address = percentDecode(link.substr(colon + 1, question - colon - 1));
  std::size_t start = question + 1;
  while (start <= link.size()) {
    std::size_t end = link.find('&', start);
    if (end == std::string::npos) end = link.size();
    const std::string field = link.substr(start, end - start);
    const std::size_t equals = field.find('=');
    const std::string name = field.substr(0, equals), value = percentDecode(field.substr(equals + 1));
    if (name == "subject") parts.subject = value;
    if (name == "body") parts.body = value;
    ++parts.fields;
    start = end + 1;
  }
  return parts;
}

TEST(FeedbackMail, SubjectAndBodyArriveWhole) {
  auto machine = testkit::SimMachineBuilder().build();
  testkit::ScopedMachine scoped(machine);
  ProgramValues values("Brisklane", "https://brisklane.example/");
  OpenFeedbackMail();
  const auto opened = machine->simSystem().openedTargets();
  ASSERT_EQ(opened.size(), 1u);
  const std::string& link = opened[0];
  // Nothing in the link that a mail handler would cut it at.
  EXPECT_EQ(link.find_first_of(" \r\n"), std::string::npos) << link;

  const MailLink parts = parseMailLink(link);
  EXPECT_EQ(parts.scheme, "mailto");
  EXPECT_EQ(parts.address, SupportMailAddress);
  EXPECT_EQ(parts.fields, 2);
  EXPECT_EQ(parts.subject, "Brisklane Comments");
  EXPECT_EQ(parts.body,
            "Hello Support Team,\r\n"
            "Product Name: Brisklane\r\n"
            "My Windows Version: \r\n"
            "My Laptop/Desktop Model: \r\n"
            "Input your comments here...");
}

TEST(FeedbackMail, NameWithAmpersandAndNonAsciiStaysInTheSubject) {
  auto machine = testkit::SimMachineBuilder().build();
  testkit::ScopedMachine scoped(machine);
  ProgramValues values("Brisk & Lane Ü", "https://brisklane.example/");
  OpenFeedbackMail();
  const MailLink parts = parseMailLink(machine->simSystem().openedTargets().at(0));
  EXPECT_EQ(parts.fields, 2);
  EXPECT_EQ(parts.subject, "Brisk & Lane Ü Comments");
  EXPECT_NE(parts.body.find("\r\nProduct Name: Brisk & Lane Ü\r\n"), std::string::npos) << parts.body;
}

}  // namespace
