// The main window: three pages (Home, Hotspot Setup, Connect to Hotspot), the
// tool bar, menus, status bar and tray icon. It owns the wireless connection
// component and the connection manager for the whole run, and at the end
// writes the settings, deletes the wireless network and switches sharing off.
//
// Unit1.cpp holds the lifecycle, Unit1Design.cpp the controls, and
// Unit1Hotspot.cpp, Unit1Connect.cpp and Unit1Status.cpp the behaviour of the
// Hotspot Setup page, the Connect to Hotspot page and the status display;
// Unit1Guests.cpp the devices on this laptop's network.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QMainWindow>
#include <QSystemTrayIcon>

#include "app/NoticeThrottle.h"
#include "brisklane_files.h"

class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPainter;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;

class TAboutBox;
class TBackgroundAction;
class TCheckUpdateThread;
class TConnection;
class TConnectionManager;
class TOptionsForm;
class TSelectNetworkForm;
class TSessionEndWatcher;
class TStatusPanel;
class TWifiConnection;
class TWifiHotspot;
struct TGuestNotice;
enum class TPicture;

// The private start-up message that FormCreate posts to the window itself.
inline constexpr int WM_STARTUP_CHECK = 2025;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // Runs FormCreate with the program's folder, its settings file and its
  // error log where `files` names them: by default where the platform keeps
  // them for the running program.
  explicit TForm1(const BRISKLANE_FILE_LOCATIONS& files = BrisklaneFileLocations(), QWidget* parent = nullptr);
  // Runs FormDestroy.
  ~TForm1() override;

  // Shows the window when the program starts, unless it starts minimised:
  // then it waits in the tray, or minimised on the task bar when the desktop
  // has no tray to return from.
  void ShowOnStart();

  // Creates the dialogs the window opens, after the window and in this order:
  // the options dialog, the about box, the connection picker. They belong to
  // the window and live until it ends; each is shown modally when needed.
  void CreateDialogs();

  // The end of the session: closing is allowed from now on, without a
  // question, and the end does not wait for anyone (FormDestroy reports a
  // failed save without a box). Always true (the session may end).
  bool HandleQueryEndSession();

  // The window has closed for good: the program ends.
  Q_SIGNAL void Closed();


 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  // Whether the desktop shows tray icons now; tests stand in for a desktop
  // that has a tray.
  virtual bool IsSystemTrayAvailable() const;
  // Shows the tray icon's balloon.
  virtual void ShowTrayBalloon(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                               int milliseconds);
  // The clock that paces the balloons about devices.
  virtual TNoticeThrottle::Clock::time_point Now() const;
  // The balloon about devices that was held back is due.
  void tmrGuestBalloonTimer();

 private:
  // Window frame and bars.
  QMenuBar* MainMenu1;
  QMenu* mnuFile;
  QMenu* mnuControls;
  QMenu* mnuHelp;
  QAction* mniMinimizeToTray1;
  QToolBar* sToolBar1;
  QToolButton* btnHome;
  QToolButton* btnDivider1;
  QToolButton* btnHotspotTab;
  QToolButton* btnDivider2;
  QToolButton* btnConnectToHotspot;
  QToolButton* sBitBtn1;
  QButtonGroup* PageButtons;
  QWidget* pnlClient;
  QStackedWidget* PageControl1;
  QStatusBar* StatusBar1;
  QLabel* StatusBarPanel1;  // what the machine is, when it is not a real one
  TStatusPanel* StatusBarPanel2;  // sharing state
  TStatusPanel* StatusBarPanel3;  // Internet state
  QSystemTrayIcon* TrayIcon1;
  QMenu* pmTrayIcon;
  QAction* mniOpenMainWindow;
  QAction* mniExit;

  // Actions (ActionList1).
  QAction* actHome;
  QAction* actHotspotTab;
  QAction* actConnectToHotspot;
  QAction* actExit;
  QAction* actTroubleShooter;
  QAction* actStartSharing;
  QAction* actStopSharing;
  QAction* actConnect;
  QAction* actDisconnect;
  QAction* actRefresh2;
  QAction* actOptions;
  QAction* actWriteToUs;
  QAction* actAbout;
  QAction* actCopyJoinDetails;

  // Home page.
  QWidget* tbHome;
  QLabel* lblInstruction;
  QPushButton* btnHotspotTab1;
  QLabel* Label8;
  QPushButton* btnConnectToHotspot1;
  QGroupBox* grpInternetStatus;
  QLabel* imgInternetConnected;
  QLabel* imgInternetDisconnected;
  QLabel* lblInternetStatus;
  QPushButton* btnRefresh4;

  // Hotspot Setup page.
  QWidget* tbHotspotSetup;
  QLabel* Label3;
  QGroupBox* GroupBox1;
  QLabel* imgWiredConnected;
  QLabel* imgWiredDisconnected;
  QLabel* lblWiredStatus;
  QLabel* mmoSrcConnDescription;
  QPushButton* btnSource;
  QLabel* Label11;
  QGroupBox* GroupBox2;
  QLabel* imgWirelessConnected;
  QLabel* imgWirelessDisconnected;
  QLabel* lblWirelessStatus;
  QLabel* mmoWirelessDescription;
  QPushButton* btnSelectDest;
  QLabel* lblStartSharing;
  QPushButton* btnRefresh2;
  QPushButton* btnStartSharing;
  QPushButton* btnStopSharing;
  // The devices on this laptop's network, while sharing is on.
  QGroupBox* grpGuests;
  QTreeWidget* lvGuests = nullptr;  // made when the first device joins
  QLabel* lblNoGuests;

  // Connect to Hotspot page.
  QWidget* tbConnectToHotspot;
  QFrame* sPanel1;
  QLabel* Label9;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* lblSSID;
  QLabel* Label7;
  QLabel* lblPassword;
  QPushButton* btnOptions;
  // The QR code to join this laptop's network, while it runs.
  QWidget* pnlJoinCode;
  QLabel* imgJoinCode;
  QLabel* lblJoinCode;
  QPushButton* btnCopyJoinDetails;
  QFrame* sPanel4;
  QLabel* Label10;
  QLabel* Label4;
  QLabel* lblSabrevaneFound;
  QLabel* lblConnectToSabrevane;
  QPushButton* sBitBtn2;
  QPushButton* btnConnect;
  QPushButton* btnDisconnect1;

  // Unit1Design.cpp: the controls, actions, menus and bars with their
  // captions, pictures and colours, and the bindings of buttons and menu
  // items to actions.
  void CreateControls();
  void CreateActions();
  void CreateBars();
  void CreateHomePage();
  void CreateHotspotSetupPage();
  void CreateConnectToHotspotPage();
  void CreateGuestList();
  // The QR code's place beside the network name and password.
  QWidget* CreateJoinCode();
  void ConnectHandlers();

  // Unit1.cpp: lifecycle.
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormDestroy();
  void LoadSettings();
  void SaveSettings();
  // SaveSettings at the end of the session, when nobody may be there to
  // answer a box and the session manager waits for the program.
  void SaveSettingsAtSessionEnd();
  void actHomeExecute();
  void actHotspotTabExecute();
  void actConnectToHotspotExecute();
  void PageControl1Change(int index);
  void mniMinimizeToTray1Click();
  void TrayIcon1DblClick();
  void actExitExecute();
  void HandleStartupCheck();
  void actTroubleShooterExecute();
  void actOptionsExecute();
  void actAboutExecute();
  void actWriteToUsExecute();
  void WireWifiEvents();
  // Hands a report of the check thread to the window's thread, in order.
  void QueueInternetStatusChange(std::uint8_t status);
  // Runs the update handlers of the four actions; the window runs it
  // whenever the application is about to wait for events.
  void UpdateActions();

  // Unit1Hotspot.cpp: the Hotspot Setup page.
  void RefreshConnections();
  TConnection* FindConnectionByGuid(const std::string& guid) const;
  TConnection* PickDefaultSource() const;
  TConnection* PickDefaultDest() const;
  void ShowSourceConnection(const TConnection& c);
  void ShowDestConnection(const TConnection& c);
  void UpdateSharingAvailability();
  void btnSourceClick();
  void btnSelectDestClick();
  TConnection* PickConnection(const QString& caption, bool (*offered)(const TConnection&));
  void actStartSharingExecute();
  void actStartSharingUpdate();
  void actStopSharingExecute();
  void actStopSharingUpdate();
  // Stop WiFi's end: the box, and the page and status bar follow.
  void StoppedSharing();
  // An interface left a network: when it was the one Start WiFi brought up
  // and this computer no longer hosts it, the page and the status bar stop
  // calling it started.
  void WifiDisconnected(const std::u16string& name);

  // Unit1Connect.cpp: the Connect to Hotspot page.
  void tbConnectToHotspotShow();
  void WifiScanStart();
  void WifiNetworkFound(const std::u16string& name);
  void actConnectUpdate();
  void actDisconnectUpdate();
  void actConnectExecute();
  void actDisconnectExecute();
  // Shows the QR code to join while this laptop's network runs, hides it
  // otherwise.
  void ShowJoinCode();
  // What other devices type to join: the key of the network.
  QString JoinPassphrase() const;
  void actCopyJoinDetailsExecute();

  // Unit1Guests.cpp: the devices on this laptop's network.
  void WireGuestEvents();
  // Shows the devices while sharing is on and hides them otherwise.
  void RefreshGuests();
  // The table of devices, made the first time it has one to show: most runs
  // never see a device join.
  QTreeWidget* GuestTable();
  // A device joined or left: the list follows, and a balloon tells it while
  // the window is out of sight.
  void WifiGuestChange(const TGuestNotice& notice);
  // Shows the balloon text, if any, and waits for the one held back.
  void ShowGuestBalloon(const std::optional<QString>& text);
  bool WindowInSight() const;

  // Unit1Status.cpp: Internet and sharing status.
  // What an owner-drawn panel shows: its text and, unless it is empty, a
  // picture before the text.
  struct TPanelContent {
    QString Text;
    std::optional<TPicture> Picture;
  };
  void WifiInternetStatusChange(std::uint8_t status);
  // None when the panel is to be left as it is.
  std::optional<TPanelContent> StatusPanelContent(int panel) const;
  void sStatusBar1DrawPanel(TStatusPanel& panel, QPainter& painter, const QRect& rect);
  // Gives the panels the texts of the current state and repaints those that
  // changed, so that the status bar follows the state.
  void RefreshStatusPanels();
  void actRefresh2Execute();
  // What the action running says in the status bar's first panel (said
  // instead, while the machine waits for the user's permission); empty: the
  // panel's own text again.
  void ShowActionStatus(const QString& text);
  void RefreshActionStatus();

  // Owned components, in the order FormDestroy releases them.
  std::unique_ptr<TWifiConnection> FWifi;
  std::unique_ptr<TWifiHotspot> FHotspot;
  std::unique_ptr<TConnectionManager> FConnectionManager;
  // A handle on the update check; destroying it abandons a check still going.
  std::unique_ptr<TCheckUpdateThread> FUpdateThread;
  // Start WiFi, Stop WiFi, Connect and Disconnect, one at a time, and Stop
  // WiFi giving up a Start WiFi still waiting.
  std::unique_ptr<TBackgroundAction> FAction;
  std::unique_ptr<TBackgroundAction> FGivingUp;
  bool FStarting = false;       // FAction runs Start WiFi
  bool FStartGivenUp = false;   // Stop WiFi was pressed while it did
  QString FMachineNotice;       // the first panel's own text
  QString FActionStatus;        // what the action running says
  QTimer* tmrActionStatus = nullptr;  // made at the first action
  bool FSharingAvailable = false;
  std::string FSourceGuid;
  std::string FDestGuid;
  std::string FSavedSourceGuid;
  std::string FSavedDestGuid;
  bool FSourceConnected = false;
  bool FWifiStarted = false;
  bool FAutoRun = false;
  bool FStartMinimized = false;
  bool FCheckForUpdates = false;
  std::string FProgramFolder;
  std::string FSettingsFile;
  std::string FErrorLog;
  std::string FSSID;
  std::string FPassword;
  bool FExitRequested = false;
  bool FSessionEnding = false;

  TNoticeThrottle FGuestBalloons{std::chrono::seconds(5)};
  QTimer* tmrGuestBalloon = nullptr;  // single shot, while a balloon is held back

  std::unique_ptr<TSessionEndWatcher> FSessionEnd;
  TOptionsForm* OptionsForm = nullptr;
  TAboutBox* AboutBox = nullptr;
  TSelectNetworkForm* SelectNetworkForm = nullptr;
};
