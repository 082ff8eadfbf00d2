#include "mainform.h"

#include "connectionmonitor.h"
#include "menugroups.h"
#include "routerquery.h"
#include "routerstatusmonitor.h"
#include "settingsstore.h"
#include "textoutput.h"
#include "trayicons.h"
#include "widgets.h"

#include "adslpage.h"
#include "debugpage.h"
#include "interfacespage.h"
#include "ippage.h"
#include "protocolpages.h"
#include "quotapage.h"
#include "systempage.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <map>
#include <stdexcept>

namespace {

constexpr int kClientWidth = 633;
constexpr int kClientHeight = 529;

enum class ItemKind { SubMenu, Command, Check, Radio, AutoRadio, Separator };

struct MenuItem {
    const char *parent; // nullptr: on the menu bar
    const char *name;
    const char *caption;
    ItemKind kind;
    bool checked;
    int helpTopic;
};

// The menu bar in order; radio items of one sub-menu form one group.
const MenuItem kMenu[] = {
    {nullptr, "File1", "File", ItemKind::SubMenu, false, 10},
    {"File1", "Exit1", "&Exit", ItemKind::Command, false, 0},
    {nullptr, "Options1", "Options", ItemKind::SubMenu, false, 20},
    {"Options1", "Linklogging", "Connection log", ItemKind::SubMenu, false, 21},
    {"Linklogging", "Recordlog", "Monitor connection", ItemKind::Check, false, 0},
    {"Linklogging", "N3", "-", ItemKind::Separator, false, 0},
    {"Linklogging", "N1secondinterval1", "1 second check", ItemKind::Radio, false, 0},
    {"Linklogging", "N3secondinterval1", "3 second check", ItemKind::Radio, false, 0},
    {"Linklogging", "N5secondinterval1", "5 second check", ItemKind::Radio, false, 0},
    {"Linklogging", "N10secondinterval1", "10 second check", ItemKind::Radio, false, 0},
    {"Linklogging", "N15secondinterval1", "15 second check", ItemKind::Radio, true, 0},
    {"Linklogging", "N20secondinterval1", "20 second check", ItemKind::Radio, false, 0},
    {"Linklogging", "N30secondinterval1", "30 second check", ItemKind::Radio, false, 0},
    {"Options1", "Quota", "Data quota", ItemKind::SubMenu, false, 22},
    {"Quota", "MonitorQuota", "Display in real time", ItemKind::Check, false, 0},
    {"Quota", "N5", "-", ItemKind::Separator, false, 0},
    {"Quota", "N1minuteupdate1", "1 minute update", ItemKind::Radio, false, 0},
    {"Quota", "N5minuteupdate1", "5 minute update", ItemKind::Radio, false, 0},
    {"Quota", "N10minuteupdate1", "10 minute update", ItemKind::Radio, false, 0},
    {"Quota", "N15minuteupdate1", "15 minute update", ItemKind::Radio, true, 0},
    {"Quota", "N30minuteupdate1", "30 minute update", ItemKind::Radio, false, 0},
    {"Quota", "N60minuteupdate1", "60 minute update", ItemKind::Radio, false, 0},
    {"Options1", "Interfaces1", "Interfaces", ItemKind::SubMenu, false, 140},
    {"Interfaces1", "DisplayInRealTime", "Display in real time", ItemKind::Check, false, 0},
    {"Interfaces1", "N7", "-", ItemKind::Separator, false, 0},
    {"Interfaces1", "N5SecondUpdate", "5 second update", ItemKind::Radio, true, 0},
    {"Interfaces1", "N10SecondUpdate", "10 second update", ItemKind::Radio, false, 0},
    {"Interfaces1", "N15SecondUpdate", "15 second update", ItemKind::Radio, false, 0},
    {"Interfaces1", "N20SecondUpdate", "20 second update", ItemKind::Radio, false, 0},
    {"Interfaces1", "N30SecondUpdate", "30 second update", ItemKind::Radio, false, 0},
    {"Interfaces1", "N60SecondUpdate", "60 second update", ItemKind::Radio, false, 0},
    {"Options1", "Minimiseonstartup1", "Minimise on startup", ItemKind::SubMenu, false, 25},
    {"Minimiseonstartup1", "MinimiseEnabled", "Enabled", ItemKind::AutoRadio, true, 0},
    {"Minimiseonstartup1", "MinimiseDisabled", "Disabled", ItemKind::AutoRadio, false, 0},
    {"Options1", "Promptonclose1", "Prompt on close", ItemKind::SubMenu, false, 31},
    {"Promptonclose1", "ClosePromptEnabled", "Enabled", ItemKind::AutoRadio, false, 0},
    {"Promptonclose1", "ClosePromptDisabled", "Disabled", ItemKind::AutoRadio, false, 0},
    {"Options1", "Uptime1", "Router status", ItemKind::SubMenu, false, 28},
    {"Uptime1", "Realtimeupdating", "Display in real time", ItemKind::Check, false, 0},
    {"Uptime1", "N2", "-", ItemKind::Separator, false, 0},
    {"Uptime1", "N1secondupdate1", "1 second update", ItemKind::Radio, true, 0},
    {"Uptime1", "N5secondupdate1", "5 second update", ItemKind::Radio, false, 0},
    {"Uptime1", "N10secondupdate1", "10 second update", ItemKind::Radio, false, 0},
    {"Uptime1", "N30secondupdate1", "30 second update", ItemKind::Radio, false, 0},
    {"Uptime1", "N60secondupdate1", "60 second update", ItemKind::Radio, false, 0},
    {"Options1", "askbarvisibility1", "Task bar visibility", ItemKind::SubMenu, false, 28},
    // Hide and Show swap on every choice, so they are not an exclusive group (see below).
    {"askbarvisibility1", "HideFromTaskBar", "Hide", ItemKind::Check, true, 0},
    {"askbarvisibility1", "ShowInTaskBar", "Show", ItemKind::Check, false, 0},
    {nullptr, "Help1", "Help", ItemKind::SubMenu, false, 40},
    {"Help1", "Contents1", "&Contents", ItemKind::Command, false, 0},
    {"Help1", "SearchforHelpOn1", "&Search for Help On...", ItemKind::Command, false, 0},
    {"Help1", "HowtoUseHelp1", "&How to Use Help", ItemKind::Command, false, 0},
    {"Help1", "N1", "-", ItemKind::Separator, false, 0},
    {"Help1", "CheckforupdateVersion1", "Check web for update...", ItemKind::Command, false, 44},
    {"Help1", "N4", "-", ItemKind::Separator, false, 0},
    {"Help1", "About1", "&About...", ItemKind::Command, false, 45},
};

struct TimerDef {
    const char *name;
    int interval;
};
const TimerDef kTimers[] = {
    {"RouterStatus_Timer", 1000}, {"Connect_Timer", 15000}, {"Quota_Timer", 60000},
    {"Interfaces_Timer", 60000},  {"Tray_Timer", 5000},
};

} // namespace

