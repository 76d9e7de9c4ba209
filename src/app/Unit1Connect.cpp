// The Connect to Hotspot page: the network name and key for other devices,
// and, on a laptop without Internet of its own, the nearby network of that
// name with Connect and Disconnect.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>

#include "app/MessageBoxes.h"
#include "app/Unit1.h"
#include "app/Unit1Private.h"
#include "brisklane_passphrase.h"
#include "util/TextUtils.h"
#include "wifi/WifiNetwork.h"

using namespace unit1;

namespace {

const QString MessageCaption = QStringLiteral("Message");

}  // namespace

void TForm1::tbConnectToHotspotShow() {
  lblSSID->setText(QString::fromStdString(FSSID));
  // What other devices type: on some machines a longer passphrase made from the key.
  lblPassword->setText(QString::fromStdString(BrisklaneNetworkPassphrase(FPassword)));
}

void TForm1::WifiScanStart() { lblSabrevaneFound->clear(); }

void TForm1::WifiNetworkFound(const std::u16string& name) {
  if (name != Utf8ToUtf16(FWifi->SSID())) return;
  lblSabrevaneFound->setText(QStringLiteral("Signal [%1] found nearby").arg(QString::fromStdU16String(name)));
}

void TForm1::actConnectUpdate() { actConnect->setEnabled(!FSharingAvailable); }

void TForm1::actDisconnectUpdate() { actDisconnect->setEnabled(!FSharingAvailable); }

void TForm1::actConnectExecute() {
  TWaitCursor hourglass;
  if (FWifi->ConnectOrCreate()) {
    ShowMessageBox(this, QStringLiteral("Done! Please wait a few seconds to finish the connecting..."), MessageCaption,
                   QMessageBox::Information, QMessageBox::Ok);
  } else {
    ShowFailureMessage(this, QStringLiteral("Could not connect to the wireless network."), MessageCaption,
                       FWifi->RefusalReason());
  }
}

void TForm1::actDisconnectExecute() {
  TWaitCursor hourglass;
  FWifi->DeleteNetwork();
  QCoreApplication::processEvents();
  ShowMessageBox(this, QStringLiteral("Disconnected successfully!"), MessageCaption, QMessageBox::Information,
                 QMessageBox::Ok);
}
