#pragma once

#include "core/settings.h"

namespace vantrel::ui {

// A part of the window that keeps some of the stored settings.
class SettingsPart {
public:
    virtual ~SettingsPart() = default;
    // Puts the values the load reached into the part's controls and state.
    virtual void ApplySettings(const core::SettingsFile::LoadResult &loaded) = 0;
    // Puts the part's current values into values, for the save.
    virtual void CollectSettings(core::SettingsValues &values) = 0;
};

} // namespace vantrel::ui
