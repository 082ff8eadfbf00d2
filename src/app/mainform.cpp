#include "app/mainform.h"

#include "app/trayicons.h"
#include "core/routermodel.h"
#include "monitors/connectionlog.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"
#include "version/aboutbox.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace vantrel::app {

using monitors::ConnectionLog;
using ui::HelpCommand;
using ui::MakeButton;
namespace RouterQuery = ui::RouterQuery;
using ui::TextOutput;

namespace {

constexpr int kClientWidth = 633;
constexpr int kClientHeight = 529;
// Room kept on the screen for the window's frame and title bar.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

enum class ItemKind { SubMenu, Command, Check, Radio, AutoRadio, Separator };

struct MenuDef {
    const char *parent; // nullptr: on the menu bar
    const char *name;
    const char *caption;
    ItemKind kind;
    bool checked;
    int helpTopic;
};

// The menu bar in order; radio items of one sub-menu form one group.
const MenuDef kMenu[] = {
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

} // namespace

MainForm::MainForm(const Services &services, QWidget *parent)
    : QMainWindow(parent), services_(services) {
    if (services_.prompter == nullptr || services_.clock == nullptr)
        throw std::logic_error("MainForm needs a prompter and a clock");
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vantrel"));

    core::RouterModel::Options options;
    options.timeoutMs = services_.snmpTimeoutMs;
    options.clock = services_.clock;
    options.localAddress = services_.localAddress;
    router_ = std::make_unique<core::RouterModel>(options);
    log_ = std::make_unique<ConnectionLog>();
    output_ = std::make_unique<TextOutput>(*this);

    buildWindow();
    buildMenus();
    bindEvents();

    // A fixed client area that cannot be maximised or resized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void MainForm::FitToContent() {
    ensurePolished(); // the style's margins and fonts count in every size below
    // A value label keeps room for the longest text it may show (a page may name it in the
    // "longestText" property): a 32-bit counter or an amount in megabytes by default.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (!label->font().bold() || label->font().underline() || label->wordWrap())
            continue;
        const QString longest = label->property("longestText").isValid()
                                    ? label->property("longestText").toString()
                                    : QStringLiteral("4294.9672 MB");
        // The label's own measure of that text, margins and all.
        const QString shown = label->text();
        label->setText(longest);
        const int width = label->sizeHint().width();
        label->setText(shown);
        label->setMinimumWidth(std::max(label->minimumWidth(), width));
    }
    // A box of a fixed width (the quota's numbers) keeps room for a ten-digit number.
    for (QLineEdit *edit : findChildren<QLineEdit *>()) {
        if (edit->minimumWidth() != edit->maximumWidth())
            continue;
        const QString longest = edit->property("longestText").isValid()
                                    ? edit->property("longestText").toString()
                                    : QStringLiteral("1073741824");
        const int width = edit->fontMetrics().horizontalAdvance(longest) + 16;
        if (edit->width() < width || edit->minimumWidth() < width)
            edit->setFixedWidth(std::max(edit->minimumWidth(), width));
    }
    // Every tab in view, never behind scroll arrows.
    pageControl_->tabBar()->setUsesScrollButtons(false);
    for (QTabWidget *tabs : findChildren<QTabWidget *>())
        tabs->tabBar()->setUsesScrollButtons(false);
    // Pages that are not showing are hidden, and a hidden widget passes no change of its size
    // up: every cached size is thrown away before the window measures itself.
    for (QWidget *widget : findChildren<QWidget *>())
        widget->updateGeometry();
    for (QLayout *l : findChildren<QLayout *>())
        l->invalidate();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // What the pages need, as the scroll area around them would not say by itself.
    const QSize pages = pageControl_->minimumSizeHint();
    pageScroll_->setMinimumSize(pages);
    if (layout() != nullptr)
        layout()->activate();
    const QSize needed = minimumSizeHint().expandedTo(
        QSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height()));
    const QSize room = Room(screen());
    // Pages that scroll one way need room for that scroll bar the other way, where there is.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, pageScroll_);
    QSize want = needed;
    bool tall = want.height() > room.height();
    bool wide = want.width() > room.width();
    for (int pass = 0; pass < 2; ++pass) {
        want = needed + QSize(tall ? bar : 0, wide ? bar : 0);
        tall = want.height() > room.height();
        wide = want.width() > room.width();
    }
    const QSize size = want.boundedTo(room);
    // Whatever does not fit is taken from the pages, which then scroll.
    pageScroll_->setMinimumSize(pages + (size - needed));
    setFixedSize(size);
}

QSize MainForm::Room(const QScreen *screen) {
    if (screen == nullptr)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The frame and title bar are not known before the window shows.
    const QRect area = screen->availableGeometry();
    return QSize(area.width() - kFrameWidth, area.height() - kFrameHeight);
}

