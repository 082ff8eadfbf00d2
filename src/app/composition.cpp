#include "app/composition.h"

#include "app/historymenu.h"
#include "app/metricsserver.h"
#include "app/routeraccessdialog.h"
#include "app/settingsstore.h"
#include "app/traycontroller.h"
#include "app/windowsettings.h"
#include "core/linemodel.h"
#include "core/linkmodel.h"
#include "core/quotamodel.h"
#include "core/routerinfo.h"
#include "core/routermodel.h"
#include "core/settingsmodel.h"
#include "history/historyquery.h"
#include "history/historyservice.h"
#include "monitors/alerts.h"
#include "monitors/connectionlog.h"
#include "monitors/connectionlogsheet.h"
#include "monitors/connectionmonitor.h"
#include "monitors/linkwatch.h"
#include "monitors/notifier.h"
#include "monitors/recorder.h"
#include "monitors/routerstatusmonitor.h"
#include "pages/adslpage.h"
#include "pages/debugpage.h"
#include "pages/interfacespage.h"
#include "pages/ippage.h"
#include "pages/protocolpages.h"
#include "pages/quotapage.h"
#include "pages/systempage.h"
#include "ui/prompter.h"
#include "ui/textoutput.h"

#include <QAction>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>

namespace vantrel::app {

Composition::~Composition() = default;

namespace {

using core::Trigger;

const char kQuota[] = "Quota";

// The account's values as the settings load read them.
void ApplyQuota(core::QuotaModel &account, const core::SettingsFile::LoadResult &loaded) {
    const core::SettingsValues &v = loaded.values;
    if (loaded.Reached(kQuota, "Data"))
        account.SetDownloadOnly(v.DownloadOnly);
    if (loaded.Reached(kQuota, "ISP bytes in Gigabyte"))
        account.SetBytesPerGB(v.BytesPerGB);
    if (loaded.Reached(kQuota, "ISP bytes in Megabyte"))
        account.SetBytesPerMB(v.BytesPerMB);
    if (loaded.Reached(kQuota, "MBUsed"))
        account.RestoreStoredUsed(v.MBUsed);
    if (loaded.Reached(kQuota, "Reset day"))
        account.SetResetDay(v.ResetDay);
    if (loaded.Reached(kQuota, "Last reset date"))
        account.RestoreLastResetDate(v.LastResetDate);
    if (loaded.Reached(kQuota, core::SavedCounters::kDiscontinuityKey))
        account.RestoreCounters(v.Counters);
}

// The account's values for the save: the definitions in use (not the boxes' texts, which may
// not have been applied), and the amount used as the refreshes and timers left it (the close
// does not wait for the router).
void CollectQuota(const core::QuotaModel &account, core::SettingsValues &v) {
    v.DownloadOnly = account.DownloadOnly();
    v.BytesPerGB = account.Account().BytesPerGB;
    v.BytesPerMB = account.Account().BytesPerMB;
    v.ResetDay = account.ResetDay();
    v.LastResetDate = account.LastResetDate();
    v.MBUsed = account.UsedToStore();
    v.Counters = account.CountersToStore();
}

class Parts : public Composition {
public:
    Parts(MainForm &form, const QString &settingsPath)
        : options(settingsPath), account(form.Clock()), system(form, info, options),
          quota(form, account, options), adsl(form, line), interfaces(form, account), ip(form),
          protocols(form), debug(form, info), settings(form, options), window(form, options) {}

    pages::SystemPage &System() override { return system; }
    pages::QuotaPage &Quota() override { return quota; }
    pages::AdslPage &Adsl() override { return adsl; }
    pages::InterfacesPage &Interfaces() override { return interfaces; }
    pages::IpPage &Ip() override { return ip; }
    pages::ProtocolPages &Protocols() override { return protocols; }
    pages::DebugPage &Debug() override { return debug; }
    monitors::ConnectionMonitor &Connection() override { return *connection; }
    monitors::RouterStatusMonitor &RouterStatus() override { return *routerStatus; }
    SettingsStore &Settings() override { return settings; }
    TrayController &Tray() override { return *tray; }
    HistoryMenu &History() override { return *historyMenu; }
    history::HistoryService &HistoryService() override { return *historyService; }
    monitors::Recorder &Recorder() override { return *recorder; }
    monitors::Alerts &Alerts() override { return *alerts; }
    monitors::LinkWatch &Watch() override { return *linkWatch; }
    monitors::DesktopNotifier &Desktop() override { return *desktop; }
    MetricsServer &Metrics() override { return *metrics; }
    core::QuotaModel &Account() override { return account; }
    core::LinkModel &Link() override { return link; }
    core::LineModel &Line() override { return line; }
    core::RouterInfo &Info() override { return info; }
    core::SettingsModel &Options() override { return options; }

