// Translation: the catalog beside the program holds what the program
// translates, German captions in the windows, the English texts without a
// catalog, and forms translated property by property.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <utility>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "FindWidget.h"
#include "ProgramWindow.h"
#include "app/AboutUnit.h"
#include "app/OptionsUnit.h"
#include "brisklane_files.h"
#include "service/UnitWifiTroubleShooter.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"

namespace {

using apptest::Find;

// The texts of the catalog the program loads for `language`, with their
// translations, read from the compiled catalog (GNU .mo, little-endian).
std::map<std::string, std::string> CatalogTexts(const std::string& language) {
  const std::filesystem::path path = apptest::ProgramLocaleFolder() / language / "LC_MESSAGES" / "default.mo";
  std::ifstream file(path, std::ios::binary);
  const std::string data{std::istreambuf_iterator<char>(file), {}};
  auto word = [&](std::size_t at) {
    std::uint32_t value = 0;
    if (at + 4 <= data.size()) std::memcpy(&value, data.data() + at, 4);
    return value;
  };
  auto text = [&](std::uint32_t table, std::uint32_t index) {
    const std::uint32_t length = word(table + 8 * index), offset = word(table + 8 * index + 4);
    return offset + length <= data.size() ? data.substr(offset, length) : std::string();
  };
  std::map<std::string, std::string> texts;
  if (word(0) != 0x950412de) {
    ADD_FAILURE() << "no catalog at " << path;
    return texts;
  }
  for (std::uint32_t i = 0; i < word(8); ++i) {
    if (const std::string id = text(word(12), i); !id.empty()) texts[id] = text(word(16), i);  // "" is the header
  }
  return texts;
}

// The text a C++ string literal's body stands for.
std::string Unescaped(const std::string& body) {
  std::string text;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\\' || i + 1 == body.size()) {
      text += body[i];
      continue;
    }
    const char c = body[++i];
    text += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
  }
  return text;
}

// The literal texts of the program's sources that it passes to Translate or
// tr (both sides of a choice, adjacent literals joined), and the names and
// notices the machines give it to translate.
std::set<std::string> TranslatedLiterals() {
  static const std::regex call(R"(\b(?:Translate|tr)\()");
  static const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  static const std::regex described(R"re(\.(?:name|notice) = "((?:[^"\\]|\\.)*)")re");
  std::set<std::string> texts;
  for (const char* folder : {"src", "platform"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(BRISKLANE_SOURCE_DIR) / folder)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".cpp" && extension != ".h") continue;
      std::ifstream file(entry.path());
      const std::string source{std::istreambuf_iterator<char>(file), {}};
      if (folder == std::string("platform")) {
        for (auto m = std::sregex_iterator(source.begin(), source.end(), described); m != std::sregex_iterator(); ++m) {
          if (!(*m)[1].str().empty()) texts.insert(Unescaped((*m)[1]));
        }
        continue;
      }
      for (auto m = std::sregex_iterator(source.begin(), source.end(), call); m != std::sregex_iterator(); ++m) {
        // The first argument: up to the comma or parenthesis that ends it.
        std::size_t end = m->position() + m->length();
        for (int depth = 0; end < source.size(); ++end) {
          const char c = source[end];
          if (c == '"') {
            while (++end < source.size() && source[end] != '"') end += source[end] == '\\' ? 1 : 0;
          } else if (c == '(') {
            ++depth;
          } else if ((c == ')' || c == ',') && depth == 0) {
            break;
          } else if (c == ')') {
            --depth;
          }
        }
        const std::string argument = source.substr(m->position() + m->length(), end - m->position() - m->length());
        std::string joined;
        std::size_t after = 0;
        for (auto l = std::sregex_iterator(argument.begin(), argument.end(), literal); l != std::sregex_iterator(); ++l) {
          const bool adjacent = argument.find_first_not_of(" \t\r\n", after) == static_cast<std::size_t>(l->position());
          if (!joined.empty() && !adjacent) texts.insert(std::exchange(joined, {}));
          joined += Unescaped((*l)[1]);
          after = l->position() + l->length();
        }
        if (!joined.empty()) texts.insert(joined);
      }
    }
  }
  return texts;
}

// The captions of the windows that translate themselves, as designed.
std::set<std::string> DesignCaptions() {
  testkit::TempDir noCatalog;
  apptest::ScopedTranslation english("de", noCatalog.path());
  testkit::ScopedMachine scoped(testkit::SimMachineBuilder().build());
  TOptionsForm options;
  TAboutBox about;
  TFrmTroubleShooter troubleShooter;
  std::set<std::string> texts;
  auto add = [&](const QString& text) {
    if (!text.isEmpty()) texts.insert(text.toStdString());
  };
  for (QWidget* window : std::initializer_list<QWidget*>{&options, &about, &troubleShooter}) {
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.push_back(window);
    for (QWidget* widget : widgets) {
      add(widget->windowTitle());
      add(widget->toolTip());
      if (auto* label = qobject_cast<QLabel*>(widget)) add(label->text());
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) add(button->text());
    }
  }
  return texts;
}