MainForm::~MainForm() {
    // Nothing may come back from the router while the parts go.
    router_->Shutdown();
    showBusy(0);
}

void MainForm::buildWindow() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 4);

    pageControl_ = new QTabWidget(central);
    pageControl_->setObjectName(QStringLiteral("PageControl"));
    pageControl_->tabBar()->setMouseTracking(true); // tabs highlight under the mouse
    // On a screen too small for the pages (or scaled up) they scroll inside the window, so
    // every control stays within reach; the buttons below and the status bar stay in view.
    pageScroll_ = new QScrollArea(central);
    pageScroll_->setObjectName(QStringLiteral("PageScroll"));
    pageScroll_->setFrameShape(QFrame::NoFrame);
    pageScroll_->setWidgetResizable(true);
    pageScroll_->setWidget(pageControl_);
    layout->addWidget(pageScroll_, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    getValues_ = MakeButton(central, "GetValues_But", QStringLiteral("&Update"));
    getValues_->setProperty("helpContext", 0);
    getValues_->setDefault(true);
    buttons->addWidget(getValues_);
    helpButton_ = MakeButton(central, "Help_But", QStringLiteral("&Help"));
    buttons->addWidget(helpButton_);
    layout->addLayout(buttons);
    setCentralWidget(central);

    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    statusText_ = ui::MakeLabel(bar, "StatusBar_Text", RouterQuery::ReadyText);
    bar->addWidget(statusText_, 1);
    alert_ = new QToolButton(bar);
    alert_->setObjectName(QStringLiteral("Alert_But"));
    alert_->setAutoRaise(true);
    alert_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    alert_->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    alert_->hide();
    connect(alert_, &QToolButton::clicked, alert_, &QWidget::hide);
    bar->addPermanentWidget(alert_);

    trayIcon_ = new QSystemTrayIcon(this);
    trayIcon_->setObjectName(QStringLiteral("TrayIcon1"));
    trayIcon_->setIcon(TrayIcons::ProgramIcon());
    setWindowIcon(TrayIcons::ProgramIcon());
    TrayIcons::CreateLists(this);

    const struct {
        Monitor monitor;
        const char *name;
        int interval;
    } timers[] = {
        {Monitor::RouterStatus, "RouterStatus_Timer", 1000},
        {Monitor::Connection, "Connect_Timer", 15000},
        {Monitor::Quota, "Quota_Timer", 60000},
        {Monitor::Interfaces, "Interfaces_Timer", 60000},
    };
    for (const auto &t : timers) {
        auto *timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(t.name));
        timer->setInterval(t.interval);
        timers_[t.monitor] = timer;
    }
    trayTimer_ = new QTimer(this);
    trayTimer_->setObjectName(QStringLiteral("Tray_Timer"));
    trayTimer_->setInterval(5000);
}

void MainForm::buildMenus() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    std::map<std::string, QMenu *> menus;
    std::map<std::string, QActionGroup *> groups;
    for (const MenuDef &item : kMenu) {
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
            menus_[item.name] = menu;
            continue;
        }
        if (item.kind == ItemKind::Separator) {
            QAction *separator = menus.at(item.parent)->addSeparator();
            separator->setObjectName(name);
            continue;
        }
        auto *action = new QAction(caption, owner);
        action->setObjectName(name);
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
        items_[item.name] = action;
    }
}

QAction *MainForm::MenuItem(const char *name) const {
    const auto found = items_.find(name);
    if (found == items_.end())
        throw std::logic_error(std::string("no menu item named ") + name);
    return found->second;
}

QMenu *MainForm::SubMenu(const char *name) const {
    const auto found = menus_.find(name);
    if (found == menus_.end())
        throw std::logic_error(std::string("no menu named ") + name);
    return found->second;
}

QTimer *MainForm::MonitorTimer(Monitor monitor) const {
    return timers_.at(monitor);
}

