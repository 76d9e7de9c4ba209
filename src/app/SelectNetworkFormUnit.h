// The connection picker: the caller sets the instruction, fills the list with
// the connections to offer and shows the dialog; on OK the selected item's
// connection is the choice.
#pragma once

#include <array>

#include <QPixmap>
#include <QStyle>

#include "app/FormKit.h"

class QFrame;
class QLabel;
class QListWidget;
class QPainter;
class QPushButton;
class TConnection;

// What one tile shows for its connection.
struct TConnectionTile {
  int ImageIndex;  // into ImageList1: 0/1 wired (crossed out/connected), 2/3 wireless
  QString Name;
  QString State;  // "Connected" or "Disconnected"
  QString Device;
};
TConnectionTile DescribeConnection(const TConnection& connection);

class TSelectNetworkForm : public TModalForm {
  Q_OBJECT
 public:
  explicit TSelectNetworkForm(QWidget* owner = nullptr);

  // The instruction above the list.
  void SetCaption(const QString& caption);

  // Items of ListBox1. The connections are not owned: they must live while
  // the dialog shows them.
  void ClearConnections();
  void AddConnection(TConnection* connection);  // an item with empty text
  TConnection* ItemConnection(int index) const;
  // The selected item's connection; none without a selection.
  TConnection* SelectedConnection() const;

  // Draws one item: separator, texts in black (orange when selected), the
  // image of the connection's kind and state, and the focus rectangle.
  void ListBox1DrawItem(QPainter& canvas, int index, const QRect& rect, QStyle::State state);
  // A double click on the list confirms the selected item, if any.
  void ListBox1DblClick();

  static constexpr int ItemHeight = 60;
  static const QColor SelectionColor;  // orange: separators and the selected item's texts

  std::array<QPixmap, 4> ImageList1;  // 48 x 48

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void applyAnchors(const QSize& clientSize);

  QLabel* lblCaption;
  QListWidget* ListBox1;
  QFrame* Panel1;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};