    // The models first: the views observe them.
    core::SettingsModel options;
    core::QuotaModel account;
    core::LinkModel link;
    core::LineModel line;
    core::RouterInfo info;
    pages::SystemPage system;
    pages::QuotaPage quota;
    pages::AdslPage adsl;
    pages::InterfacesPage interfaces;
    pages::IpPage ip;
    pages::ProtocolPages protocols;
    pages::DebugPage debug;
    SettingsStore settings;
    WindowSettings window;
    std::unique_ptr<monitors::ConnectionMonitor> connection;
    std::unique_ptr<monitors::RouterStatusMonitor> routerStatus;
    std::unique_ptr<TrayController> tray;
    // The line history: its file, its recorder, the alerts and where they go, the metrics
    // endpoint and the menu with the history window.
    std::unique_ptr<history::HistoryService> historyService;
    std::unique_ptr<monitors::Recorder> recorder;
    std::unique_ptr<monitors::LinkWatch> linkWatch;
    std::unique_ptr<monitors::Alerts> alerts;
    std::unique_ptr<monitors::DesktopNotifier> desktop;
    std::unique_ptr<MetricsServer> metrics;
    std::unique_ptr<HistoryMenu> historyMenu;
    RouterAccessControl *access = nullptr; // owned by the window
};

// The metrics of the latest sample, the link and the account.
QByteArray metricsText(const Parts &p) {
    MetricsSnapshot s;
    s.sample = p.recorder->Latest();
    s.linkUp = p.recorder->LinkUp();
    const core::QuotaAccount &a = p.account.Account();
    if (a.QuotaBytes > 0 && a.Calculated && !a.LastReadingFailed) {
        s.quotaUsedBytes = core::UsedBytes(a, p.account.DownloadOnly());
        s.quotaBytes = a.QuotaBytes;
    }
    return MetricsText(s);
}

// What became of the history file when it was opened.
void historyOpened(Parts &p, const history::HistoryStore::OpenResult &r) {
    p.historyMenu->Opened(r);
    if (!r.ok)
        return;
    // The recorder goes on from what the file knew.
    using Known = std::pair<std::optional<history::LineSample>, std::optional<history::LineEvent>>;
    p.historyService->Run<Known>(
        p.recorder.get(),
        [](history::HistoryStore &store) {
            return Known(store.LastSample(), store.LastLinkEvent());
        },
        [&p](Known &known) { p.recorder->Restore(known.first, known.second); });
}

// The line history's parts and how they hear of each other.
void BuildHistory(MainForm &f, Parts &p) {
    p.historyService = std::make_unique<history::HistoryService>(HistoryFilePath(), f.Clock());
    // The recorder's timer lives with the window's other timers.
    auto *timer = new QTimer(&f);
    timer->setObjectName(QStringLiteral("History_Timer"));
    p.recorder = std::make_unique<monitors::Recorder>(f, *p.historyService, timer);
    p.linkWatch = std::make_unique<monitors::LinkWatch>(p.link);
    p.linkWatch->Follow(f.Router());
    p.alerts = std::make_unique<monitors::Alerts>(f, *p.recorder, p.account);
    p.alerts->Watch(*p.linkWatch);
    p.desktop = std::make_unique<monitors::DesktopNotifier>(f.TrayIcon(), &f);
    // Without a notification service or a tray, the alert shows in the window.
    p.desktop->InWindow = [&f](const monitors::Notification &n) { f.ShowAlert(n.title, n.text); };
    p.alerts->SetNotifier(p.desktop.get());
    p.metrics = std::make_unique<MetricsServer>([&p] { return metricsText(p); });
    p.historyMenu =
        std::make_unique<HistoryMenu>(f, *p.historyService, *p.recorder, *p.alerts, *p.metrics);
    p.adsl.OnShowHistory = [&p] { p.historyMenu->ShowHistory(); };
    p.historyMenu->RouterDescription = [&p] { return p.info.Description(); };

    // The drops and returns the connection monitor logged, with the log's line.
    QObject::connect(
        &p.link, &core::LinkModel::changed, p.recorder.get(), [&f, &p](const core::LinkEvent &e) {
            const bool up = e.kind == core::LinkEvent::Kind::Return;
            if (up || e.kind == core::LinkEvent::Kind::Drop)
                f.Run([&] { p.recorder->LinkChanged(up, e.when, monitors::LinkEventLine(e)); });
        });
    QObject::connect(p.recorder.get(), &monitors::Recorder::sampleStored, p.historyMenu.get(),
                     [&p] { p.historyMenu->SampleStored(); });
    using history::HistoryStore;
    QObject::connect(p.historyService.get(), &history::HistoryService::opened, &f,
                     [&p](const HistoryStore::OpenResult &r) { historyOpened(p, r); });
    QObject::connect(p.historyService.get(), &history::HistoryService::movedAside, &f,
                     [&p](const HistoryStore::OpenResult &r) { p.historyMenu->TellMoved(r); });
    p.historyService->Open();
}

} // namespace

QString HistoryFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/vantrel/history.sqlite");
}

