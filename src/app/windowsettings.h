#pragma once

#include "core/settings.h"

#include <QObject>

class QAction;

namespace vantrel::core {
class SettingsModel;
enum class Setting;
} // namespace vantrel::core

namespace vantrel::app {

class MainForm;

// The Options menus and the monitors' timers as a view of the settings: a choice in a menu is
// written to the settings, and each change of the settings (the load's, or a monitor switching
// itself off) sets the menus' marks and the timers.
class WindowSettings : public QObject {
    Q_OBJECT
public:
    WindowSettings(MainForm &form, core::SettingsModel &settings);

    // While the router's address or community is being edited, the monitors' timers are held.
    void HoldMonitors(bool hold);

private:
    void show(core::Setting setting, core::Monitor monitor);
    // The pair of an "Enabled"/"Disabled" choice: each may be unchecked by the user, leaving
    // neither, which the settings take as "Disabled".
    void choose(const char *enabled, const char *disabled, bool on);

    MainForm &form_;
    core::SettingsModel &settings_;
    bool fromMenu_ = false; // the change being told came from the menus themselves
};

} // namespace vantrel::app
