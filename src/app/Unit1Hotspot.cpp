// The Hotspot Setup page: the source and wireless connections, whether
// sharing can start, and Start WiFi / Stop WiFi.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QStatusBar>

#include "app/BackgroundAction.h"
#include "app/FormKit.h"
#include "app/MessageBoxes.h"
#include "app/SelectNetworkFormUnit.h"
#include "app/Translation.h"
#include "app/Unit1.h"
#include "app/Unit1Private.h"
#include "brisklane_refusal.h"
#include "net/ConnectionUnit.h"
#include "util/InternetProbe.h"
#include "util/TextUtils.h"
#include "wifi/WifiHotspot.h"
#include "wifi/WifiNetwork.h"

using namespace unit1;

namespace {

constexpr std::int32_t NCS_CONNECTED = 2;
constexpr std::int32_t NCM_LAN = 3;

const QString MessageCaption = QStringLiteral("Message");

QString Description(const TConnection& c) { return QString::fromStdString(c.Name + " - " + c.DeviceName); }

void ShowState(const TConnection& c, QLabel* status, QLabel* connectedPicture, QLabel* disconnectedPicture) {
  const bool connected = c.Status == NCS_CONNECTED;
  status->setText(connected ? QStringLiteral("Connected") : QStringLiteral("Disconnected"));
  SetFontColor(status, connected ? Green : Red);
  connectedPicture->setVisible(connected);
  disconnectedPicture->setVisible(!connected);
}

bool IsConnected(const TConnection& c) { return c.Status == NCS_CONNECTED; }
bool IsWireless(const TConnection& c) { return c.IsWireless; }

}  // namespace

void TForm1::RefreshConnections() {
  FConnectionManager->Refresh();
  FSourceConnected = false;
  FSourceGuid.clear();
  TConnection* c = FindConnectionByGuid(FSavedSourceGuid);
  if (c == nullptr) c = PickDefaultSource();
  if (c != nullptr) ShowSourceConnection(*c);
  FDestGuid.clear();
  c = FindConnectionByGuid(FSavedDestGuid);
  if (c == nullptr) c = PickDefaultDest();
  if (c != nullptr) ShowDestConnection(*c);
  UpdateSharingAvailability();
}

TConnection* TForm1::FindConnectionByGuid(const std::string& guid) const {
  if (guid.empty()) return nullptr;
  for (const auto& entry : FConnectionManager->Connections) {
    if (entry.object && entry.object->GuidText == guid) return entry.object.get();
  }
  return nullptr;
}

TConnection* TForm1::PickDefaultSource() const {
  TConnection* choice = nullptr;
  for (const auto& entry : FConnectionManager->Connections) {
    TConnection* c = entry.object.get();
    if (c == nullptr || c->Status != NCS_CONNECTED || c->IsWireless) continue;
    if (c->MediaType == NCM_LAN && c->IsPhysical) return c;
    choice = c;
  }
  return choice;
}

TConnection* TForm1::PickDefaultDest() const {
  TConnection* choice = nullptr;
  for (const auto& entry : FConnectionManager->Connections) {
    if (entry.object && entry.object->IsWireless) choice = entry.object.get();
  }
  return choice;
}

void TForm1::ShowSourceConnection(const TConnection& c) {
  FSourceGuid = c.GuidText;
  mmoSrcConnDescription->setText(Description(c));
  if (c.Status == NCS_CONNECTED) FSourceConnected = true;
  ShowState(c, lblWiredStatus, imgWiredConnected, imgWiredDisconnected);
}

void TForm1::ShowDestConnection(const TConnection& c) {
  FDestGuid = c.GuidText;
  mmoWirelessDescription->setText(Description(c));
  ShowState(c, lblWirelessStatus, imgWirelessConnected, imgWirelessDisconnected);
}

void TForm1::UpdateSharingAvailability() {
  // The probe is the slow part; it runs only when the rest holds.
  FSharingAvailable = !FSourceGuid.empty() && !FDestGuid.empty() && FSourceConnected && IsInternetReachable();
  if (FSharingAvailable) {
    lblStartSharing->setText(QStringLiteral(
        "Your current connection is available for broadcasting wifi signal,\nclick the button below to start wifi now."));
    lblConnectToSabrevane->setText(QStringLiteral("Your Internet has been already connected via your wired connection."));
  } else {
    lblStartSharing->setText(QStringLiteral("Your current connection is not available for sharing your Internet."));
    lblConnectToSabrevane->clear();
  }
}

TConnection* TForm1::PickConnection(const QString& caption, bool (*offered)(const TConnection&)) {
  SelectNetworkForm->SetCaption(caption);
  SelectNetworkForm->ClearConnections();
  for (const auto& entry : FConnectionManager->Connections) {
    if (entry.object && offered(*entry.object)) SelectNetworkForm->AddConnection(entry.object.get());
  }
  if (SelectNetworkForm->ShowModal() != mrOk) return nullptr;
  return SelectNetworkForm->SelectedConnection();
}