void MainForm::bindEvents() {
    auto on = [this](QAction *action, std::function<void()> handler) {
        connect(action, &QAction::triggered, this, [this, handler] { Run(handler); });
    };

    connect(pageControl_, &QTabWidget::currentChanged, this, [this] {
        Run([this] { PageControlChanging(); });
        Run([this] { GetValuesBut(core::Trigger::PageControl); });
    });
    connect(getValues_, &QPushButton::clicked, this,
            [this] { Run([this] { GetValuesBut(core::Trigger::PushButton); }); });
    connect(helpButton_, &QPushButton::clicked, this, [this] { Run([this] { Help_ButClick(); }); });
    on(MenuItem("Exit1"), [this] { Exit1Click(); });
    on(MenuItem("Contents1"), [this] { Contents1Click(); });
    on(MenuItem("SearchforHelpOn1"), [this] { SearchforHelpOn1Click(); });
    on(MenuItem("HowtoUseHelp1"), [this] { HowtoUseHelp1Click(); });
    on(MenuItem("About1"), [this] { About1Click(); });
    on(MenuItem("CheckforupdateVersion1"), [this] { CheckforupdateVersion1Click(); });
    // The update check runs off the window's thread; its answer comes back here.
    updateCheck_ = new version::UpdateCheck(services_.updateSource, this);
    connect(updateCheck_, &version::UpdateCheck::Finished, this, [this](const QString &message) {
        Run([this, &message] { Prompt().Message(QStringLiteral("Vantrel"), message); });
    });
    connect(updateCheck_, &version::UpdateCheck::Failed, this,
            [this](const QString &error) { ReportError(error); });

    connect(router_.get(), &core::RouterModel::pageJobsChanged, this,
            [this](int pending) { showBusy(pending); });
}

void MainForm::AddPage(const Page &page) {
    page.widget->setObjectName(QString::fromLatin1(page.name));
    if (page.helpTopic != 0)
        page.widget->setProperty("helpContext", page.helpTopic);
    pages_.push_back(page);
    // Adding the first tab selects it; that is no page change of the user's.
    const QSignalBlocker blocker(pageControl_);
    pageControl_->addTab(page.widget, QString::fromLatin1(page.caption));
}

void MainForm::FormCreate() {
    if (OnCreate)
        Run(OnCreate);
    noteShutdownLog();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        // Centred, and never with its title bar above the screen's top.
        const QRect area = screen->availableGeometry();
        move(area.x() + std::max(0, area.width() - width() - kFrameWidth) / 2,
             area.y() + std::max(0, area.height() - height() - kFrameHeight) / 2);
    }
    getValues_->setFocus();
}

void MainForm::ShowAlert(const QString &title, const QString &text) {
    // With the time it came, as it may stay a while.
    alert_->setText(QStringLiteral("%1 (%2)").arg(
        title, QLocale().toString(Clock().Now().time(), QLocale::ShortFormat)));
    alert_->setToolTip(text + QStringLiteral("\n(Click to dismiss.)"));
    alert_->show();
    // The task bar button asks for attention where the window is not in front.
    QApplication::alert(this);
}

void MainForm::showBusy(int pendingPageJobs) {
    const bool busy = pendingPageJobs > 0;
    if (busy == busy_) {
        // A page finished while another one is still on its way: the window stays busy.
        if (busy && statusText_->text() == RouterQuery::ReadyText)
            statusText_->setText(RouterQuery::BusyText);
        return;
    }
    busy_ = busy;
    // Over the window only: menus, dialogs and the close box keep the normal cursor.
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void MainForm::SetStatus(const QString &text) {
    // While another page's query is still on its way, " Ready" would say too much.
    if (text == RouterQuery::ReadyText && router_->PageJobs() > 0)
        statusText_->setText(RouterQuery::BusyText);
    else
        statusText_->setText(text);
    // The reason stays with the error text (a later failure of the same query often knows none).
    if (text != RouterQuery::ErrorText)
        statusText_->setToolTip(QString());
}

void MainForm::SetStatusReason(const QString &reason) {
    statusText_->setToolTip(QStringLiteral("Reason: ") + reason);
}

QString MainForm::Status() const {
    return statusText_->text();
}

void MainForm::SetHelpContext(int topic) {
    pageControl_->setProperty("helpContext", topic);
    getValues_->setProperty("helpContext", topic);
}

int MainForm::HelpContext() const {
    return getValues_->property("helpContext").toInt();
}

void MainForm::MoveFocus() {
    if (!isVisible())
        return;
    QWidget *focus = QApplication::focusWidget();
    if (focus != pageControl_)
        pageControl_->setFocus();
}

void MainForm::SetUpdateEnabled(bool enabled) {
    getValues_->setEnabled(enabled);
}

bool MainForm::IsActivePage(const QWidget *page) const {
    return page != nullptr && pageControl_->currentWidget() == page;
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
    Prompt().Error(QStringLiteral("Vantrel"), text);
}

void MainForm::GetValuesBut(core::Trigger trigger) {
    QWidget *current = pageControl_->currentWidget();
    for (const Page &page : pages_)
        if (page.widget == current && page.refresh)
            page.refresh(trigger);
}

void MainForm::PageControlChanging() {
    getValues_->setEnabled(true);
}

void MainForm::Help_ButClick() {
    Prompt().Help(HelpCommand::Context, HelpContext());
}

void MainForm::Contents1Click() {
    Prompt().Help(HelpCommand::Tab, -3);
}

void MainForm::SearchforHelpOn1Click() {
    Prompt().Help(HelpCommand::Tab, -2);
}

void MainForm::HowtoUseHelp1Click() {
    Prompt().Help(HelpCommand::HelpOnHelp, 0);
}

void MainForm::Exit1Click() {
    closeApprovedAt_ = QDateTime(); // the user's own close asks as always
    close();
}

void MainForm::About1Click() {
    version::ShowAboutBox(this);
}

void MainForm::CheckforupdateVersion1Click() {
    // A second check while one is on its way is not started.
    updateCheck_->Start();
}

bool MainForm::FormCloseQuery() {
    const bool prompt = PromptOnClose && PromptOnClose();
    if (prompt && !Prompt().Confirm(QStringLiteral("Close Vantrel?")))
        return false;
    if (!SaveSettingsNow())
        return false;
    if (prompt && log_->Unsaved() && !log_->IsEmpty() &&
        Prompt().Confirm(QStringLiteral("Save connection log?"))) {
        // The user asked to keep the log: cancelling the dialog, or a file that could not be
        // written, returns to the window with the log still there.
        bool saved = false;
        Run([this, &saved] {
            saved = output_->SaveMemo(log_->Memo(), QStringLiteral("vantrel_connection"));
        });
        if (!saved)
            return false;
        log_->SetUnsaved(false);
    }
    return true;
}

bool MainForm::SaveSettingsNow() {
    bool saved = true;
    if (OnSaveSettings)
        Run([this, &saved] { saved = OnSaveSettings(false); });
    return saved;
}

QString MainForm::StateFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !base.startsWith(QLatin1Char('/')))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/vantrel");
}

