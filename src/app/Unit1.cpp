// The main window's lifecycle: creation, showing, hiding to the tray, the
// ways the program ends and what it undoes then, and the dialogs it opens.
#include "app/Unit1.h"

#include <cstdio>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QToolButton>

#include "app/AboutUnit.h"
#include "app/BackgroundAction.h"
#include "app/FormKit.h"
#include "app/MessageBoxes.h"
#include "app/OptionsUnit.h"
#include "app/Pictures.h"
#include "app/SelectNetworkFormUnit.h"
#include "app/Unit1SessionEnd.h"
#include "app/Unit1StatusPanel.h"
#include "app/UnitGlobal.h"
#include "net/ConnectionUnit.h"
#include "service/UnitWifiTroubleShooter.h"
#include "update/CheckUpdateThread.h"
#include "util/SystemUtils.h"
#include "wifi/WifiHotspot.h"
#include "wifi/WifiNetwork.h"

namespace {

const QString MessageCaption = QStringLiteral("Message");
// How long the notice of a failed save at the end of the session stays.
constexpr int SessionEndNoticeMilliseconds = 10000;

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TForm1::TForm1(const BRISKLANE_FILE_LOCATIONS& files, QWidget* parent)
    : QMainWindow(parent),
      FProgramFolder(files.ProgramFolder),
      FSettingsFile(files.SettingsFile),
      FErrorLog(files.ErrorLog) {
  CreateControls();
  ConnectHandlers();
  FormCreate();
  FSessionEnd = std::make_unique<TSessionEndWatcher>([this] {
    HandleQueryEndSession();
    close();
  });
}

TForm1::~TForm1() { FormDestroy(); }

void TForm1::ConnectHandlers() {
  const auto on = [this](QAction* action, void (TForm1::*handler)(), Qt::ConnectionType type = Qt::AutoConnection) {
    connect(
        action, &QAction::triggered, this, [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); },
        type);
  };
  // These open a modal window from the menus or the tool bar: they run once
  // the event that asked for them has been handled, so that whatever pressed
  // them (a screen reader among others) has its answer before the window
  // waits for the user.
  on(actExit, &TForm1::actExitExecute, Qt::QueuedConnection);
  on(mniExit, &TForm1::actExitExecute, Qt::QueuedConnection);
  on(actOptions, &TForm1::actOptionsExecute, Qt::QueuedConnection);
  on(actAbout, &TForm1::actAboutExecute, Qt::QueuedConnection);
  on(actHome, &TForm1::actHomeExecute);
  on(actHotspotTab, &TForm1::actHotspotTabExecute);
  on(actConnectToHotspot, &TForm1::actConnectToHotspotExecute);
  on(actTroubleShooter, &TForm1::actTroubleShooterExecute);
  on(actStartSharing, &TForm1::actStartSharingExecute);
  on(actStopSharing, &TForm1::actStopSharingExecute);
  on(actConnect, &TForm1::actConnectExecute);
  on(actDisconnect, &TForm1::actDisconnectExecute);
  on(actRefresh2, &TForm1::actRefresh2Execute);
  on(actWriteToUs, &TForm1::actWriteToUsExecute);
  on(actCopyJoinDetails, &TForm1::actCopyJoinDetailsExecute);
  on(mniMinimizeToTray1, &TForm1::mniMinimizeToTray1Click);
  on(mniOpenMainWindow, &TForm1::TrayIcon1DblClick);

  connect(btnHome, &QAbstractButton::clicked, actHome, &QAction::trigger);
  connect(btnHotspotTab, &QAbstractButton::clicked, actHotspotTab, &QAction::trigger);
  connect(btnConnectToHotspot, &QAbstractButton::clicked, actConnectToHotspot, &QAction::trigger);
  connect(btnDivider1, &QAbstractButton::clicked, this, [this] { RunHandler([this] { actHotspotTabExecute(); }); });
  connect(btnDivider2, &QAbstractButton::clicked, actHotspotTab, &QAction::trigger);
  connect(btnSource, &QAbstractButton::clicked, this, [this] { RunHandler([this] { btnSourceClick(); }); });
  connect(btnSelectDest, &QAbstractButton::clicked, this, [this] { RunHandler([this] { btnSelectDestClick(); }); });

