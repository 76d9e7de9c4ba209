// The Connect to Hotspot page: the network name and key for other devices,
// with a QR code to join while this laptop's network runs, and, on a laptop
// without Internet of its own, the nearby network of that name with Connect
// and Disconnect.
#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>

#include "app/JoinCode.h"
#include "app/BackgroundAction.h"
#include "app/MessageBoxes.h"
#include "app/Translation.h"
#include "app/Unit1.h"
#include "app/Unit1Private.h"
#include "brisklane_passphrase.h"
#include "util/TextUtils.h"
#include "wifi/WifiHotspot.h"
#include "wifi/WifiNetwork.h"

using namespace unit1;

namespace {

const QString MessageCaption = QStringLiteral("Message");

// Large enough for a phone camera to read from a screen.
constexpr int JoinCodeModulePixels = 4;

}  // namespace

void TForm1::tbConnectToHotspotShow() {
  lblSSID->setText(QString::fromStdString(FSSID));
  // What other devices type: on some machines a longer passphrase made from the key.
  lblPassword->setText(QString::fromStdString(BrisklaneNetworkPassphrase(FPassword)));
  ShowJoinCode();
}

void TForm1::WifiScanStart() { lblSabrevaneFound->clear(); }

void TForm1::WifiNetworkFound(const std::u16string& name) {
  if (name != Utf8ToUtf16(FWifi->SSID())) return;
  lblSabrevaneFound->setText(QStringLiteral("Signal [%1] found nearby").arg(QString::fromStdU16String(name)));
}

void TForm1::actConnectUpdate() { actConnect->setEnabled(!FSharingAvailable && !FAction->Running()); }

void TForm1::actDisconnectUpdate() { actDisconnect->setEnabled(!FSharingAvailable && !FAction->Running()); }

// Connect and Disconnect wait on the machine off the window's thread, as
// Start WiFi does.
void TForm1::actConnectExecute() {
  if (FAction->Running()) return;
  auto reason = std::make_shared<std::optional<std::string>>();
  ShowActionStatus(Translate(QStringLiteral("Connecting…")));
  FAction->Start(
      [this, reason] {
        if (!FWifi->ConnectOrCreate()) *reason = FWifi->RefusalReason();
      },
      [this, reason] {
        ShowActionStatus({});
        if (!*reason) {
          ShowMessageBox(this, QStringLiteral("Done! Please wait a few seconds to finish the connecting..."),
                         MessageCaption, QMessageBox::Information, QMessageBox::Ok);
        } else {
          ShowFailureMessage(this, QStringLiteral("Could not connect to the wireless network."), MessageCaption,
                             **reason);
        }
        ShowJoinCode();  // Connect creates this laptop's network when none is near
      });
}

void TForm1::actDisconnectExecute() {
  if (FAction->Running()) return;
  ShowActionStatus(Translate(QStringLiteral("Disconnecting…")));
  FAction->Start([this] { FWifi->DeleteNetwork(); },
                 [this] {
                   ShowActionStatus({});
                   QCoreApplication::processEvents();
                   ShowMessageBox(this, QStringLiteral("Disconnected successfully!"), MessageCaption,
                                  QMessageBox::Information, QMessageBox::Ok);
                   ShowJoinCode();
                 });
}

void TForm1::ShowJoinCode() {
  QImage code;
  if (const std::optional<THostedNetwork> network = FHotspot->HostedNetwork()) {
    code = QrCodeImage(WifiJoinText(network->Security, QString::fromStdU16String(network->Name), JoinPassphrase()),
                       JoinCodeModulePixels);
  }
  if (!code.isNull()) imgJoinCode->setPixmap(QPixmap::fromImage(code));
  pnlJoinCode->setVisible(!code.isNull());
}

// What other devices type, as the How To Connect page shows it.
QString TForm1::JoinPassphrase() const {
  return QString::fromStdString(BrisklaneNetworkPassphrase(FWifi->Password()));
}

void TForm1::actCopyJoinDetailsExecute() {
  const std::optional<THostedNetwork> network = FHotspot->HostedNetwork();
  if (!network) {
    ShowJoinCode();  // the network stopped meanwhile
    return;
  }
  const QString name = QString::fromStdU16String(network->Name);
  QGuiApplication::clipboard()->setText(
      network->Security == THostedSecurity::Open
          ? Translate(QStringLiteral("Network: %1")).arg(name)
          : Translate(QStringLiteral("Network: %1\nPassword: %2")).arg(name, JoinPassphrase()));
}
