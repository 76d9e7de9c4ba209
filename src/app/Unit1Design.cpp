// The main window's controls as designed: captions, pictures, colours, sizes
// and order, with every control's name as its objectName, and the bindings
// of buttons and menu items to the actions.
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/FormKit.h"
#include "app/Pictures.h"
#include "app/TabSheet.h"
#include "app/TextLabel.h"
#include "app/Translation.h"
#include "app/Unit1.h"
#include "app/Unit1Private.h"
#include "app/Unit1StatusPanel.h"
#include "brisklane_machine.h"

using namespace unit1;

namespace {

// Captions are written as the design has them: "\r\n" is a line break.
QString Caption(const char* text) {
  QString caption = QString::fromUtf8(text);
  caption.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return caption;
}

template <class T>
T* Named(T* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* caption, bool wordWrap = true) {
  auto* label = Named(new TTextLabel(Caption(caption), parent), name);
  label->setWordWrap(wordWrap);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QAction* NewAction(QObject* parent, const char* name, const char* caption) {
  return Named(new QAction(Caption(caption), parent), name);
}

// A button bound to an action: a click runs the action, and the button is
// enabled while the action is.
QPushButton* NewActionButton(QWidget* parent, const char* name, const char* caption, QAction* action) {
  auto* button = Named(new QPushButton(Caption(caption), parent), name);
  QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
  QObject::connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
  button->setEnabled(action->isEnabled());
  return button;
}

QPushButton* WithPicture(QPushButton* button, TPicture picture) {
  button->setIcon(PictureIcon(picture));
  button->setIconSize(PictureSize(picture));
  return button;
}

QToolButton* NewToolButton(QWidget* parent, const char* name, const QString& caption, TPicture picture) {
  auto* button = Named(new QToolButton(parent), name);
  button->setCheckable(true);
  button->setText(caption);
  button->setIcon(PictureIcon(picture));
  button->setIconSize(PictureSize(picture));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  button->setMinimumWidth(84);
  return button;
}

// The narrow buttons between the page buttons.
QToolButton* NewDivider(QWidget* parent, const char* name) {
  auto* divider = Named(new QToolButton(parent), name);
  divider->setAutoRaise(true);
  divider->setFixedWidth(8);
  divider->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  return divider;
}

// The caption as screen readers say it: "&" marks dropped, "&&" one "&".
QString WithoutAccelerators(const QString& caption) {
  QString text;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && ++i == caption.size()) break;
    text += caption[i];
  }
  return text;
}

// Screen readers see the page buttons as push buttons that are pressed
// while their page shows, as the tool bar's grouped buttons are; Qt would
// present a checkable tool button as a check box.
class TPageButtonAccessible : public QAccessibleWidget {
 public:
  explicit TPageButtonAccessible(QToolButton* button) : QAccessibleWidget(button, QAccessible::PushButton) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return WithoutAccelerators(button()->text());
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = button()->isChecked();
    state.pressed = button()->isDown();
    return state;
  }
  QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
  void doAction(const QString& actionName) override {
    if (actionName != pressAction()) return QAccessibleWidget::doAction(actionName);
    if (widget()->isEnabled()) button()->click();
  }

 private:
  QToolButton* button() const { return static_cast<QToolButton*>(widget()); }
};

// For the checkable buttons of the main window's tool bar. Asked when a
// button first changes, so the buttons are checkable from their creation.
QAccessibleInterface* PageButtonAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String("QToolButton")) return nullptr;
  auto* button = static_cast<QToolButton*>(object);
  const QObject* bar = button->parent();
  return button->isCheckable() && bar != nullptr && bar->objectName() == QLatin1String("sToolBar1")
             ? new TPageButtonAccessible(button)
             : nullptr;
}

// A 48 x 48 place holding a pair of state pictures; FormCreate stacks the
// second one over the first.
QWidget* NewPictureStack(QWidget* parent, QLabel*& first, const char* firstName, TPicture firstPicture,
                         QLabel*& second, const char* secondName, TPicture secondPicture) {
  auto* stack = new QWidget(parent);
  stack->setFixedSize(PictureSize(firstPicture));
  first = Named(new QLabel(stack), firstName);
  first->setPixmap(Picture(firstPicture));
  first->setFixedSize(PictureSize(firstPicture));
  second = Named(new QLabel(stack), secondName);
  second->setPixmap(Picture(secondPicture));
  second->setFixedSize(PictureSize(secondPicture));
  second->move(first->width(), 0);  // side by side until FormCreate stacks them
  second->raise();
  return stack;
}

