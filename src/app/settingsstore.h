#pragma once

#include "core/settings.h"

#include <QString>
#include <functional>

namespace vantrel::core {
class SettingsModel;
}

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::app {

// The settings file of the window: read once while the window is created, written on every
// confirmed close. The settings model holds the options; the parts with state of their own
// take their values at the load (apply) and give them back at the save (collect).
class SettingsStore {
public:
    static const char *const CopyrightNotice;

    SettingsStore(ui::PageContext &context, core::SettingsModel &settings);
    // $XDG_CONFIG_HOME/<executable base name>.ini
    static QString DefaultPath();
    QString Path() const;

    // What the parts with state of their own take and give.
    std::function<void(const core::SettingsFile::LoadResult &loaded)> Apply;
    std::function<void(core::SettingsValues &values)> Collect;

    // Reads every key and applies what was read. A file that cannot be read is said once and
    // never written over. Returns false when a number did not convert: the load stopped
    // there and its conversion error has been reported.
    bool Load();
    // Writes every key in one replacement of the file. On failure, false; the window shows
    // "Unable to write to <file>." unless quiet (a signal), which writes to standard error.
    bool Save(bool quiet = false);
    // The monthly reset's own write: only [Quota] "Last reset date".
    bool WriteLastResetDate(const QString &date);

private:
    ui::PageContext &context_;
    core::SettingsModel &settings_;
};

} // namespace vantrel::app