MainForm::MainForm(const Services &services, QWidget *parent)
    : QMainWindow(parent), services_(services) {
    if (services_.prompter == nullptr || services_.clock == nullptr)
        throw std::logic_error("MainForm needs a prompter and a clock");
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vantrel"));

    systemPage_ = std::make_unique<SystemPage>(*this);
    quotaPage_ = std::make_unique<QuotaPage>(*this);
    adslPage_ = std::make_unique<AdslPage>(*this);
    interfacesPage_ = std::make_unique<InterfacesPage>(*this);
    ipPage_ = std::make_unique<IpPage>(*this);
    protocolPages_ = std::make_unique<ProtocolPages>(*this);
    debugPage_ = std::make_unique<DebugPage>(*this);
    textOutput_ = std::make_unique<TextOutput>(*this);
    connectionMonitor_ = std::make_unique<ConnectionMonitor>(*this);
    routerStatus_ = std::make_unique<RouterStatusMonitor>(*this);
    settings_ = std::make_unique<SettingsStore>(*this);

    buildWindow();
    buildMenus();
    buildTimers();
    bindEvents();

    // A fixed client area that cannot be maximised or resized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

MainForm::~MainForm() {
    SetBusyCursor(false);
}

void MainForm::missingControl(const char *name) {
    throw std::logic_error(std::string("no control named ") + name);
}

QLabel *MainForm::Label(const char *name) const {
    return Control<QLabel>(name);
}
QLineEdit *MainForm::Edit(const char *name) const {
    return Control<QLineEdit>(name);
}
QPlainTextEdit *MainForm::Memo(const char *name) const {
    return Control<QPlainTextEdit>(name);
}
QAction *MainForm::Action(const char *name) const {
    return Control<QAction>(name);
}
QTimer *MainForm::Timer(const char *name) const {
    return Control<QTimer>(name);
}
QPushButton *MainForm::Button(const char *name) const {
    return Control<QPushButton>(name);
}

void MainForm::buildWindow() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 4);

    pageControl_ = new QTabWidget(central);
    pageControl_->setObjectName(QStringLiteral("PageControl"));
    pageControl_->tabBar()->setMouseTracking(true); // tabs highlight under the mouse
    struct PageDef {
        QWidget *page;
        const char *name;
        const char *caption;
        int topic;
    };
    const PageDef pages[] = {
        {systemPage_->Build(), "GenSysInfo", "System", 110},
        {quotaPage_->Build(), "Quota_Tab", "Quota", 120},
        {adslPage_->Build(), "ADSL", "ADSL", 0},
        {interfacesPage_->Build(), "Interfaces", "Interfaces", 0},
        {ipPage_->Build(), "IP", "IP", 0},
        {protocolPages_->BuildIcmp(), "ICMP", "ICMP", 0},
        {protocolPages_->BuildTcp(), "TCP", "TCP", 0},
        {protocolPages_->BuildUdp(), "UDP", "UDP", 0},
        {protocolPages_->BuildSnmp(), "SNMP", "SNMP", 0},
        {debugPage_->Build(), "Debug", "Debug", 210},
    };
    for (const PageDef &p : pages) {
        p.page->setObjectName(QString::fromLatin1(p.name));
        if (p.topic != 0)
            p.page->setProperty("helpContext", p.topic);
        pageControl_->addTab(p.page, QString::fromLatin1(p.caption));
    }
    layout->addWidget(pageControl_, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    getValues_ = MakeButton(central, "GetValues_But", QStringLiteral("&Update"));
    getValues_->setProperty("helpContext", 0);
    getValues_->setDefault(true);
    buttons->addWidget(getValues_);
    buttons->addWidget(MakeButton(central, "Help_But", QStringLiteral("&Help")));
    layout->addLayout(buttons);
    setCentralWidget(central);

    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    statusText_ = new QLabel(RouterQuery::ReadyText, bar);
    statusText_->setObjectName(QStringLiteral("StatusBar_Text"));
    bar->addWidget(statusText_, 1);

    trayIcon_ = new QSystemTrayIcon(this);
    trayIcon_->setObjectName(QStringLiteral("TrayIcon1"));
    trayIcon_->setIcon(TrayIcons::ProgramIcon());
    setWindowIcon(TrayIcons::ProgramIcon());
    TrayIcons::CreateLists(this);
}

