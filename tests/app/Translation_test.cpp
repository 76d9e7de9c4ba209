// Translation: the German catalog beside the program, the English texts
// without one, and forms translated property by property.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "brisklane_files.h"
#include "testkit/TempDir.h"

namespace {

struct CatalogText {
  const char* english;
  const char* german;
};

// The texts other windows translate: the status bar, the troubleshooter,
// and the devices and QR code of this laptop's network.
const CatalogText SharedTexts[] = {
    {"Internet Sharing Enabled", "Internetfreigabe aktiv"},
    {"Ready for Sharing", "Bereit zur Freigabe"},
    {"Unavailable", "Nicht verfügbar"},
    {"Connected to Internet", "Mit dem Internet verbunden"},
    {"Internet Disconnected", "Internet getrennt"},
    {"Starting WIFI Service", "WLAN-Dienst wird gestartet"},
    {"Starting Microsoft Windows WIFI Service ...", "Microsoft Windows WLAN-Dienst wird gestartet ..."},
    {"The Windows WIFI service was started successfully.", "Der Windows WLAN-Dienst wurde erfolgreich gestartet."},
    {"The Windows WIFI service is not started.", "Der Windows WLAN-Dienst ist nicht gestartet."},
    {"&Close", "&Schließen"},
    {"&Cancel", "&Abbrechen"},
    {"Devices on this network", "Geräte in diesem Netzwerk"},
    {"%1 joined %2", "%1 ist %2 beigetreten"},
    {"Scan with a phone camera to join", "Zum Verbinden mit der Handykamera scannen"},
    {"Network: %1\nPassword: %2", "Netzwerk: %1\nKennwort: %2"},
};

TEST(Translation, GermanCatalogTranslatesTheTextsOfEveryWindow) {
  apptest::ScopedTranslation german("de", apptest::ProgramLocaleFolder());
  for (const auto& text : SharedTexts) {
    EXPECT_EQ(Translate(QString::fromUtf8(text.english)).toStdString(), text.german);
  }
}

TEST(Translation, WithoutCatalogTextsStayEnglish) {
  testkit::TempDir empty;
  apptest::ScopedTranslation german("de", empty.path());
  for (const auto& text : SharedTexts) {
    EXPECT_EQ(Translate(QString::fromUtf8(text.english)).toStdString(), text.english);
  }
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
