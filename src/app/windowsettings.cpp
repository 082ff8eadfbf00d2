#include "app/windowsettings.h"

#include "app/mainform.h"
#include "app/menugroups.h"
#include "core/settingsmodel.h"
#include "ui/widgets.h"

#include <QAction>
#include <QTimer>

namespace vantrel::app {

using core::Monitor;
using core::Setting;

WindowSettings::WindowSettings(MainForm &form, core::SettingsModel &settings)
    : form_(form), settings_(settings) {
    auto on = [this](QAction *action, std::function<void()> handler) {
        connect(action, &QAction::triggered, this, [this, handler] {
            fromMenu_ = true;
            form_.Run(handler);
            fromMenu_ = false;
        });
    };
    // The monitor menus: the check item switches the monitor, an interval item sets it.
    for (const MonitorMenu &menu : MonitorMenus()) {
        QAction *toggle = form_.MenuItem(menu.toggle);
        const Monitor monitor = menu.monitor;
        on(toggle, [this, toggle, monitor] { settings_.SetMonitor(monitor, toggle->isChecked()); });
        const std::vector<int> &intervals = core::MonitorIntervals(monitor);
        for (std::size_t i = 0; i < menu.items.size(); ++i) {
            const int interval = intervals[i];
            on(form_.MenuItem(menu.items[i]),
               [this, monitor, interval] { settings_.SetInterval(monitor, interval); });
        }
    }
    // Hide and Show swap their marks whichever is chosen: each choice turns the other way.
    QAction *hideItem = form_.MenuItem("HideFromTaskBar");
    on(hideItem, [this, hideItem] { settings_.SetHideInTaskBar(hideItem->isChecked()); });
    QAction *showItem = form_.MenuItem("ShowInTaskBar");
    on(showItem, [this, showItem] { settings_.SetHideInTaskBar(!showItem->isChecked()); });
    QAction *minimise = form_.MenuItem("MinimiseEnabled");
    auto minimiseChoice = [this, minimise] {
        settings_.SetMinimiseOnStartup(minimise->isChecked());
    };
    on(minimise, minimiseChoice);
    on(form_.MenuItem("MinimiseDisabled"), minimiseChoice);
    QAction *prompt = form_.MenuItem("ClosePromptEnabled");
    auto promptChoice = [this, prompt] { settings_.SetPromptOnClose(prompt->isChecked()); };
    on(prompt, promptChoice);
    on(form_.MenuItem("ClosePromptDisabled"), promptChoice);

    connect(&settings_, &core::SettingsModel::changed, this,
            [this](Setting setting, Monitor monitor) { show(setting, monitor); });
}

void WindowSettings::show(Setting setting, Monitor monitor) {
    const core::SettingsValues &v = settings_.Values();
    const MonitorMenu &menu = MonitorMenuOf(monitor);
    QTimer *timer = form_.MonitorTimer(monitor);
    switch (setting) {
    case Setting::MonitorSwitch:
        form_.MenuItem(menu.toggle)->setChecked(v.MonitorOn(monitor));
        ui::SetTimerEnabled(timer, v.MonitorOn(monitor));
        break;
    case Setting::MonitorInterval: {
        const std::vector<int> &intervals = core::MonitorIntervals(monitor);
        for (std::size_t i = 0; i < intervals.size(); ++i)
            if (intervals[i] == v.Interval(monitor))
                form_.MenuItem(menu.items[i])->setChecked(true);
        timer->setInterval(v.Interval(monitor) * core::MonitorIntervalUnitMs(monitor));
        break;
    }
    case Setting::HideInTaskBar:
        form_.MenuItem("HideFromTaskBar")->setChecked(v.HideInTaskBar);
        form_.MenuItem("ShowInTaskBar")->setChecked(!v.HideInTaskBar);
        break;
    case Setting::MinimiseOnStartup:
        choose("MinimiseEnabled", "MinimiseDisabled", v.MinimiseOnStartup);
        break;
    case Setting::PromptOnClose:
        choose("ClosePromptEnabled", "ClosePromptDisabled", v.PromptOnClose);
        break;
    case Setting::Target:
    case Setting::Allowance:
    case Setting::Access:
        break;
    }
}

void WindowSettings::choose(const char *enabled, const char *disabled, bool on) {
    // The user's own choice already shows (neither item checked is a choice of "Disabled").
    if (fromMenu_)
        return;
    form_.MenuItem(on ? enabled : disabled)->setChecked(true);
}

void WindowSettings::HoldMonitors(bool hold) {
    for (const Monitor monitor : core::Monitors)
        if (settings_.Values().MonitorOn(monitor))
            ui::SetTimerEnabled(form_.MonitorTimer(monitor), !hold);
}

} // namespace vantrel::app