  connect(PageControl1, &QStackedWidget::currentChanged, this, [this](int index) {
    RunHandler([this, index] {
      if (index == PageControl1->indexOf(tbConnectToHotspot)) tbConnectToHotspotShow();
      PageControl1Change(index);
    });
  });
  // A single click restores the window as well as a double click: trays that
  // speak the StatusNotifierItem protocol (KDE Plasma, GNOME's AppIndicator)
  // report every click as Trigger and never as DoubleClick, and Qt does not
  // tell which kind of tray shows the icon. Restoring twice is harmless.
  connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger) {
      RunHandler([this] { TrayIcon1DblClick(); });
    }
  });
  StatusBarPanel2->OnDrawPanel = StatusBarPanel3->OnDrawPanel = [this](TStatusPanel& panel, QPainter& painter,
                                                                       const QRect& rect) {
    sStatusBar1DrawPanel(panel, painter, rect);
  };
  // The update handlers run whenever the application has nothing left to do.
  connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
          &TForm1::UpdateActions);
}

void TForm1::FormCreate() {
  // 1. FProgramFolder, and where the settings file and the error log are:
  // set by the constructor.
  // 2.-4. Start state of the pages.
  lblSabrevaneFound->clear();
  PageControl1->setCurrentIndex(0);
  imgWirelessDisconnected->move(imgWirelessConnected->pos());
  imgWiredDisconnected->move(imgWiredConnected->pos());
  imgInternetDisconnected->move(imgInternetConnected->pos());
  // 5.
  LoadSettings();
  // 6.
  SetApplicationTitle(Text(ApplicationName));
  setWindowTitle(Text(ApplicationName));
  const QIcon programIcon = PictureIcon(TPicture::ProgramIcon);
  setWindowIcon(programIcon);
  TrayIcon1->setToolTip(Text(ApplicationName));
  TrayIcon1->setIcon(programIcon);
  TrayIcon1->show();
  // 7. FStartMinimized decides in ShowOnStart.
  // 8.-10. The wireless component, its first scan (which still compares with
  // the component's own default name), then the settings' name and key.
  FAction = std::make_unique<TBackgroundAction>(this);
  FGivingUp = std::make_unique<TBackgroundAction>(this);
  FWifi = std::make_unique<TWifiConnection>();
  WireWifiEvents();
  FWifi->Refresh();
  FWifi->SetSSID(FSSID);
  FWifi->SetPassword(FPassword);
  // 11.
  FConnectionManager = std::make_unique<TConnectionManager>();
  // The network this laptop broadcasts and the devices on it.
  FHotspot = std::make_unique<TWifiHotspot>();
  WireGuestEvents();
  // 12.
  if (FCheckForUpdates) {
    FUpdateThread = std::make_unique<TCheckUpdateThread>(TUpdateSource{UpdateFileUrl, FProgramFolder, FErrorLog});
  }
  // 13.-16. The page control has no tabs; the client area gets its size.
  const int menuHeight = MainMenu1->sizeHint().height();
  setFixedSize(580, 536 + menuHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  PageControl1->setCurrentIndex(0);
  // 17.
  QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(WM_STARTUP_CHECK)));
}

