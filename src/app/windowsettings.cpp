#include "app/windowsettings.h"

#include "app/mainform.h"
#include "app/menugroups.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QAction>
#include <QTimer>

namespace vantrel::app {

using ui::SetTimerEnabled;

namespace {

// The stored switch and interval of each monitor.
struct MonitorKeys {
    Monitor monitor;
    const char *enabledKey;
    const char *intervalKey;
    bool core::SettingsValues::*enabled;
    QString core::SettingsValues::*interval;
};
const MonitorKeys kMonitorKeys[] = {
    {Monitor::Connection, "Link logging", "Link check", &core::SettingsValues::LinkLogging,
     &core::SettingsValues::LinkCheck},
    {Monitor::RouterStatus, "Router status", "Status update", &core::SettingsValues::RouterStatus,
     &core::SettingsValues::StatusUpdate},
    {Monitor::Quota, "Quota monitor", "Quota update", &core::SettingsValues::QuotaMonitor,
     &core::SettingsValues::QuotaUpdate},
    {Monitor::Interfaces, "Interfaces autoupdate", "Interfaces update",
     &core::SettingsValues::InterfacesAutoupdate, &core::SettingsValues::InterfacesUpdate},
};

const char kOptions[] = "Options";

} // namespace

void WindowSettings::ApplySettings(const core::SettingsFile::LoadResult &loaded) {
    const core::SettingsValues &v = loaded.values;
    for (const MonitorKeys &keys : kMonitorKeys) {
        const MonitorMenu &menu = MonitorMenuOf(keys.monitor);
        QTimer *timer = form_.MonitorTimer(keys.monitor);
        if (loaded.Reached(kOptions, keys.enabledKey)) {
            const bool on = v.*keys.enabled;
            form_.MenuItem(menu.toggle)->setChecked(on);
            if (on)
                SetTimerEnabled(timer, true);
        }
        // A stored interval outside the menu changes nothing: the window's own interval and
        // checked item stay.
        if (!loaded.Reached(kOptions, keys.intervalKey))
            continue;
        for (const IntervalItem &item : menu.items)
            if (v.*keys.interval == QString::number(item.value)) {
                form_.MenuItem(item.action)->setChecked(true);
                timer->setInterval(item.value * menu.unitMs);
                break;
            }
    }
    // The two-word keys compare exactly: "yes" is not "Yes".
    if (loaded.Reached(kOptions, "Hide in task bar")) {
        const bool hide = v.HideInTaskBar == QLatin1String("Yes");
        form_.MenuItem("HideFromTaskBar")->setChecked(hide);
        form_.MenuItem("ShowInTaskBar")->setChecked(!hide);
    }
    if (loaded.Reached(kOptions, "Minimise on startup"))
        form_
            .MenuItem(v.MinimiseOnStartup == QLatin1String("Enabled") ? "MinimiseEnabled"
                                                                      : "MinimiseDisabled")
            ->setChecked(true);
    if (loaded.Reached(kOptions, "Prompt on close"))
        form_
            .MenuItem(v.PromptOnClose == QLatin1String("Enabled") ? "ClosePromptEnabled"
                                                                  : "ClosePromptDisabled")
            ->setChecked(true);
    if (loaded.Reached("Files", "Last folder"))
        form_.Output().SetSaveFolder(v.LastFolder);
}

void WindowSettings::CollectSettings(core::SettingsValues &v) {
    for (const MonitorKeys &keys : kMonitorKeys) {
        const MonitorMenu &menu = MonitorMenuOf(keys.monitor);
        v.*keys.enabled = form_.MenuItem(menu.toggle)->isChecked();
        // With no item checked the key keeps its old value.
        v.*keys.interval = QString();
        for (const IntervalItem &item : menu.items)
            if (form_.MenuItem(item.action)->isChecked()) {
                v.*keys.interval = QString::number(item.value);
                break;
            }
    }
    v.HideInTaskBar = form_.MenuItem("HideFromTaskBar")->isChecked() ? QStringLiteral("Yes")
                                                                     : QStringLiteral("No");
    v.MinimiseOnStartup = form_.MenuItem("MinimiseEnabled")->isChecked()
                              ? QStringLiteral("Enabled")
                              : QStringLiteral("Disabled");
    v.PromptOnClose = form_.MenuItem("ClosePromptEnabled")->isChecked()
                          ? QStringLiteral("Enabled")
                          : QStringLiteral("Disabled");
    v.LastFolder = form_.Output().SaveFolder();
}

} // namespace vantrel::app
