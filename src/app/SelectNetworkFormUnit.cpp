#include "app/SelectNetworkFormUnit.h"

#include <functional>

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/Pictures.h"
#include "net/ConnectionUnit.h"

namespace {

constexpr int NCS_CONNECTED = 2;
const QSize DesignClientSize(281, 283);

// Hands the drawing of every item to the form.
class TTileDelegate : public QStyledItemDelegate {
 public:
  explicit TTileDelegate(TSelectNetworkForm* form) : QStyledItemDelegate(form), form_(form) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    form_->ListBox1DrawItem(*painter, index.row(), option.rect, option.state);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {option.rect.width(), TSelectNetworkForm::ItemHeight};
  }

 private:
  TSelectNetworkForm* form_;
};

// A list that reports double clicks after it has handled them, so a double
// click that lands on an item has selected it by then.
class TListBox : public QListWidget {
 public:
  using QListWidget::QListWidget;
  std::function<void()> OnDblClick;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QListWidget::mouseDoubleClickEvent(event);
    if (OnDblClick) OnDblClick();
  }
};

// Writes the text with its top left corner at (x, y) on the given background.
void textOut(QPainter& canvas, int x, int y, const QString& text, const QColor& background) {
  const QRect cell(QPoint(x, y), QSize(canvas.fontMetrics().horizontalAdvance(text), canvas.fontMetrics().height()));
  canvas.fillRect(cell, background);
  canvas.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

const QColor TSelectNetworkForm::SelectionColor(255, 128, 0);

TConnectionTile DescribeConnection(const TConnection& connection) {
  const bool connected = connection.Status == NCS_CONNECTED;
  return {(connected ? 1 : 0) + (connection.IsWireless ? 2 : 0), QString::fromStdString(connection.Name),
          connected ? QStringLiteral("Connected") : QStringLiteral("Disconnected"),
          QString::fromStdString(connection.DeviceName)};
}

TSelectNetworkForm::TSelectNetworkForm(QWidget* owner)
    : TModalForm(owner),
      ImageList1{Picture(TPicture::WiredDisconnected), Picture(TPicture::WiredConnected),
                 Picture(TPicture::WirelessDisconnected), Picture(TPicture::WirelessConnected)} {
  setObjectName("SelectNetworkForm");
  setWindowTitle("Select Connection");
  setSizeGripEnabled(false);
  resize(DesignClientSize);

  lblCaption = new QLabel(this);
  lblCaption->setObjectName("lblCaption");
  lblCaption->setWordWrap(true);
  lblCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* listBox = new TListBox(Panel1);
  listBox->OnDblClick = [this] { ListBox1DblClick(); };
  ListBox1 = listBox;
  ListBox1->setObjectName("ListBox1");
  ListBox1->setFrameShape(QFrame::NoFrame);
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBox1->setUniformItemSizes(true);
  ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBox1->setItemDelegate(new TTileDelegate(this));
  auto* layout = new QVBoxLayout(Panel1);
  layout->setContentsMargins(0, 0, 0, 0);  // the list fills the panel inside its bevel
  layout->addWidget(ListBox1);

  btnOK = new QPushButton("&OK", this);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  btnCancel = new QPushButton("&Cancel", this);
  btnCancel->setObjectName("btnCancel");
  connect(btnOK, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });

  applyAnchors(DesignClientSize);
}

void TSelectNetworkForm::SetCaption(const QString& caption) { lblCaption->setText(caption); }

void TSelectNetworkForm::ClearConnections() { ListBox1->clear(); }

void TSelectNetworkForm::AddConnection(TConnection* connection) {
  auto* item = new QListWidgetItem(QString(), ListBox1);
  item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(connection)));
}

TConnection* TSelectNetworkForm::ItemConnection(int index) const {
  const QListWidgetItem* item = ListBox1->item(index);
  return item == nullptr ? nullptr : static_cast<TConnection*>(item->data(Qt::UserRole).value<void*>());
}

TConnection* TSelectNetworkForm::SelectedConnection() const {
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  return selected.isEmpty() ? nullptr : ItemConnection(ListBox1->row(selected.first()));
}

void TSelectNetworkForm::ListBox1DrawItem(QPainter& canvas, int index, const QRect& rect, QStyle::State state) {
  canvas.save();
  canvas.setFont(ListBox1->font());
  const QColor window = ListBox1->palette().color(QPalette::Base);

  canvas.setPen(SelectionColor);
  canvas.drawLine(rect.left() + 7, rect.bottom(), rect.right() - 7, rect.bottom());

  canvas.setPen(state.testFlag(QStyle::State_Selected) ? SelectionColor : QColor(Qt::black));
  if (const TConnection* connection = ItemConnection(index)) {
    const TConnectionTile tile = DescribeConnection(*connection);
    const int textLeft = rect.left() + 58;
    textOut(canvas, textLeft, rect.top() + 8, tile.Name, window);
    const QPixmap& image = ImageList1[static_cast<std::size_t>(tile.ImageIndex)];
    const int imageHeight = qRound(image.deviceIndependentSize().height());
    canvas.drawPixmap(rect.left() + 7, rect.top() + (rect.height() - imageHeight) / 2, image);
    textOut(canvas, textLeft, rect.top() + 24, tile.State, window);
    textOut(canvas, textLeft, rect.top() + 40, tile.Device, window);
  }

  if (state.testFlag(QStyle::State_HasFocus)) {
    QPen dotted(QColor(Qt::black), 0);
    dotted.setDashPattern({1, 1});
    canvas.setPen(dotted);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(rect.adjusted(0, 0, -1, -1));
  }
  canvas.restore();
}

void TSelectNetworkForm::ListBox1DblClick() {
  if (!ListBox1->selectedItems().isEmpty()) SetModalResult(mrOk);
}

void TSelectNetworkForm::resizeEvent(QResizeEvent* event) {
  applyAnchors(event->size());
  TModalForm::resizeEvent(event);
}

void TSelectNetworkForm::applyAnchors(const QSize& clientSize) {
  // The label and the panel stretch with the form; the buttons keep their
  // distance to the lower right corner.
  const int dx = clientSize.width() - DesignClientSize.width();
  const int dy = clientSize.height() - DesignClientSize.height();
  lblCaption->setGeometry(12, 10, 253 + dx, 26);
  Panel1->setGeometry(11, 45, 257 + dx, 174 + dy);
  btnOK->setGeometry(87 + dx, 243 + dy, 75, 25);
  btnCancel->setGeometry(175 + dx, 243 + dy, 75, 25);
}