void TForm1::WireWifiEvents() {
  FWifi->OnScanStart = [this](TWifiConnection*) { WifiScanStart(); };
  FWifi->OnNetworkFound = [this](const std::u16string& name, std::uint8_t, std::uint8_t) { WifiNetworkFound(name); };
  // Raised on the check thread; the window's share runs on its own thread,
  // in the order of the reports. Calls still queued when the window goes
  // are dropped with it, and the component stops reporting before then.
  FWifi->OnInternetStatusChange = [this](std::uint8_t status) { QueueInternetStatusChange(status); };
  // Raised on the library's thread, like the guests' events.
  FWifi->OnDisconnected = [this](const std::u16string& name) {
    QMetaObject::invokeMethod(
        this, [this, name] { RunHandler([this, &name] { WifiDisconnected(name); }); }, Qt::QueuedConnection);
  };
  // The check thread's first report can come before the event was set: a
  // call queued now shows the status the component holds when it runs.
  // Reports queued after it carry later values; showing one twice is harmless.
  QMetaObject::invokeMethod(
      this, [this] { RunHandler([this] { WifiInternetStatusChange(FWifi->InternetStatus()); }); },
      Qt::QueuedConnection);
}

void TForm1::QueueInternetStatusChange(std::uint8_t status) {
  QMetaObject::invokeMethod(
      this, [this, status] { RunHandler([this, status] { WifiInternetStatusChange(status); }); },
      Qt::QueuedConnection);
}

void TForm1::CreateDialogs() {
  OptionsForm = new TOptionsForm(this);
  AboutBox = new TAboutBox(this);
  SelectNetworkForm = new TSelectNetworkForm(this);
}

void TForm1::ShowOnStart() {
  if (!FStartMinimized) {
    show();
  } else if (!IsSystemTrayAvailable()) {
    showMinimized();
  }
}

