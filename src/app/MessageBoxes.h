// Every message box of the program goes through ShowMessageBox, so tests can
// answer and record them by installing a handler. Errors that leave an event
// handler are shown here too, in the framework's standard error box.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include <QMessageBox>
#include <QString>

class QWidget;

struct TMessageBoxRequest {
  QWidget* Parent = nullptr;  // the window the box belongs to, or none
  QString Text;               // as the program passed it; "\r\n" is a line break
  QString Caption;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
};

// Shows a modal message box and returns the button that closed it.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);

// The box of a failed action: the program's own text and, beneath it, the
// reason the machine gave for refusing (BrisklaneLastRefusal, read by the
// caller right after the call that failed), which also goes to stderr. Error
// icon, OK.
void ShowFailureMessage(QWidget* parent, const QString& text, const QString& caption, const std::string& reason);

// The framework's standard error box: the error's text with the error icon
// and OK, captioned with the application's title, owned by the active window.
void ShowException(const std::exception& error);

// The application's title, the caption of the standard error box; empty until
// set. Kept here, not as Qt's application display name, which the X11
// platform appends to the title of every window.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// Runs an event handler; an error that leaves it is shown by ShowException
// and the program goes on.
void RunHandler(const std::function<void()>& handler);

// Answers message boxes instead of showing them; none restores the real boxes.
using TMessageBoxHandler = std::function<QMessageBox::StandardButton(const TMessageBoxRequest&)>;
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// Installs a handler for a scope and puts the previous one back afterwards.
class TMessageBoxHandlerScope {
 public:
  explicit TMessageBoxHandlerScope(TMessageBoxHandler handler);
  ~TMessageBoxHandlerScope();
  TMessageBoxHandlerScope(const TMessageBoxHandlerScope&) = delete;
  TMessageBoxHandlerScope& operator=(const TMessageBoxHandlerScope&) = delete;

 private:
  TMessageBoxHandler previous_;
};
