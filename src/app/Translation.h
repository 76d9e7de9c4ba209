// Run-time translation of the texts that the program shows in the user's
// language: GNU gettext, text domain "default", catalogs
// <locale folder>/<language>/LC_MESSAGES/default.mo. The language is the one
// gettext takes from the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
#pragma once

#include <filesystem>

#include <QString>

class QWidget;

// The translation of `text`, or `text` itself when no catalog has one.
QString Translate(const QString& text);
// The same with `insert` (never translated) put in for the "%1" it holds.
QString Translate(const QString& text, const QString& insert);

// Translates a form right after it was built, property by property: window
// titles, label, button, check box and group box texts, and tooltips of the
// form and every widget on it.
void TranslateComponent(QWidget* form);

// The folder that holds the catalogs. Until it is set, the "locale" folder
// of the program's data folder (brisklane_files.h) is used.
void SetLocaleFolder(const std::filesystem::path& folder);
std::filesystem::path LocaleFolder();