// A connection's description: grey text wrapped over two lines, as a
// disabled, borderless memo shows it. The user can neither edit nor select
// it, so a label draws it, without the text document and scroll area a memo
// builds.
QLabel* NewDescription(QWidget* parent, const char* name, const char* text) {
  QLabel* description = NewLabel(parent, name, text);
  description->setEnabled(false);
  description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  description->setMargin(4);  // a memo's document margin
  description->setFixedHeight(36);
  return description;
}

QWidget* NewPage(QStackedWidget* stack, const char* name) {
  auto* page = Named(new TTabSheet(stack), name);
  stack->addWidget(page);
  return page;
}

QLabel* StatusLabel(QLabel* label, const QColor& color) {
  label->setWordWrap(false);
  SetFontBold(label);
  SetFontColor(label, color);
  return label;
}

}  // namespace

void TForm1::CreateControls() {
  setFont(FormFont());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  CreateActions();
  CreateBars();

  pnlClient = Named(new QWidget(this), "pnlClient");
  pnlClient->setAutoFillBackground(true);
  QPalette white = pnlClient->palette();
  white.setColor(QPalette::Window, Qt::white);
  pnlClient->setPalette(white);
  PageControl1 = Named(new QStackedWidget(pnlClient), "PageControl1");
  // The pages join the stack empty: the stack shows its first page as it is
  // added, and a page shown with its controls in place lays them out there
  // and then, at a size it never has on screen.
  tbHome = NewPage(PageControl1, "tbHome");
  tbHotspotSetup = NewPage(PageControl1, "tbHotspotSetup");
  tbConnectToHotspot = NewPage(PageControl1, "tbConnectToHotspot");
  CreateHomePage();
  CreateHotspotSetupPage();
  CreateConnectToHotspotPage();
  auto* clientLayout = new QVBoxLayout(pnlClient);
  clientLayout->setContentsMargins(0, 0, 0, 0);
  clientLayout->addWidget(PageControl1);
  setCentralWidget(pnlClient);
}

void TForm1::CreateActions() {
  actHome = NewAction(this, "actHome", "Home \r\n&Instruction");
  actHotspotTab = NewAction(this, "actHotspotTab", "WiFi Settings");
  actHotspotTab->setCheckable(true);
  actConnectToHotspot = NewAction(this, "actConnectToHotspot", "How To \r\n&Connect");
  actConnectToHotspot->setCheckable(true);
  actExit = NewAction(this, "actExit", "&Exit");
  actExit->setIcon(PictureIcon(TPicture::Exit));
  actTroubleShooter = NewAction(this, "actTroubleShooter", "");
  actStartSharing = NewAction(this, "actStartSharing", "Start WiFi");
  actStopSharing = NewAction(this, "actStopSharing", "Stop WiFi");
  actConnect = NewAction(this, "actConnect", "Connect to wifi router");
  actDisconnect = NewAction(this, "actDisconnect", "Disconnect");
  actRefresh2 = NewAction(this, "actRefresh2", "Refresh");
  actOptions = NewAction(this, "actOptions", "Options");
  actWriteToUs = NewAction(this, "actWriteToUs", "Write comments to developer");
  actAbout = NewAction(this, "actAbout", "A&bout");
  actCopyJoinDetails = Named(new QAction(Translate(QStringLiteral("Copy name and password")), this),
                             "actCopyJoinDetails");
}