std::unique_ptr<MainForm> CreateMainForm(const Services &services) {
    auto form = std::make_unique<MainForm>(services);
    MainForm &f = *form;
    auto parts = std::make_unique<Parts>(
        f, services.settingsPath.isEmpty() ? SettingsStore::DefaultPath() : services.settingsPath);
    Parts &p = *parts;

    // The line as the ADSL page's queries read it.
    QObject::connect(&f.Router(), &core::RouterModel::adslRead, &p.line,
                     [&p](const core::AdslFigures &figures) { p.line.Take(figures); });
    // Every request goes to the target the settings hold.
    QObject::connect(&p.options, &core::SettingsModel::changed, &f, [&f, &p](core::Setting s) {
        if (s == core::Setting::Target)
            f.Router().SetTarget(p.options.HostBytes(), p.options.CommunityBytes());
    });

    // The pages in tab order, and what "&Update" or selecting each one runs.
    f.AddPage({p.system.Build(), "GenSysInfo", "System", 110, [&p](Trigger) {
                   // Discovery finds the WAN row afresh each time.
                   p.system.GenSysInfoClick(core::Requester::Page, true);
               }});
    f.AddPage(
        {p.quota.Build(), "Quota_Tab", "Quota", 120, [&p](Trigger t) { p.quota.QuotaClick(t); }});
    f.AddPage({p.adsl.Build(monitors::MakeConnectionLogSheet(f.Log(), f.Output())), "ADSL", "ADSL",
               0, [&p](Trigger t) { p.adsl.ADSLClick(t); }});
    p.adsl.ScrollLog = [&f] { f.Log().ScrollToEnd(); };
    f.AddPage({p.interfaces.Build(), "Interfaces", "Interfaces", 0,
               [&p](Trigger) { p.interfaces.InterfacesClick(); }});
    f.AddPage({p.ip.Build(), "IP", "IP", 0, [&p](Trigger t) { p.ip.IPClick(t); }});
    f.AddPage(
        {p.protocols.BuildIcmp(), "ICMP", "ICMP", 0, [&p](Trigger) { p.protocols.ICMPClick(); }});
    f.AddPage({p.protocols.BuildTcp(), "TCP", "TCP", 0, [&p](Trigger) { p.protocols.TCPClick(); }});
    f.AddPage({p.protocols.BuildUdp(), "UDP", "UDP", 0, [&p](Trigger) { p.protocols.UDPClick(); }});
    f.AddPage(
        {p.protocols.BuildSnmp(), "SNMP", "SNMP", 0, [&p](Trigger) { p.protocols.SNMPClick(); }});
    // The Debug page works through its own buttons.
    f.AddPage({p.debug.Build(), "Debug", "Debug", 210, nullptr});

    // Connected after the window's own page-change handlers, so the disabled "&Update"
    // button is what remains when the Debug page shows.
    QObject::connect(f.PageControl(), &QTabWidget::currentChanged, &f, [&f, &p] {
        if (f.IsActivePage(p.debug.Widget()))
            f.Run([&p] { p.debug.DebugEnter(); });
    });
    // While the target is being edited the monitors' timers are held, and no sample is taken.
    p.system.OnTargetFocus = [&p](bool editing) {
        p.window.HoldMonitors(editing);
        if (p.recorder)
            p.recorder->SetTargetEditing(editing);
    };

    p.connection = std::make_unique<monitors::ConnectionMonitor>(
        f, f.MonitorTimer(Monitor::Connection), p.link, f.Log());
    p.connection->SwitchOff = [&p] { p.options.SetMonitor(Monitor::Connection, false); };
    QObject::connect(&p.options, &core::SettingsModel::changed, p.connection.get(),
                     [&p](core::Setting setting, Monitor monitor) {
                         if (setting == core::Setting::MonitorSwitch &&
                             monitor == Monitor::Connection &&
                             p.options.Values().MonitorOn(Monitor::Connection))
                             p.connection->SwitchedOn();
                     });
    p.routerStatus = std::make_unique<monitors::RouterStatusMonitor>(
        f, f.MonitorTimer(Monitor::RouterStatus), p.options, p.system.Widget(), p.info);
    BuildHistory(f, p);
    QObject::connect(f.MonitorTimer(Monitor::Quota), &QTimer::timeout, &f,
                     [&f, &p] { f.Run([&p] { p.quota.Quota_TimerTimer(); }); });
    // A router that was off at start-up left the WAN row unknown: the System read finds it.
    p.quota.OnRetryCalculate = [&p] {
        if (p.system.StartupReadMissed())
            p.system.RetryStartupRead();
    };
    // The tray shows the account and refreshes it as a quota tick would.
    p.tray = std::make_unique<TrayController>(
        f, f.Router(), p.account, [&p] { p.quota.QuotaClick(Trigger::Timer); }, p.options);
    p.tray->ShowLink(*p.linkWatch);
    // Another router's counters are not this one's.
    QObject::connect(&p.options, &core::SettingsModel::changed, &p.account,
                     [&p](core::Setting setting) {
                         if (setting == core::Setting::Target)
                             p.account.StartAfresh();
                     });
    // The monthly reset's date is written at once.
    QObject::connect(&p.account, &core::QuotaModel::monthStarted, &f,
                     [&p](const QString &date) { p.settings.WriteLastResetDate(date); });
    p.interfaces.SetTimer(f.MonitorTimer(Monitor::Interfaces));
    QObject::connect(f.MonitorTimer(Monitor::Interfaces), &QTimer::timeout, &f,
                     [&f, &p] { f.Run([&p] { p.interfaces.Interfaces_TimerTimer(); }); });

    // What the parts with state of their own take from the settings file, and give back.
    p.settings.Apply = [&f, &p](const core::SettingsFile::LoadResult &loaded) {
        ApplyQuota(p.account, loaded);
        p.quota.ShowSettings(loaded);
        if (loaded.Reached("Files", "Last folder"))
            f.Output().SetSaveFolder(loaded.values.LastFolder);
        p.historyMenu->ApplySettings(loaded);
    };
    p.settings.Collect = [&f, &p](core::SettingsValues &v) {
        CollectQuota(p.account, v);
        v.LastFolder = f.Output().SaveFolder();
        p.historyMenu->CollectSettings(v);
    };
    p.access = new RouterAccessControl(f, p.options);
    f.PromptOnClose = [&p] { return p.options.Values().PromptOnClose; };
    f.OnCreate = [&p] {
        // A number that does not convert stops the load: no query, no start in the tray.
        if (!p.settings.Load())
            return;
        // A v3 user's passphrases come from the secret store before the first query.
        p.access->LoadPassphrases([&p] {
            p.system.GenSysInfoClick(core::Requester::Startup);
            p.quota.Start();
        });
        if (p.options.Values().MinimiseOnStartup)
            p.tray->StartInTray();
    };
    f.OnSaveSettings = [&p](bool signalled) { return p.settings.Save(signalled); };

    f.AdoptParts(std::move(parts));
    f.FitToContent();
    return form;
}

Composition &PartsOf(MainForm &form) {
    return static_cast<Composition &>(*form.parts());
}

} // namespace vantrel::app
