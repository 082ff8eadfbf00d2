#pragma once

#include "app/settingsstore.h"

namespace vantrel::app {

class MainForm;

// The settings the window itself keeps: the monitors' switches and intervals, the task bar,
// minimise-on-startup and prompt-on-close choices, and the save dialog's folder.
class WindowSettings : public ui::SettingsPart {
public:
    explicit WindowSettings(MainForm &form) : form_(form) {}
    void ApplySettings(const core::SettingsFile::LoadResult &loaded) override;
    void CollectSettings(core::SettingsValues &values) override;

private:
    MainForm &form_;
};

} // namespace vantrel::app