bool TForm1::event(QEvent* event) {
  if (event->type() == static_cast<QEvent::Type>(WM_STARTUP_CHECK)) {
    RunHandler([this] { HandleStartupCheck(); });
    return true;
  }
  return QMainWindow::event(event);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) RunHandler([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  RunHandler([this, &canClose] { canClose = FormCloseQuery(); });
  if (!canClose) {
    event->ignore();
    return;
  }
  event->accept();
  emit Closed();
}

void TForm1::FormShow() { RefreshConnections(); }

bool TForm1::FormCloseQuery() {
  if (FExitRequested) return true;
  if (!IsSystemTrayAvailable()) {
    // No tray to come back from: stay on the task bar.
    showMinimized();
    return false;
  }
  hide();
  if (TrayIcon1->property("Tag").toInt() == 0) {
    TrayIcon1->setProperty("Tag", 1);
    ShowTrayBalloon(Text(ApplicationName), QStringLiteral("%1 is running in the background!").arg(Text(ApplicationName)),
                    QSystemTrayIcon::Information, 3000);
  }
  return false;
}

void TForm1::FormDestroy() {
  // No word of devices or networks leaving reaches a window that goes.
  FWifi->OnDisconnected = nullptr;
  FHotspot.reset();
  // Whatever happens to the settings, the program never leaves its network
  // or sharing behind.
  if (FSessionEnding) {
    SaveSettingsAtSessionEnd();
  } else {
    RunHandler([this] { SaveSettings(); });
  }
  // The first deletion also gives up a join or hotspot still coming up, so
  // that an action waiting for it ends; the second takes what came up before
  // that reached it.
  const bool acting = FAction->Running() || FGivingUp->Running();
  const auto deleteNetwork = [this] {
    try {
      FWifi->DeleteNetwork();
    } catch (...) {
    }
  };
  deleteNetwork();
  FAction.reset();
  FGivingUp.reset();
  if (acting) deleteNetwork();
  try {
    FConnectionManager->DisableSharing();
  } catch (...) {
  }
  FWifi->OnInternetStatusChange = nullptr;
  FWifi.reset();
  FConnectionManager.reset();
}

bool TForm1::IsSystemTrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TForm1::ShowTrayBalloon(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                             int milliseconds) {
  TrayIcon1->showMessage(title, text, icon, milliseconds);
}

void TForm1::LoadSettings() {
  const TSettings settings = ReadSettingsFile(FSettingsFile);
  FAutoRun = settings.AutoRun;
  FCheckForUpdates = settings.CheckForUpdates;
  FStartMinimized = settings.StartMinimized;
  FSavedSourceGuid = settings.SourceGuid;
  FSavedDestGuid = settings.DestGuid;
  FSSID = settings.SSID;
  FPassword = settings.Password;
}

void TForm1::SaveSettings() {
  TSettings settings;
  settings.AutoRun = FAutoRun;
  settings.CheckForUpdates = FCheckForUpdates;
  settings.StartMinimized = FStartMinimized;
  settings.SourceGuid = FSavedSourceGuid;
  settings.DestGuid = FSavedDestGuid;
  settings.SSID = FSSID;
  settings.Password = FPassword;
  WriteSettingsFile(FSettingsFile, settings);
}

void TForm1::SaveSettingsAtSessionEnd() {
  try {
    SaveSettings();
  } catch (const std::exception& error) {
    // Told on the error output (the session's log) and in a notice that
    // needs no answer; then the shutdown goes on.
    std::fprintf(stderr, "brisklane: %s\n", error.what());
    if (IsSystemTrayAvailable()) {
      ShowTrayBalloon(Text(ApplicationName), QString::fromUtf8(error.what()), QSystemTrayIcon::Critical,
                      SessionEndNoticeMilliseconds);
    }
  }
}

void TForm1::actHomeExecute() { PageControl1->setCurrentWidget(tbHome); }

void TForm1::actHotspotTabExecute() {
  actHotspotTab->setChecked(true);
  actConnectToHotspot->setChecked(false);
  PageControl1->setCurrentWidget(tbHotspotSetup);
}

void TForm1::actConnectToHotspotExecute() {
  actConnectToHotspot->setChecked(true);
  actHotspotTab->setChecked(false);
  PageControl1->setCurrentWidget(tbConnectToHotspot);
}

void TForm1::PageControl1Change(int index) {
  if (QAbstractButton* button = PageButtons->button(index)) button->setChecked(true);
}

void TForm1::mniMinimizeToTray1Click() {
  FExitRequested = false;
  close();
}

void TForm1::TrayIcon1DblClick() {
  FExitRequested = false;
  showNormal();
  raise();
  activateWindow();
}

void TForm1::actExitExecute() {
  FExitRequested = true;
  if (ShowMessageBox(this, QStringLiteral("All other devices connected to your computer will be disconnected. Do you want to exit?"),
                     MessageCaption, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
    close();
  }
}

bool TForm1::HandleQueryEndSession() {
  FExitRequested = true;
  FSessionEnding = true;
  return true;
}

void TForm1::HandleStartupCheck() {
  if (isVisible()) repaint();
  actTroubleShooter->trigger();
}

void TForm1::actTroubleShooterExecute() { ExecuteTroubleShooter(this); }

void TForm1::actOptionsExecute() {
  const std::optional<TOptions> options = OptionsForm->Edit(
      {.SSID = FSSID, .Password = FPassword, .AutoRun = FAutoRun, .StartMinimized = FStartMinimized});
  if (!options) return;
  FAutoRun = options->AutoRun;
  FStartMinimized = options->StartMinimized;
  FSSID = options->SSID;
  FPassword = options->Password;
  if (FAutoRun) {
    AddAutoRun(QCoreApplication::applicationFilePath().toStdString(), "Brisklane");
  } else {
    RemoveAutoRun("Brisklane");
  }
}

void TForm1::actAboutExecute() { AboutBox->ShowModal(); }

void TForm1::actWriteToUsExecute() { OpenFeedbackMail(); }

void TForm1::UpdateActions() {
  actStartSharingUpdate();
  actStopSharingUpdate();
  actConnectUpdate();
  actDisconnectUpdate();
  RefreshStatusPanels();
}