void TForm1::CreateBars() {
  MainMenu1 = Named(new QMenuBar(this), "MainMenu1");
  mnuFile = Named(MainMenu1->addMenu(QStringLiteral("&File")), "mnuFile");
  mniMinimizeToTray1 = Named(mnuFile->addAction(QStringLiteral("Minimize To Tray")), "mniMinimizeToTray1");
  mnuFile->addSeparator();
  mnuFile->addAction(actExit);
  mnuControls = Named(MainMenu1->addMenu(QStringLiteral("&Controls")), "mnuControls");
  mnuControls->addActions({actHome, actHotspotTab, actConnectToHotspot});
  mnuControls->addSeparator();
  mnuControls->addAction(actOptions);
  mnuHelp = Named(MainMenu1->addMenu(QStringLiteral("&Help")), "mnuHelp");
  mnuHelp->addAction(actWriteToUs);
  mnuHelp->addSeparator();
  mnuHelp->addAction(actAbout);
  setMenuBar(MainMenu1);

  static const bool accessibleInstalled = (QAccessible::installFactory(PageButtonAccessible), true);
  Q_UNUSED(accessibleInstalled);
  sToolBar1 = Named(new QToolBar(this), "sToolBar1");
  sToolBar1->setMovable(false);
  sToolBar1->setFloatable(false);
  sToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
  btnHome = NewToolButton(sToolBar1, "btnHome", Caption("Home &&\r\n&Instruction"), TPicture::Home);
  btnDivider1 = NewDivider(sToolBar1, "btnDivider1");
  btnHotspotTab = NewToolButton(sToolBar1, "btnHotspotTab", actHotspotTab->text(), TPicture::WifiSettings);
  btnDivider2 = NewDivider(sToolBar1, "btnDivider2");
  btnConnectToHotspot =
      NewToolButton(sToolBar1, "btnConnectToHotspot", actConnectToHotspot->text(), TPicture::ConnectToHotspot);
  PageButtons = Named(new QButtonGroup(this), "PageButtons");
  PageButtons->setExclusive(true);
  PageButtons->addButton(btnHome, 0);
  PageButtons->addButton(btnHotspotTab, 1);
  PageButtons->addButton(btnConnectToHotspot, 2);
  btnHome->setChecked(true);
  for (QToolButton* button : {btnHome, btnDivider1, btnHotspotTab, btnDivider2, btnConnectToHotspot}) {
    sToolBar1->addWidget(button);
  }
  // The second band, at the right end: the Exit button.
  auto* bandGap = new QWidget(sToolBar1);
  bandGap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  sToolBar1->addWidget(bandGap);
  sToolBar1->addSeparator();
  sBitBtn1 = Named(new QToolButton(sToolBar1), "sBitBtn1");
  sBitBtn1->setDefaultAction(actExit);
  sBitBtn1->setIconSize(PictureSize(TPicture::Exit));
  sBitBtn1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  sBitBtn1->setAutoRaise(true);
  sBitBtn1->setMinimumWidth(64);
  sToolBar1->addWidget(sBitBtn1);
  addToolBar(Qt::TopToolBarArea, sToolBar1);

  StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  // The first panel is plain: it keeps saying what the machine is when the
  // platform has something to notice (a simulated laptop), else it is empty.
  const BRISKLANE_MACHINE_DESCRIPTION machine = BrisklaneDescribeMachine();
  FMachineNotice = Translate(QString::fromStdString(machine.Notice), QString::fromStdString(machine.Detail));
  StatusBarPanel1 = Named(new QLabel(FMachineNotice, StatusBar1), "StatusBarPanel1");
  StatusBarPanel1->setFixedWidth(200);
  StatusBarPanel2 = Named(new TStatusPanel(1, 160, StatusBar1), "StatusBarPanel2");
  StatusBarPanel3 = Named(new TStatusPanel(2, 200, StatusBar1), "StatusBarPanel3");
  StatusBar1->addWidget(StatusBarPanel1);
  StatusBar1->addWidget(StatusBarPanel2);
  StatusBar1->addWidget(StatusBarPanel3);
  setStatusBar(StatusBar1);

  TrayIcon1 = Named(new QSystemTrayIcon(this), "TrayIcon1");
  TrayIcon1->setProperty("Tag", 0);
  pmTrayIcon = Named(new QMenu(this), "pmTrayIcon");
  mniOpenMainWindow = Named(pmTrayIcon->addAction(QStringLiteral("&Open Main Window")), "mniOpenMainWindow");
  pmTrayIcon->setDefaultAction(mniOpenMainWindow);
  mniExit = Named(pmTrayIcon->addAction(QStringLiteral("E&xit")), "mniExit");
  TrayIcon1->setContextMenu(pmTrayIcon);
}

