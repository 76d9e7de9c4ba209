#include "app/MessageBoxes.h"

#include <cstdio>

#include <QApplication>

namespace {

// Used on the user-interface thread only, like the boxes themselves.
TMessageBoxHandler& installedHandler() {
  static TMessageBoxHandler handler;
  return handler;
}

QString& applicationTitle() {
  static QString title;
  return title;
}

QMessageBox::StandardButton showRealBox(const TMessageBoxRequest& request) {
  QString text = request.Text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(request.Icon, request.Caption, text, request.Buttons, request.Parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, const QString& text, const QString& caption,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
  const TMessageBoxRequest request{parent, text, caption, icon, buttons};
  const TMessageBoxHandler handler = installedHandler();  // may be replaced while it runs
  return handler ? handler(request) : showRealBox(request);
}

void ShowFailureMessage(QWidget* parent, const QString& text, const QString& caption, const std::string& reason) {
  QString shown = text;
  if (!reason.empty()) {
    std::fprintf(stderr, "brisklane: %s\n", reason.c_str());
    shown += QStringLiteral("\r\n") + QString::fromStdString(reason);
  }
  ShowMessageBox(parent, shown, caption, QMessageBox::Critical, QMessageBox::Ok);
}

void ShowException(const std::exception& error) {
  ShowMessageBox(QApplication::activeWindow(), QString::fromUtf8(error.what()), applicationTitle(),
                 QMessageBox::Critical, QMessageBox::Ok);
}

void SetApplicationTitle(const QString& title) { applicationTitle() = title; }

QString ApplicationTitle() { return applicationTitle(); }

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowException(error);
  }
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
  TMessageBoxHandler previous = std::move(installedHandler());
  installedHandler() = std::move(handler);
  return previous;
}

TMessageBoxHandlerScope::TMessageBoxHandlerScope(TMessageBoxHandler handler)
    : previous_(SetMessageBoxHandler(std::move(handler))) {}

TMessageBoxHandlerScope::~TMessageBoxHandlerScope() { SetMessageBoxHandler(std::move(previous_)); }
