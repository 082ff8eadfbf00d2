#pragma once

#include "core/settings.h"
#include "ui/settingspart.h"

#include <QString>
#include <vector>

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::app {

// The settings file of the window: read once while the window is created, written on every
// confirmed close, through the parts that keep the values.
class SettingsStore {
public:
    static const char *const CopyrightNotice;

    SettingsStore(ui::PageContext &context, QString path);
    // $XDG_CONFIG_HOME/<executable base name>.ini
    static QString DefaultPath();
    QString Path() const { return file_.Path(); }

    // In the order their keys are read.
    void AddPart(ui::SettingsPart *part) { parts_.push_back(part); }

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
    core::SettingsFile file_;
    std::vector<ui::SettingsPart *> parts_;
};

} // namespace vantrel::app