void TForm1::CreateHomePage() {
  lblInstruction = NewLabel(tbHome, "lblInstruction",
                            "Instruction\r\n\r\nThis utility turns your laptop into a wireless router.\r\n"
                            "To broadcast a wireless signal, please click the button below.\r\n");
  btnHotspotTab1 =
      NewActionButton(tbHome, "btnHotspotTab1", "Setup my laptop as a wireless router...", actHotspotTab);
  Label8 = NewLabel(tbHome, "Label8",
                    "After the laptop router has been started, please click the button below to find how to "
                    "connect to Internet from other wireless devices.");
  btnConnectToHotspot1 = NewActionButton(tbHome, "btnConnectToHotspot1",
                                         "How to use the wireless Internet service provided by this laptop...",
                                         actConnectToHotspot);
  grpInternetStatus = Named(new QGroupBox(QStringLiteral("My Internet Status"), tbHome), "grpInternetStatus");
  QWidget* internetPictures =
      NewPictureStack(grpInternetStatus, imgInternetConnected, "imgInternetConnected", TPicture::InternetConnected,
                      imgInternetDisconnected, "imgInternetDisconnected", TPicture::InternetDisconnected);
  lblInternetStatus = StatusLabel(NewLabel(grpInternetStatus, "lblInternetStatus", "Internet Status"), Black);
  btnRefresh4 = NewActionButton(tbHome, "btnRefresh4", "Refresh Internet Status", actRefresh2);

  auto* groupLayout = new QHBoxLayout(grpInternetStatus);
  groupLayout->setContentsMargins(16, 8, 16, 8);
  groupLayout->setSpacing(16);
  groupLayout->addWidget(internetPictures);
  groupLayout->addWidget(lblInternetStatus, 1);

  auto* layout = new QVBoxLayout(tbHome);
  layout->setContentsMargins(24, 16, 24, 16);
  layout->setSpacing(10);
  layout->addWidget(lblInstruction);
  layout->addWidget(btnHotspotTab1, 0, Qt::AlignLeft);
  layout->addSpacing(12);
  layout->addWidget(Label8);
  layout->addWidget(btnConnectToHotspot1, 0, Qt::AlignLeft);
  layout->addSpacing(12);
  layout->addWidget(grpInternetStatus);
  layout->addWidget(btnRefresh4, 0, Qt::AlignLeft);
  layout->addStretch(1);
}

void TForm1::CreateHotspotSetupPage() {
  Label3 = NewLabel(tbHotspotSetup, "Label3",
                    "To broadcast a wireless signal, your current laptop needs to connect to a broadband "
                    "connection.\r\nplease select the connection through which Internet goes live on this laptop.");

  GroupBox1 = Named(new QGroupBox(QStringLiteral("My connection  through which Internet goes live"), tbHotspotSetup),
                    "GroupBox1");
  QWidget* wiredPictures =
      NewPictureStack(GroupBox1, imgWiredConnected, "imgWiredConnected", TPicture::WiredConnected,
                      imgWiredDisconnected, "imgWiredDisconnected", TPicture::WiredDisconnected);
  lblWiredStatus = StatusLabel(NewLabel(GroupBox1, "lblWiredStatus", "<NULL>"), Green);
  mmoSrcConnDescription = NewDescription(GroupBox1, "mmoSrcConnDescription", "");
  btnSource = Named(new QPushButton(QStringLiteral("Select..."), GroupBox1), "btnSource");

  Label11 = NewLabel(tbHotspotSetup, "Label11",
                     "And then select your WiFi adapter connection if the auto detection below is not correct.");

  GroupBox2 = Named(new QGroupBox(QStringLiteral("My Wireless Connection Status"), tbHotspotSetup), "GroupBox2");
  QWidget* wirelessPictures =
      NewPictureStack(GroupBox2, imgWirelessConnected, "imgWirelessConnected", TPicture::WirelessConnected,
                      imgWirelessDisconnected, "imgWirelessDisconnected", TPicture::WirelessDisconnected);
  lblWirelessStatus = StatusLabel(NewLabel(GroupBox2, "lblWirelessStatus", "Not found."), Red);
  mmoWirelessDescription =
      NewDescription(GroupBox2, "mmoWirelessDescription", "Please make sure the Wi-Fi switch is turned on.");
  btnSelectDest = Named(new QPushButton(QStringLiteral("Select..."), GroupBox2), "btnSelectDest");

  lblStartSharing = NewLabel(tbHotspotSetup, "lblStartSharing", "<NULL>");
  SetFontColor(lblStartSharing, Navy);
  btnRefresh2 = WithPicture(NewActionButton(tbHotspotSetup, "btnRefresh2", "  Refresh", actRefresh2), TPicture::Refresh);
  btnStartSharing = WithPicture(NewActionButton(tbHotspotSetup, "btnStartSharing", "  Start WiFi", actStartSharing),
                                TPicture::SharingEnabled);
  btnStopSharing = WithPicture(NewActionButton(tbHotspotSetup, "btnStopSharing", "  Stop WiFi", actStopSharing),
                               TPicture::ReadyForSharing);
  CreateGuestList();

  const auto groupLayout = [](QGroupBox* group, QWidget* pictures, QLabel* status, QLabel* description,
                              QPushButton* select) {
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(status);
    texts->addWidget(description);
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(16);
    row->addWidget(pictures, 0, Qt::AlignVCenter);
    row->addLayout(texts, 1);
    row->addWidget(select, 0, Qt::AlignVCenter);
  };
  groupLayout(GroupBox1, wiredPictures, lblWiredStatus, mmoSrcConnDescription, btnSource);
  groupLayout(GroupBox2, wirelessPictures, lblWirelessStatus, mmoWirelessDescription, btnSelectDest);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(12);
  buttons->addWidget(btnRefresh2);
  buttons->addStretch(1);
  buttons->addWidget(btnStartSharing);
  buttons->addWidget(btnStopSharing);

  auto* layout = new QVBoxLayout(tbHotspotSetup);
  layout->setContentsMargins(24, 16, 24, 16);
  layout->setSpacing(10);
  layout->addWidget(Label3);
  layout->addWidget(GroupBox1);
  layout->addWidget(Label11);
  layout->addWidget(GroupBox2);
  layout->addWidget(lblStartSharing);
  layout->addWidget(grpGuests, 1);
  layout->addStretch(1);
  layout->addLayout(buttons);
}

