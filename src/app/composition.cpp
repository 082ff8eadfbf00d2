#include "app/composition.h"

#include "app/historyparts.h"
#include "app/settingsstore.h"
#include "app/traycontroller.h"
#include "app/windowsettings.h"
#include "monitors/connectionmonitor.h"
#include "monitors/routerstatusmonitor.h"
#include "pages/adslpage.h"
#include "pages/debugpage.h"
#include "pages/interfacespage.h"
#include "pages/ippage.h"
#include "pages/protocolpages.h"
#include "pages/quotapage.h"
#include "pages/systempage.h"

#include <QAction>
#include <QTabWidget>
#include <QTimer>

namespace vantrel::app {

Composition::~Composition() = default;

namespace {

using core::Trigger;

class Parts : public Composition {
public:
    Parts(MainForm &form, const QString &settingsPath)
        : system(form), quota(form), adsl(form), interfaces(form), ip(form), protocols(form),
          debug(form), settings(form, settingsPath), window(form) {}

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
    HistoryParts &History() override { return *history; }

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
    std::unique_ptr<HistoryParts> history;
};

} // namespace

std::unique_ptr<MainForm> CreateMainForm(const Services &services) {
    auto form = std::make_unique<MainForm>(services);
    MainForm &f = *form;
    auto parts = std::make_unique<Parts>(
        f, services.settingsPath.isEmpty() ? SettingsStore::DefaultPath() : services.settingsPath);
    Parts &p = *parts;

    // The pages in tab order, and what "&Update" or selecting each one runs.
    f.AddPage({p.system.Build(), "GenSysInfo", "System", 110, [&p](Trigger) {
                   // Discovery finds the WAN row afresh each time.
                   p.system.GenSysInfoClick(core::Requester::Page, true);
               }});
    f.AddPage(
        {p.quota.Build(), "Quota_Tab", "Quota", 120, [&p](Trigger t) { p.quota.QuotaClick(t); }});
    f.AddPage({p.adsl.Build(), "ADSL", "ADSL", 0, [&p](Trigger t) { p.adsl.ADSLClick(t); }});
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
    p.debug.Description = [&p] { return p.system.Description(); };
    p.debug.DescriptionCaption = [&p] { return p.system.DescriptionCaption(); };
    p.system.OnTargetFocus = [&f, &p](bool editing) {
        if (editing)
            f.Community_editEnter();
        else
            f.Community_editExit();
        if (p.history)
            p.history->SetTargetEditing(editing);
    };

    p.connection =
        std::make_unique<monitors::ConnectionMonitor>(f, f.MonitorTimer(Monitor::Connection));
    p.routerStatus = std::make_unique<monitors::RouterStatusMonitor>(
        f, f.MonitorTimer(Monitor::RouterStatus), f.MonitorSwitch(Monitor::RouterStatus),
        p.system.Widget(), p.system.UptimeLabel());
    // The line history: its menu, recorder, alerts and window.
    p.history =
        std::make_unique<HistoryParts>(f, *p.connection, [&p] { return p.quota.DownloadOnly(); });
    p.adsl.OnShowHistory = [&p] { p.history->ShowHistory(); };
    p.history->RouterDescription = [&p] { return p.system.Description(); };
    QObject::connect(f.MonitorTimer(Monitor::Quota), &QTimer::timeout, &f,
                     [&f, &p] { f.Run([&p] { p.quota.Quota_TimerTimer(); }); });
    // The tray reads the quota page: its refresh, its bar and the amount left.
    TrayController::QuotaView quotaView;
    quotaView.refresh = [&p] { p.quota.QuotaClick(Trigger::Timer); };
    // A router that was off at start-up left the WAN row unknown: the System read finds it.
    p.quota.OnRetryCalculate = [&p] {
        if (p.system.StartupReadMissed())
            p.system.RetryStartupRead();
    };
    quotaView.barPosition = [&p] { return p.quota.BarPosition(); };
    quotaView.quotaLeft = [&p] { return p.quota.QuotaLeftText(); };
    quotaView.forecast = [&p] { return p.quota.ForecastText(); };
    p.tray = std::make_unique<TrayController>(f, quotaView);
    QObject::connect(&p.quota, &pages::QuotaPage::accountShown, p.tray.get(),
                     &TrayController::UpdateToolTip);
    p.quota.WriteLastResetDate = [&p](const QString &date) { p.settings.WriteLastResetDate(date); };
    p.interfaces.SetTimer(f.MonitorTimer(Monitor::Interfaces));
    QObject::connect(f.MonitorTimer(Monitor::Interfaces), &QTimer::timeout, &f,
                     [&f, &p] { f.Run([&p] { p.interfaces.Interfaces_TimerTimer(); }); });

    // The settings, in the order their keys are read.
    p.settings.AddPart(&p.system);
    p.settings.AddPart(&p.window);
    p.settings.AddPart(&p.quota);
    p.settings.AddPart(p.history.get());
    f.OnCreate = [&f, &p] {
        // A number that does not convert stops the load: no query, no start in the tray.
        if (!p.settings.Load())
            return;
        p.system.GenSysInfoClick(core::Requester::Startup);
        p.quota.CalcQuota_ButClick(core::Requester::Startup);
        if (f.MenuItem("MinimiseEnabled")->isChecked())
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