void MainForm::buildMenus() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    std::map<std::string, QMenu *> menus;
    std::map<std::string, QActionGroup *> groups;
    for (const MenuItem &item : kMenu) {
        QWidget *owner = item.parent ? static_cast<QWidget *>(menus.at(item.parent)) : bar;
        const QString name = QString::fromLatin1(item.name);
        const QString caption = QString::fromLatin1(item.caption);
        if (item.kind == ItemKind::SubMenu) {
            QMenu *menu =
                item.parent ? menus.at(item.parent)->addMenu(caption) : bar->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name + QStringLiteral("_Item"));
            menu->setProperty("helpContext", item.helpTopic);
            menus[item.name] = menu;
            continue;
        }
        auto *action = new QAction(caption, owner);
        action->setObjectName(name);
        if (item.kind == ItemKind::Separator)
            action->setSeparator(true);
        if (item.kind == ItemKind::Check || item.kind == ItemKind::Radio ||
            item.kind == ItemKind::AutoRadio) {
            action->setCheckable(true);
            action->setChecked(item.checked);
        }
        if (item.kind == ItemKind::Radio || item.kind == ItemKind::AutoRadio) {
            QActionGroup *&group = groups[item.parent];
            if (group == nullptr) {
                group = new QActionGroup(owner);
                // Choosing the checked item of an auto-check pair unchecks it, leaving neither.
                group->setExclusionPolicy(item.kind == ItemKind::AutoRadio
                                              ? QActionGroup::ExclusionPolicy::ExclusiveOptional
                                              : QActionGroup::ExclusionPolicy::Exclusive);
            }
            group->addAction(action);
        }
        if (item.helpTopic != 0)
            action->setProperty("helpContext", item.helpTopic);
        menus.at(item.parent)->addAction(action);
    }
}