void TForm1::CreateConnectToHotspotPage() {
  sPanel1 = Named(new QFrame(tbConnectToHotspot), "sPanel1");
  sPanel1->setFrameShape(QFrame::StyledPanel);
  Label9 = NewLabel(sPanel1, "Label9", "1. If current laptop is acting as a Wireless Router...");
  SetFontBold(Label9);
  Label5 = NewLabel(sPanel1, "Label5",
                    "If current laptop is acting as a wireless router and you want to share the Internet to your "
                    "other Wi-Fi enabled devices, such as iPhone, PDA or Mac Book, switch on the Wi-Fi on thoes "
                    "devices, search for the wireless signal below to connect.");
  Label6 = NewLabel(sPanel1, "Label6", "Wireless network name (SSID): ", false);
  lblSSID = NewLabel(sPanel1, "lblSSID", "<>", false);
  SetFontColor(lblSSID, Navy);
  Label7 = NewLabel(sPanel1, "Label7", "Connection Password: ", false);
  lblPassword = NewLabel(sPanel1, "lblPassword", "<>", false);
  SetFontColor(lblPassword, Navy);
  btnOptions = NewActionButton(sPanel1, "btnOptions", "Options", actOptions);
  QWidget* joinCode = CreateJoinCode();

  auto* settings = new QGridLayout;
  settings->setHorizontalSpacing(4);
  settings->addWidget(Label6, 0, 0);
  settings->addWidget(lblSSID, 0, 1);
  settings->addWidget(Label7, 1, 0);
  settings->addWidget(lblPassword, 1, 1);
  settings->setColumnStretch(1, 1);
  auto* upper = new QVBoxLayout(sPanel1);
  upper->setContentsMargins(12, 10, 12, 10);
  upper->setSpacing(8);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(8);
  texts->addWidget(Label5);
  texts->addLayout(settings);
  texts->addWidget(btnOptions, 0, Qt::AlignLeft);
  texts->addStretch(1);
  auto* textsAndCode = new QHBoxLayout;
  textsAndCode->setSpacing(12);
  textsAndCode->addLayout(texts, 1);
  textsAndCode->addWidget(joinCode);
  upper->addWidget(Label9);
  upper->addLayout(textsAndCode);

  sPanel4 = Named(new QFrame(tbConnectToHotspot), "sPanel4");
  sPanel4->setFrameShape(QFrame::StyledPanel);
  Label10 = NewLabel(sPanel4, "Label10", "2. If this is your another laptop...");
  SetFontBold(Label10);
  Label4 = NewLabel(sPanel4, "Label4",
                    "If there is a Brisklane running nearby and broadcasting a WiFi signal, click the button below "
                    "to connect your current laptop to that signal...");
  lblSabrevaneFound = StatusLabel(NewLabel(sPanel4, "lblSabrevaneFound", ""), Green);
  lblConnectToSabrevane = NewLabel(sPanel4, "lblConnectToSabrevane", "<null>");
  sBitBtn2 = WithPicture(NewActionButton(sPanel4, "sBitBtn2", "  Refresh", actRefresh2), TPicture::Refresh);
  btnConnect = WithPicture(NewActionButton(sPanel4, "btnConnect", "  Connect to Brisklane", actConnect),
                           TPicture::Connect);
  btnDisconnect1 = NewActionButton(sPanel4, "btnDisconnect1", "Disconnect", actDisconnect);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(12);
  buttons->addWidget(sBitBtn2);
  buttons->addStretch(1);
  buttons->addWidget(btnConnect);
  buttons->addWidget(btnDisconnect1);
  auto* lower = new QVBoxLayout(sPanel4);
  lower->setContentsMargins(12, 10, 12, 10);
  lower->setSpacing(8);
  lower->addWidget(Label10);
  lower->addWidget(Label4);
  lower->addWidget(lblSabrevaneFound);
  lower->addWidget(lblConnectToSabrevane);
  lower->addStretch(1);
  lower->addLayout(buttons);

  auto* layout = new QVBoxLayout(tbConnectToHotspot);
  layout->setContentsMargins(16, 12, 16, 12);
  layout->setSpacing(12);
  layout->addWidget(sPanel1);
  layout->addWidget(sPanel4, 1);
}

