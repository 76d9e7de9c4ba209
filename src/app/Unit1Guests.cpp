// The devices on this laptop's network: the list on the Hotspot Setup page
// while sharing is on, and tray balloons when one joins or leaves while the
// window is out of sight.
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <QTreeWidget>

#include "app/MessageBoxes.h"
#include "app/Translation.h"
#include "app/Unit1.h"
#include "app/UnitGlobal.h"
#include "wifi/WifiHotspot.h"

namespace {

constexpr int BalloonMilliseconds = 3000;

QString Text(const std::u16string& text) { return QString::fromStdU16String(text); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

QStringList Columns(const TWifiGuest& guest) {
  const QDateTime since = QDateTime::currentDateTime().addSecs(-static_cast<qint64>(guest.ConnectedSeconds));
  return {Text(guest.DisplayName()), Text(guest.MacAddress), Text(guest.IpAddress),
          QLocale().toString(since.time(), QLocale::ShortFormat)};
}

}  // namespace

void TForm1::WireGuestEvents() {
  tmrGuestBalloon = new QTimer(this);
  tmrGuestBalloon->setObjectName(QStringLiteral("tmrGuestBalloon"));
  tmrGuestBalloon->setSingleShot(true);
  connect(tmrGuestBalloon, &QTimer::timeout, this, [this] { RunHandler([this] { tmrGuestBalloonTimer(); }); });
  // Raised on the library's thread; handled on the window's, in order.
  FHotspot->OnGuestChange = [this](const TGuestNotice& notice) {
    QMetaObject::invokeMethod(
        this, [this, notice] { RunHandler([this, &notice] { WifiGuestChange(notice); }); }, Qt::QueuedConnection);
  };
}

void TForm1::RefreshGuests() {
  grpGuests->setVisible(FWifiStarted);
  if (!FWifiStarted) return;
  const std::vector<TWifiGuest> guests = FHotspot->Guests();
  lblNoGuests->setVisible(guests.empty());
  if (guests.empty() && lvGuests == nullptr) return;
  QTreeWidget* table = GuestTable();
  table->clear();
  for (const auto& guest : guests) table->addTopLevelItem(new QTreeWidgetItem(Columns(guest)));
  table->setVisible(!guests.empty());
}

void TForm1::WifiGuestChange(const TGuestNotice& notice) {
  RefreshGuests();
  if (WindowInSight()) return;  // the list shows it
  const QString text = Translate(notice.Joined ? QStringLiteral("%1 joined %2") : QStringLiteral("%1 left %2"))
                           .arg(Text(notice.Guest.DisplayName()), Text(notice.NetworkName));
  ShowGuestBalloon(FGuestBalloons.Offer(text, Now()));
}

void TForm1::tmrGuestBalloonTimer() { ShowGuestBalloon(FGuestBalloons.Release(Now())); }

void TForm1::ShowGuestBalloon(const std::optional<QString>& text) {
  // Held back until its time, unless the window came into sight meanwhile.
  if (text && !WindowInSight()) {
    ShowTrayBalloon(Text(ApplicationName), *text, QSystemTrayIcon::Information, BalloonMilliseconds);
  }
  if (const auto due = FGuestBalloons.HeldUntil(); due && !tmrGuestBalloon->isActive()) {
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Now());
    tmrGuestBalloon->start(std::max(wait, std::chrono::milliseconds(0)));
  }
}

bool TForm1::WindowInSight() const { return isVisible() && !isMinimized(); }

TNoticeThrottle::Clock::time_point TForm1::Now() const { return TNoticeThrottle::Clock::now(); }