namespace {
// Names the connection log the last session saved when it was told to end.
const char kShutdownNote[] = "/last-shutdown-log";
} // namespace

bool MainForm::SaveForShutdown() {
    bool saved = true;
    if (OnSaveSettings)
        try {
            saved = OnSaveSettings(true);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "vantrel: the settings were not saved: %s\n", e.what());
            saved = false;
        }
    if (log_->Unsaved() && !log_->IsEmpty()) {
        const QString folder = StateFolder();
        const QString file = folder + QStringLiteral("/connection-log-") +
                             services_.clock->Now().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                             QStringLiteral(".log");
        QString reason;
        if (!QDir().mkpath(folder)) {
            reason = QStringLiteral("cannot make the folder");
        } else if (TextOutput::WriteFile(file, log_->Lines(), reason)) {
            log_->SetUnsaved(false);
            QFile note(folder + QLatin1String(kShutdownNote));
            if (note.open(QIODevice::WriteOnly | QIODevice::Truncate))
                note.write(file.toUtf8());
            return saved;
        }
        std::fprintf(stderr, "vantrel: the connection log was not saved to %s: %s\n",
                     qPrintable(file), qPrintable(reason));
        saved = false;
    }
    return saved;
}

void MainForm::noteShutdownLog() {
    QFile note(StateFolder() + QLatin1String(kShutdownNote));
    if (!note.open(QIODevice::ReadOnly))
        return;
    const QString file = QString::fromUtf8(note.readAll()).trimmed();
    note.remove();
    if (file.isEmpty())
        return;
    const QString text =
        QStringLiteral(" The connection log of the last session was saved to ") + file;
    // Said once the start-up queries have shown their own status.
    if (router_->PageJobs() == 0) {
        statusText_->setText(text);
        return;
    }
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = connect(router_.get(), &core::RouterModel::pageJobsChanged, this,
                    [this, text, once](int pending) {
                        if (pending != 0)
                            return;
                        disconnect(*once);
                        // The last page's " Ready" comes right after this signal.
                        QTimer::singleShot(0, this, [this, text] { statusText_->setText(text); });
                    });
}

void MainForm::BringToFront() {
    if (isMinimized() || !isVisible())
        showNormal();
    show();
    raise();
    activateWindow();
    emit broughtToFront();
}

void MainForm::ApproveClose() {
    closeApprovedAt_ = QDateTime::currentDateTimeUtc();
}

bool MainForm::closeApproved() const {
    return closeApprovedAt_.isValid() &&
           closeApprovedAt_.secsTo(QDateTime::currentDateTimeUtc()) < 60;
}

void MainForm::closeEvent(QCloseEvent *event) {
    // An approval covers the close that ends the session, never one the user starts with the
    // close box; either way it is used up.
    bool allowed = closeApproved() && !event->spontaneous();
    closeApprovedAt_ = QDateTime();
    if (!allowed)
        Run([this, &allowed] { allowed = FormCloseQuery(); });
    if (allowed) {
        router_->Shutdown(); // a pending request is abandoned, its late answer ignored
        trayIcon_->hide();
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace vantrel::app