void TForm1::CreateGuestList() {
  grpGuests = Named(new QGroupBox(Translate(QStringLiteral("Devices on this network")), tbHotspotSetup), "grpGuests");
  lblNoGuests = NewLabel(grpGuests, "lblNoGuests", "");
  lblNoGuests->setText(Translate(QStringLiteral("No device has joined yet.")));
  auto* layout = new QVBoxLayout(grpGuests);
  layout->setContentsMargins(8, 4, 8, 8);
  layout->setSpacing(4);
  layout->addWidget(lblNoGuests);
  grpGuests->hide();
}

QTreeWidget* TForm1::GuestTable() {
  if (lvGuests != nullptr) return lvGuests;
  lvGuests = Named(new QTreeWidget(grpGuests), "lvGuests");
  lvGuests->setHeaderLabels({Translate(QStringLiteral("Device")), Translate(QStringLiteral("Hardware address")),
                             Translate(QStringLiteral("IP address")), Translate(QStringLiteral("Connected since"))});
  lvGuests->setRootIsDecorated(false);
  lvGuests->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  lvGuests->header()->setStretchLastSection(true);
  lvGuests->setSelectionMode(QAbstractItemView::NoSelection);
  lvGuests->setFocusPolicy(Qt::NoFocus);
  lvGuests->setMinimumHeight(72);
  static_cast<QVBoxLayout*>(grpGuests->layout())->addWidget(lvGuests, 1);
  return lvGuests;
}

QWidget* TForm1::CreateJoinCode() {
  pnlJoinCode = Named(new QWidget(sPanel1), "pnlJoinCode");
  imgJoinCode = Named(new QLabel(pnlJoinCode), "imgJoinCode");
  imgJoinCode->setAlignment(Qt::AlignCenter);
  lblJoinCode = NewLabel(pnlJoinCode, "lblJoinCode", "");
  lblJoinCode->setText(Translate(QStringLiteral("Scan with a phone camera to join")));
  lblJoinCode->setAlignment(Qt::AlignHCenter);
  btnCopyJoinDetails = Named(new QPushButton(actCopyJoinDetails->text(), pnlJoinCode), "btnCopyJoinDetails");
  connect(btnCopyJoinDetails, &QAbstractButton::clicked, actCopyJoinDetails, &QAction::trigger);
  auto* layout = new QVBoxLayout(pnlJoinCode);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(imgJoinCode, 0, Qt::AlignHCenter);
  layout->addWidget(lblJoinCode);
  layout->addWidget(btnCopyJoinDetails, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  pnlJoinCode->hide();
  return pnlJoinCode;
}