void TForm1::btnSourceClick() {
  TConnection* c =
      PickConnection(QStringLiteral("Please select the connection through which Internet is connected."), IsConnected);
  if (c == nullptr) return;
  ShowSourceConnection(*c);
  FSavedSourceGuid = c->GuidText;
  UpdateSharingAvailability();
}

void TForm1::btnSelectDestClick() {
  TConnection* c = PickConnection(
      QStringLiteral("Please select the wireless connection which will broadcast the WiFi signal."), IsWireless);
  if (c == nullptr) return;
  FSavedDestGuid = c->GuidText;
  ShowDestConnection(*c);
  UpdateSharingAvailability();
}

// Start WiFi and Stop WiFi wait on the machine, off the window's thread (see
// BackgroundAction.h); while one runs, the other actions wait, except that
// Stop WiFi gives up a Start WiFi still waiting.
void TForm1::actStartSharingUpdate() {
  actStartSharing->setEnabled(FSharingAvailable && !FWifiStarted && !FAction->Running());
}

void TForm1::actStopSharingUpdate() {
  actStopSharing->setEnabled(FAction->Running() ? FStarting && !FGivingUp->Running() : FWifiStarted);
}

void TForm1::actStartSharingExecute() {
  if (FAction->Running()) return;
  struct TOutcome {
    QString failure;
    std::string reason;
  };
  auto outcome = std::make_shared<TOutcome>();
  FStarting = true;
  ShowActionStatus(Translate(QStringLiteral("Starting Wi-Fi…")));
  FAction->Start(
      [this, outcome, source = FSourceGuid, dest = FDestGuid] {
        FConnectionManager->DisableSharing();
        if (!FConnectionManager->EnableSharing(source, dest)) {
          outcome->reason = BrisklaneLastRefusal();
          FConnectionManager->DisableSharing();  // one end may have been switched on
          outcome->failure = QStringLiteral("Internet sharing could not be switched on.");
          return;
        }
        if (!FWifi->ConnectOrCreate()) {
          outcome->reason = FWifi->RefusalReason();
          // Sharing into a network that does not exist helps nobody.
          FConnectionManager->DisableSharing();
          outcome->failure = QStringLiteral("The wireless network could not be started.");
        }
      },
      [this, outcome] {
        FStarting = false;
        ShowActionStatus({});
        if (FStartGivenUp) {
          // Stop WiFi was pressed meanwhile: what came up anyway goes too.
          FStartGivenUp = false;
          if (outcome->failure.isEmpty()) {
            FWifiStarted = true;
            actStopSharingExecute();
          } else {
            StoppedSharing();
          }
          return;
        }
        if (!outcome->failure.isEmpty()) {
          ShowFailureMessage(this, outcome->failure, MessageCaption, outcome->reason);
          return;
        }
        ShowMessageBox(this, QStringLiteral("Wi-Fi started successfully!"), MessageCaption, QMessageBox::Information,
                       QMessageBox::Ok);
        FWifiStarted = true;
        actRefresh2Execute();
      });
}

void TForm1::WifiDisconnected(const std::u16string& name) {
  // A word queued before the window went, or about a network that runs on.
  if (!FWifiStarted || !FHotspot || name != Utf8ToUtf16(FWifi->SSID())) return;
  if (const auto hosted = FHotspot->HostedNetwork(); hosted && hosted->Name == name) return;
  FWifiStarted = false;
  RefreshGuests();
  ShowJoinCode();
  StatusBar1->repaint();
}

void TForm1::actStopSharingExecute() {
  if (FAction->Running()) {
    if (!FStarting || FGivingUp->Running()) return;
    // Gives up the start still waiting; its end tells the user.
    FStartGivenUp = true;
    ShowActionStatus(Translate(QStringLiteral("Stopping Wi-Fi…")));
    FGivingUp->Start([this] { FWifi->DeleteNetwork(); }, [] {});
    return;
  }
  ShowActionStatus(Translate(QStringLiteral("Stopping Wi-Fi…")));
  FAction->Start(
      [this] {
        FConnectionManager->DisableSharing();
        FWifi->DeleteNetwork();
      },
      [this] {
        ShowActionStatus({});
        StoppedSharing();
      });
}

void TForm1::StoppedSharing() {
  ShowMessageBox(this, QStringLiteral("Wi-Fi stopped successfully!"), MessageCaption, QMessageBox::Information,
                 QMessageBox::Ok);
  FWifiStarted = false;
  QCoreApplication::processEvents();
  actRefresh2Execute();
}