TEST(Catalog, HoldsEveryTextTheProgramTranslatesAndNoOther) {
  const std::map<std::string, std::string> catalog = CatalogTexts("de");
  std::set<std::string> translated = TranslatedLiterals();
  translated.merge(DesignCaptions());
  for (const std::string& text : translated) {
    const auto entry = catalog.find(text);
    if (entry == catalog.end()) {
      ADD_FAILURE() << "not in the catalog: \"" << text << "\"";
    } else {
      EXPECT_FALSE(entry->second.empty()) << text;
    }
  }
  for (const auto& [text, german] : catalog) EXPECT_EQ(translated.count(text), 1u) << "not translated: \"" << text << "\"";
  EXPECT_GE(translated.size(), 30u);
}

TEST(Catalog, LoadedForGermanTranslatesEachOfItsTexts) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  for (const auto& [text, translation] : CatalogTexts("de")) {
    EXPECT_EQ(Translate(QString::fromStdString(text)).toStdString(), translation);
  }
}

TEST(Translation, WithoutCatalogTextsStayEnglish) {
  testkit::TempDir empty;
  apptest::ScopedTranslation german("de", empty.path());
  for (const auto& [text, translation] : CatalogTexts("de")) {
    EXPECT_EQ(Translate(QString::fromStdString(text)).toStdString(), text);
  }
}

TEST(Translation, GermanCaptionsShowInTheWindows) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  apptest::ShippedLaptop program;
  TForm1& form = program.form();
  EXPECT_EQ(Find<QGroupBox>(form, "grpGuests").title(), QString::fromUtf8("Geräte in diesem Netzwerk"));
  EXPECT_EQ(Find<QLabel>(form, "StatusBarPanel1").text(), "Simulierter Laptop: laptop");
  TOptionsForm& options = *form.findChild<TOptionsForm*>();
  EXPECT_EQ(options.windowTitle(), "Optionen");
  EXPECT_EQ(Find<QCheckBox>(options, "chkAutoRun").text(), "Mit Windows starten");
  EXPECT_EQ(Find<QLabel>(*form.findChild<TAboutBox*>(), "URL").toolTip(), "Besuchen Sie unsere Website.");
}

TEST(Translation, LanguageWithoutCatalogKeepsEnglish) {
  apptest::ScopedTranslation french("fr", apptest::ProgramLocaleFolder());
  EXPECT_EQ(Translate("Ready for Sharing").toStdString(), "Ready for Sharing");
}

TEST(Translation, EmptyAndUnknownTextsStayAsTheyAre) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  EXPECT_EQ(Translate(QString()), QString());
  EXPECT_EQ(Translate("No catalog knows this text"), "No catalog knows this text");
}

TEST(Translation, CatalogsAreLookedUpInTheDataFolderUntilAFolderIsSet) {
  const std::filesystem::path previous = LocaleFolder();
  testkit::TempDir folder;
  SetLocaleFolder(folder.path());
  EXPECT_EQ(LocaleFolder(), folder.path());
  SetLocaleFolder(previous);
  // The test program has not set a folder of its own.
  EXPECT_EQ(previous, std::filesystem::path(BrisklaneDataFolder()) / "locale");
}

class TranslateComponentTest : public testing::Test {
 protected:
  TranslateComponentTest() {
    form.setWindowTitle("Options");
    label = new QLabel("Start minimized", &form);
    picture = new QLabel(&form);
    picture->setPixmap(QPixmap(8, 8));
    button = new QPushButton("&Cancel", &form);
    button->setToolTip("Visit our website.");
    check = new QCheckBox("Autorun with Windows", &form);
    group = new QGroupBox("About", &form);
    nested = new QLabel("* Application restart required.", group);
    edit = new QLineEdit("Options", &form);
  }

  QWidget form;
  QLabel* label;
  QLabel* picture;
  QPushButton* button;
  QCheckBox* check;
  QGroupBox* group;
  QLabel* nested;
  QLineEdit* edit;
};

TEST_F(TranslateComponentTest, TranslatesCaptionsHintsAndTitlesButNotEditedText) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  TranslateComponent(&form);
  EXPECT_EQ(form.windowTitle(), "Optionen");
  EXPECT_EQ(label->text(), "Minimiert starten");
  EXPECT_EQ(button->text(), "&Abbrechen");
  EXPECT_EQ(button->toolTip(), "Besuchen Sie unsere Website.");
  EXPECT_EQ(check->text(), "Mit Windows starten");
  EXPECT_EQ(group->title(), "Info");
  EXPECT_EQ(nested->text(), "* Neustart des Programms erforderlich.");
  EXPECT_EQ(edit->text(), "Options");
  EXPECT_FALSE(picture->pixmap().isNull());
}

TEST_F(TranslateComponentTest, WithoutCatalogEveryTextStays) {
  testkit::TempDir empty;
  apptest::ScopedTranslation german("de", empty.path());
  TranslateComponent(&form);
  EXPECT_EQ(form.windowTitle(), "Options");
  EXPECT_EQ(label->text(), "Start minimized");
  EXPECT_EQ(button->text(), "&Cancel");
  EXPECT_EQ(button->toolTip(), "Visit our website.");
  EXPECT_EQ(check->text(), "Autorun with Windows");
  EXPECT_EQ(group->title(), "About");
}

}  // namespace
