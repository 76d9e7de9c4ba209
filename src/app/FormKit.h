// What the program's dialogs share: their fonts, the modal frame with the
// framework's modal results, and labels that size themselves to their text.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QLabel;

// `family` when it is installed, else the desktop's sans-serif; Qt's default size.
QFont DesignFont(const QString& family);

// The forms' font: Tahoma 8 pt where present, else the desktop's sans-serif at 8 pt.
QFont FormFont();

// Modal results, as the framework numbers them.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// A dialog shown modally that ends with a modal result. The close box gives
// mrCancel; Escape is bound to no button (a form binds keys to its buttons
// only as its design says). Title bar: the close box only.
class TModalForm : public QDialog {
  Q_OBJECT
 public:
  explicit TModalForm(QWidget* owner);

  // Shows the form modally and returns its modal result.
  int ShowModal();

  // Closes the form with the result.
  void SetModalResult(int result) { done(result); }

  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// Text colour and weight of a label, check box or button.
void SetFontColor(QWidget* widget, const QColor& color);
void SetFontBold(QWidget* widget);

// Moves the label to (left, top) and sizes it to its text, as an auto-sized
// label does; a word-wrapping label keeps its width and takes the height it needs.
void PlaceLabel(QLabel* label, int left, int top);
