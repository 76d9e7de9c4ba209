#include "app/Translation.h"

#include <libintl.h>

#include <mutex>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include "brisklane_files.h"

namespace {

const char* const TextDomain = "default";

std::mutex folderMutex;
std::filesystem::path boundFolder;  // guarded by folderMutex; empty until bound

void bindLocked(const std::filesystem::path& folder) {
  boundFolder = folder;
  bindtextdomain(TextDomain, folder.c_str());
  bind_textdomain_codeset(TextDomain, "UTF-8");
}

void ensureBound() {
  std::lock_guard lock(folderMutex);
  if (boundFolder.empty()) {
    bindLocked(std::filesystem::path(BrisklaneDataFolder()) / "locale");
  }
}

// Empty texts stay as they are: setting a label's text would drop its picture.
template <class Set>
void translateText(const QString& text, Set set) {
  if (!text.isEmpty()) set(Translate(text));
}

void translateWidget(QWidget* widget) {
  translateText(widget->windowTitle(), [&](const QString& t) { widget->setWindowTitle(t); });
  translateText(widget->toolTip(), [&](const QString& t) { widget->setToolTip(t); });
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    translateText(label->text(), [&](const QString& t) { label->setText(t); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    translateText(button->text(), [&](const QString& t) { button->setText(t); });
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    translateText(group->title(), [&](const QString& t) { group->setTitle(t); });
  }
}

}  // namespace

QString Translate(const QString& text) {
  // gettext answers the empty text with the catalog's header.
  if (text.isEmpty()) return text;
  ensureBound();
  const QByteArray msgid = text.toUtf8();
  const char* translated = dgettext(TextDomain, msgid.constData());
  return translated == msgid.constData() ? text : QString::fromUtf8(translated);
}

QString Translate(const QString& text, const QString& insert) {
  QString translated = Translate(text);
  if (const qsizetype at = translated.indexOf(QStringLiteral("%1")); at >= 0) translated.replace(at, 2, insert);
  return translated;
}

void TranslateComponent(QWidget* form) {
  if (form == nullptr) return;
  translateWidget(form);
  for (QWidget* child : form->findChildren<QWidget*>()) translateWidget(child);
}

void SetLocaleFolder(const std::filesystem::path& folder) {
  std::lock_guard lock(folderMutex);
  bindLocked(folder);
}

std::filesystem::path LocaleFolder() {
  ensureBound();
  std::lock_guard lock(folderMutex);
  return boundFolder;
}
