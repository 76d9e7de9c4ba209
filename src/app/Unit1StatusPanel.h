// An owner-drawn panel of the main window's status bar. Its owner draws it
// through OnDrawPanel and keeps its text, which screen readers read as the
// panel's name and description.
#pragma once

#include <functional>

#include <QString>
#include <QWidget>

class TStatusPanel : public QWidget {
  Q_OBJECT

 public:
  using TDrawPanel = std::function<void(TStatusPanel& panel, QPainter& painter, const QRect& rect)>;

  // `index` is the panel's place in the status bar, counted from 0.
  TStatusPanel(int index, int width, QWidget* parent);

  int Index() const { return index_; }
  const QString& Text() const { return text_; }
  void SetText(const QString& text);

  TDrawPanel OnDrawPanel;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int index_;
  QString text_;
};