void MainForm::buildTimers() {
    for (const TimerDef &t : kTimers) {
        auto *timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(t.name));
        timer->setInterval(t.interval);
    }
}

void MainForm::bindEvents() {
    auto on = [this](QAction *action, std::function<void()> handler) {
        connect(action, &QAction::triggered, this, [this, handler] { Run(handler); });
    };
    auto click = [this](const char *name, std::function<void()> handler) {
        connect(Button(name), &QPushButton::clicked, this, [this, handler] { Run(handler); });
    };

    connect(pageControl_, &QTabWidget::currentChanged, this, [this] {
        Run([this] { PageControlChanging(); });
        Run([this] { GetValuesBut(Trigger::PageControl); });
    });
    click("GetValues_But", [this] { GetValuesBut(Trigger::PushButton); });
    click("Help_But", [this] { Help_ButClick(); });
    on(Action("Exit1"), [this] { Exit1Click(); });
    on(Action("Contents1"), [this] { Contents1Click(); });
    on(Action("SearchforHelpOn1"), [this] { SearchforHelpOn1Click(); });
    on(Action("HowtoUseHelp1"), [this] { HowtoUseHelp1Click(); });

    // The monitor menus: the check item switches its timer, an interval item sets it.
    for (const MonitorMenu &menu : MonitorMenus()) {
        QTimer *timer = Timer(menu.timer);
        QAction *toggle = Action(menu.toggle);
        on(toggle, [timer, toggle] { SetTimerEnabled(timer, toggle->isChecked()); });
        for (const IntervalItem &item : menu.items) {
            QAction *action = Action(item.action);
            const int ms = item.value * menu.unitMs;
            on(action, [timer, action, ms] {
                timer->setInterval(ms);
                action->setChecked(true);
            });
        }
    }

    // Hide and Show swap their marks whichever is chosen.
    QAction *hide = Action("HideFromTaskBar");
    QAction *show = Action("ShowInTaskBar");
    auto swap = [hide, show](QAction *chosen) {
        const bool hideWasChecked = chosen == hide ? !hide->isChecked() : hide->isChecked();
        hide->setChecked(!hideWasChecked);
        show->setChecked(hideWasChecked);
    };
    on(hide, [swap, hide] { swap(hide); });
    on(show, [swap, show] { swap(show); });

    for (const char *name : {"IPaddress_Edit", "community_edit"})
        Edit(name)->installEventFilter(this);

    systemPage_->Bind();
    quotaPage_->Bind();
    adslPage_->Bind();
    interfacesPage_->Bind();
    ipPage_->Bind();
    protocolPages_->Bind();
    debugPage_->Bind();
    textOutput_->Bind();
    connectionMonitor_->Bind();
    routerStatus_->Bind();
}

void MainForm::FormCreate() {
    Run([this] { settings_->Load(); });
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    getValues_->setFocus();
}

void MainForm::SetStatus(const QString &text) {
    statusText_->setText(text);
}

QString MainForm::Status() const {
    return statusText_->text();
}

