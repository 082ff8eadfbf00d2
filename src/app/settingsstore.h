#pragma once

#include <QString>

class MainForm;
struct QuotaAccount;

// The settings file: read once while the window is created, written on every confirmed close.
class SettingsStore {
public:
    static const char *const CopyrightNotice;

    explicit SettingsStore(MainForm &form) : form_(form) {}
    // $XDG_CONFIG_HOME/<executable base name>.ini
    static QString DefaultPath();
    // The file this window reads and writes.
    QString Path() const;

    // Reads every key into the window, then runs the first System query and "Calculate". A
    // number key that does not convert throws ConvertError and ends the load there, before
    // any query.
    void Load();
    // Writes every key in one atomic replacement of the file, keeping keys it does not know;
    // false (after the error box) when the file could not be written.
    bool Save();
    // The monthly reset's own write: only [Quota] "Last reset date"; false when it failed.
    bool WriteLastResetDate(const QString &date);

    // "MBUsed" as the account has it: megabytes used so far with four decimals, or an empty
    // text when the account has no good figure (no successful "Calculate" with a quota, or a
    // failed last reading, which leaves zero in InOctetsNow), so the stored value is kept.
    static QString UsedMegabytesText(const QuotaAccount &account, bool downloadOnly);

private:
    MainForm &form_;
    QString mbUsedAtLoad_ = QStringLiteral("0"); // "MBUsed" as read at start-up
};
