#pragma once

#include "core/settings.h"

#include <QString>
#include <vector>

namespace vantrel::app {

class PageContext;

// A part of the window that keeps some of the stored settings.
class SettingsPart {
public:
    virtual ~SettingsPart() = default;
    // Puts the values the load reached into the part's controls and state.
    virtual void ApplySettings(const core::SettingsFile::LoadResult &loaded) = 0;
    // Puts the part's current values into values, for the save.
    virtual void CollectSettings(core::SettingsValues &values) = 0;
};

// The settings file of the window: read once while the window is created, written on every
// confirmed close, through the parts that keep the values.
class SettingsStore {
public:
    static const char *const CopyrightNotice;

    SettingsStore(PageContext &context, QString path);
    // $XDG_CONFIG_HOME/<executable base name>.ini
    static QString DefaultPath();
    QString Path() const { return file_.Path(); }

    // In the order their keys are read.
    void AddPart(SettingsPart *part) { parts_.push_back(part); }

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
    PageContext &context_;
    core::SettingsFile file_;
    std::vector<SettingsPart *> parts_;
};

} // namespace vantrel::app