void MainForm::SetBusyCursor(bool busy) {
    if (busy == busyCursor_)
        return;
    busyCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::string MainForm::Host() const {
    return UserBytes(Edit("IPaddress_Edit")->text());
}

std::string MainForm::Community() const {
    return UserBytes(Edit("community_edit")->text());
}

void MainForm::SetHelpContext(int topic) {
    pageControl_->setProperty("helpContext", topic);
    getValues_->setProperty("helpContext", topic);
}

int MainForm::HelpContext() const {
    return getValues_->property("helpContext").toInt();
}

void MainForm::Run(const std::function<void()> &handler) {
    try {
        handler();
    } catch (const std::exception &e) {
        ReportError(QString::fromStdString(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("Unexpected error"));
    }
}

void MainForm::ReportError(const QString &message) {
    QString text = message;
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    prompter().Error(QStringLiteral("Vantrel"), text);
}

void MainForm::GetValuesBut(Trigger trigger) {
    QWidget *page = pageControl_->currentWidget();
    const QString name = page ? page->objectName() : QString();
    if (name == QLatin1String("GenSysInfo")) {
        Interfaces.WanRow = "0";
        systemPage_->GenSysInfoClick();
    } else if (name == QLatin1String("Quota_Tab")) {
        quotaPage_->QuotaClick(trigger);
    } else if (name == QLatin1String("ADSL")) {
        adslPage_->ADSLClick(trigger);
    } else if (name == QLatin1String("Interfaces")) {
        interfacesPage_->InterfacesClick();
    } else if (name == QLatin1String("IP")) {
        ipPage_->IPClick(trigger);
    } else if (name == QLatin1String("ICMP")) {
        protocolPages_->ICMPClick();
    } else if (name == QLatin1String("TCP")) {
        protocolPages_->TCPClick();
    } else if (name == QLatin1String("UDP")) {
        protocolPages_->UDPClick();
    } else if (name == QLatin1String("SNMP")) {
        protocolPages_->SNMPClick();
    }
    // The Debug page works through its own buttons.
}

void MainForm::PageControlChanging() {
    getValues_->setEnabled(true);
}

void MainForm::Help_ButClick() {
    prompter().Help(HelpCommand::Context, HelpContext());
}

void MainForm::Contents1Click() {
    prompter().Help(HelpCommand::Tab, -3);
}

void MainForm::SearchforHelpOn1Click() {
    prompter().Help(HelpCommand::Tab, -2);
}

void MainForm::HowtoUseHelp1Click() {
    prompter().Help(HelpCommand::HelpOnHelp, 0);
}

void MainForm::Exit1Click() {
    close();
}

void MainForm::Community_editEnter() {
    for (const MonitorMenu &menu : MonitorMenus())
        if (Action(menu.toggle)->isChecked())
            SetTimerEnabled(Timer(menu.timer), false);
}

void MainForm::Community_editExit() {
    for (const MonitorMenu &menu : MonitorMenus())
        if (Action(menu.toggle)->isChecked())
            SetTimerEnabled(Timer(menu.timer), true);
}

bool MainForm::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusIn)
        Run([this] { Community_editEnter(); });
    else if (event->type() == QEvent::FocusOut)
        Run([this] { Community_editExit(); });
    return QMainWindow::eventFilter(watched, event);
}

bool MainForm::FormCloseQuery() {
    const bool prompt = Action("ClosePromptEnabled")->isChecked();
    if (prompt && !prompter().Confirm(QStringLiteral("Close Vantrel?")))
        return false;
    if (!SaveSettingsNow())
        return false;
    QPlainTextEdit *log = Memo("LinkLog_Memo");
    if (prompt && LinkLogUnsaved && !log->toPlainText().isEmpty() &&
        prompter().Confirm(QStringLiteral("Save connection log?")))
        Run([this] { textOutput_->SaveConnectionLogAtClose(); });
    return true;
}

bool MainForm::SaveSettingsNow() {
    bool saved = false;
    Run([this, &saved] { saved = settings_->Save(); });
    return saved;
}

void MainForm::closeEvent(QCloseEvent *event) {
    bool allowed = closeApproved_;
    if (!allowed)
        Run([this, &allowed] { allowed = FormCloseQuery(); });
    if (allowed) {
        trayIcon_->hide();
        event->accept();
    } else {
        event->ignore();
    }
}
