// The Internet and sharing status: the "My Internet Status" group of the
// Home page, the two owner-drawn panels of the status bar, and Refresh.
#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>

#include "app/FormKit.h"
#include "app/Pictures.h"
#include "app/Translation.h"
#include "app/Unit1.h"
#include "app/Unit1Private.h"
#include "app/Unit1StatusPanel.h"
#include "brisklane_refusal.h"
#include "update/CheckUpdateThread.h"
#include "wifi/WifiNetwork.h"

using namespace unit1;

namespace {

enum : int { SharingPanel = 1, InternetPanel = 2 };
// How often the status of an action running looks at what it waits for.
constexpr int ActionStatusMilliseconds = 250;

}  // namespace

void TForm1::WifiInternetStatusChange(std::uint8_t status) {
  if (status == 1) {
    if (FUpdateThread) FUpdateThread->Start();  // once: later calls do nothing
    SetFontColor(lblInternetStatus, Green);
    lblInternetStatus->setText(QStringLiteral("Internet is connected."));
    imgInternetConnected->show();
    imgInternetDisconnected->hide();
  } else if (status == 2) {
    SetFontColor(lblInternetStatus, Red);
    lblInternetStatus->setText(QStringLiteral("Internet is disconnected."));
    imgInternetConnected->hide();
    imgInternetDisconnected->show();
  }
}

std::optional<TForm1::TPanelContent> TForm1::StatusPanelContent(int panel) const {
  if (panel == SharingPanel) {
    if (!FSharingAvailable) return TPanelContent{};
    return FWifiStarted ? TPanelContent{Translate(QStringLiteral("Internet Sharing Enabled")), TPicture::SharingEnabled}
                        : TPanelContent{Translate(QStringLiteral("Ready for Sharing")), TPicture::ReadyForSharing};
  }
  switch (FWifi->InternetStatus()) {
    case 0:
      return TPanelContent{Translate(QStringLiteral("Unavailable")), TPicture::InternetOffline};
    case 1:
      return TPanelContent{Translate(QStringLiteral("Connected to Internet")), TPicture::InternetOnline};
    case 2:
      return TPanelContent{Translate(QStringLiteral("Internet Disconnected")), TPicture::InternetOffline};
    default:
      return std::nullopt;
  }
}

void TForm1::sStatusBar1DrawPanel(TStatusPanel& panel, QPainter& painter, const QRect& rect) {
  const std::optional<TPanelContent> content = StatusPanelContent(panel.Index());
  if (!content) return;
  panel.SetText(content->Text);
  if (!content->Picture) return;
  painter.drawPixmap(rect.left(), rect.top() + 2, Picture(*content->Picture));
  painter.drawText(QRect(rect.left() + 20, rect.top() + 2, rect.width() - 20, rect.height() - 2),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, content->Text);
}

void TForm1::RefreshStatusPanels() {
  for (TStatusPanel* panel : {StatusBarPanel2, StatusBarPanel3}) {
    const std::optional<TPanelContent> content = StatusPanelContent(panel->Index());
    if (content && content->Text != panel->Text()) {
      panel->SetText(content->Text);
      panel->update();
    }
  }
}

void TForm1::ShowActionStatus(const QString& text) {
  FActionStatus = text;
  if (!tmrActionStatus) {
    tmrActionStatus = new QTimer(this);
    tmrActionStatus->setInterval(ActionStatusMilliseconds);
    connect(tmrActionStatus, &QTimer::timeout, this, &TForm1::RefreshActionStatus);
  }
  if (text.isEmpty()) {
    tmrActionStatus->stop();
  } else {
    tmrActionStatus->start();
  }
  RefreshActionStatus();
}

void TForm1::RefreshActionStatus() {
  if (FActionStatus.isEmpty()) {
    StatusBarPanel1->setText(FMachineNotice);
  } else if (BrisklaneMachineAwaiting() == BRISKLANE_AWAITING_PERMISSION) {
    StatusBarPanel1->setText(Translate(QStringLiteral("Waiting for permission…")));
  } else {
    StatusBarPanel1->setText(FActionStatus);
  }
}

void TForm1::actRefresh2Execute() {
  TWaitCursor hourglass;
  RefreshConnections();
  FWifi->Refresh();
  FWifi->CheckInternetNow();
  RefreshGuests();
  ShowJoinCode();
  StatusBar1->repaint();
}
