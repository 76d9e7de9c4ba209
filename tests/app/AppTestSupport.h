// Helpers of the window tests: the language and catalogs of a test, message
// boxes answered and recorded, and a modal form driven while it shows.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QTimer>

#include "app/FormKit.h"
#include "app/MessageBoxes.h"
#include "app/Translation.h"

namespace apptest {

inline std::filesystem::path ProgramLocaleFolder() { return std::filesystem::path(BRISKLANE_PROGRAM_DIR) / "locale"; }

// Chooses the language of the translations and the catalog folder for a
// scope. gettext ignores LANGUAGE under the "C" locale, so the messages
// category moves to C.UTF-8 meanwhile.
class ScopedTranslation {
 public:
  ScopedTranslation(const std::string& language, const std::filesystem::path& folder)
      : previousFolder_(LocaleFolder()), previousLocale_(std::setlocale(LC_MESSAGES, nullptr)) {
    if (const char* value = std::getenv("LANGUAGE")) previousLanguage_ = value;
    setenv("LANGUAGE", language.c_str(), 1);
    std::setlocale(LC_MESSAGES, "C.UTF-8");  // also makes gettext forget what it looked up
    SetLocaleFolder(folder);
  }
  ~ScopedTranslation() {
    if (previousLanguage_.empty()) {
      unsetenv("LANGUAGE");
    } else {
      setenv("LANGUAGE", previousLanguage_.c_str(), 1);
    }
    std::setlocale(LC_MESSAGES, previousLocale_.c_str());
    SetLocaleFolder(previousFolder_);
  }
  ScopedTranslation(const ScopedTranslation&) = delete;
  ScopedTranslation& operator=(const ScopedTranslation&) = delete;

 private:
  std::filesystem::path previousFolder_;
  std::string previousLocale_;
  std::string previousLanguage_;
};

// Answers every message box with `answer` and keeps what was asked.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(QMessageBox::StandardButton answer = QMessageBox::Ok)
      : scope_([this, answer](const TMessageBoxRequest& request) {
          boxes.push_back(request);
          return answer;
        }) {}

  std::vector<TMessageBoxRequest> boxes;

 private:
  TMessageBoxHandlerScope scope_;
};

// Result given to a form that `whileShown` left open, so a faulty form ends
// the test instead of hanging it.
constexpr int LeftOpen = -1;

// Shows the form modally, runs `whileShown` once the form shows, and returns
// the modal result.
inline int RunModal(TModalForm& form, const std::function<void()>& whileShown) {
  QTimer::singleShot(0, &form, [&form, whileShown] {
    whileShown();
    if (form.isVisible()) form.done(LeftOpen);
  });
  return form.ShowModal();
}

}  // namespace apptest
