#include "core/settings.h"

#include "core/convert.h"
#include "core/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace vantrel::core {

namespace {

using Values = SettingsValues;

// While the load runs: the file, the keys read so far and those whose value was not taken.
struct Reading {
    const IniFile &ini;
    std::vector<QString> &reached;
    std::vector<QString> &ignored;
    void Mark(const char *section, const char *key) {
        reached.push_back(QLatin1String(section) + QLatin1Char('/') + QLatin1String(key));
    }
    void Ignore(const char *section, const char *key) {
        ignored.push_back(QLatin1String(section) + QLatin1Char('/') + QLatin1String(key));
    }
};

// One key of the file: how the load reads it (a number that does not convert throws, which
// ends the load) and what the save writes (nothing: the key keeps its old value).
struct Key {
    const char *section;
    const char *key;
    void (*load)(Reading &, Values &);
    std::optional<QString> (*save)(const Values &);
    // Read now, but counted as reached only when a later key converts it.
    bool convertedLater = false;
    // Written only when the file has the key already or the value is not the default, so the
    // file of a user who never set it gains no key.
    bool onlyWhenSet = false;
};

const char kSystem[] = "System Info Settings";
const char kOptions[] = "Options";
const char kQuota[] = "Quota";
const char kProgram[] = "Program";
const char kFiles[] = "Files";
const char kHistory[] = "Line history";

QString flagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

std::optional<QString> unlessEmpty(const QString &text) {
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

// The interval of text when monitor offers it.
std::optional<int> offered(Monitor monitor, const QString &text) {
    for (const int value : MonitorIntervals(monitor))
        if (text == QString::number(value))
            return value;
    return std::nullopt;
}

QString number(double value) {
    return QString::fromStdString(core::FloatToStr(value));
}

// A value of the file that is not the number its key holds: the load stops there.
struct BadNumber {
    const char *section;
    const char *key;
    QString text;
    bool integer;
};

// Converts the text a key was read into, naming the key when it is no number.
double floatOf(const char *section, const char *key, const QString &text) {
    try {
        return core::StrToFloat(text.toStdString());
    } catch (const core::ConvertError &) {
        throw BadNumber{section, key, text, false};
    }
}

int integerOf(const char *section, const char *key, const QString &text) {
    try {
        return core::StrToInt(text.toStdString());
    } catch (const core::ConvertError &) {
        throw BadNumber{section, key, text, true};
    }
}

// The value as the message shows it: control characters (a NUL byte too, which would end the
// message) written as \xHH.
QString shown(const QString &text) {
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            out += QStringLiteral("\\x") +
                   QStringLiteral("%1").arg(int(u), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

// The conversion's own message, then where the value stands.
QString badNumberMessage(const BadNumber &bad, const QString &path) {
    return QStringLiteral("'%1' is not a valid %2 value.\nSettings file %3, section [%4], key %5.")
        .arg(shown(bad.text),
             bad.integer ? QStringLiteral("integer") : QStringLiteral("floating point"), path,
             QLatin1String(bad.section), QLatin1String(bad.key));
}

// In the order the load reads them.
#define TEXT(section, key, def, member)                                                            \
    {                                                                                              \
        section, key, [](Reading &r, Values &v) { v.member = r.ini.Read(section, key, def); },     \
            [](const Values &v) -> std::optional<QString> { return v.member; }                     \
    }
#define FLAG(key, member)                                                                          \
    {                                                                                              \
        kOptions, key, [](Reading &r, Values &v) { v.member = r.ini.ReadBool(kOptions, key); },    \
            [](const Values &v) -> std::optional<QString> { return flagText(v.member); }           \
    }
// An interval the monitor does not offer (exactly as its text) leaves the default.
#define INTERVAL(key, member, monitor)                                                             \
    {                                                                                              \
        kOptions, key,                                                                             \
            [](Reading &r, Values &v) {                                                            \
                const std::optional<int> value =                                                   \
                    offered(monitor, r.ini.Read(kOptions, key, QStringLiteral("0")));              \
                if (value)                                                                         \
                    v.member = *value;                                                             \
                else                                                                               \
                    r.Ignore(kOptions, key);                                                       \
            },                                                                                     \
            [](const Values &v) -> std::optional<QString> { return QString::number(v.member); }    \
    }
// A choice of two stored as the words of one and the other (def when the key is missing); a
// text that is not exactly the first word is the second.
#define CHOICE(section, key, member, yes, no, def)                                                 \
    {                                                                                              \
        section, key,                                                                              \
            [](Reading &r, Values &v) {                                                            \
                v.member = r.ini.Read(section, key, QStringLiteral(def)) == QLatin1String(yes);    \
            },                                                                                     \
            [](const Values &v) -> std::optional<QString> {                                        \
                return v.member ? QStringLiteral(yes) : QStringLiteral(no);                        \
            }                                                                                      \
    }

// [Line history]: a value that is not what the key holds gives the default; these keys never
// stop the load.
#define HISTORY_FLAG(key, member, def)                                                             \
    {                                                                                              \
        kHistory, key,                                                                             \
            [](Reading &r, Values &v) { v.member = r.ini.ReadInteger(kHistory, key, def) != 0; },  \
            [](const Values &v) -> std::optional<QString> { return flagText(v.member); }           \
    }
#define HISTORY_INTEGER(key, member, def)                                                          \
    {                                                                                              \
        kHistory, key,                                                                             \
            [](Reading &r, Values &v) { v.member = r.ini.ReadInteger(kHistory, key, def); },       \
            [](const Values &v) -> std::optional<QString> { return QString::number(v.member); }    \
    }

// A choice of the router access: a text that names none of its values keeps the default.
#define ACCESS_CHOICE(key, member, parse, text)                                                    \
    {                                                                                              \
        kSystem, key,                                                                              \
            [](Reading &r, Values &v) {                                                            \
                if (const auto value = parse(r.ini.Read(kSystem, key, {})))                        \
                    v.Access.member = *value;                                                      \
            },                                                                                     \
            [](const Values &v) -> std::optional<QString> { return text(v.Access.member); },       \
            false, true                                                                            \
    }
// A passphrase the file holds; one kept in the secret store is cleared from the file.
#define PASSPHRASE(key, member)                                                                    \
    {                                                                                              \
        kSystem, key,                                                                              \
            [](Reading &r, Values &v) {                                                            \
                v.Access.member = r.ini.Read(kSystem, key, {});                                    \
                v.PassphrasesInFile = v.PassphrasesInFile || !v.Access.member.isEmpty();           \
            },                                                                                     \
            [](const Values &v) -> std::optional<QString> {                                        \
                return v.PassphrasesInFile ? v.Access.member : QString();                          \
            },                                                                                     \
            false, true                                                                            \
    }
// An interface the user chose (its ifIndex); empty or absent: as discovered.
#define INTERFACE_CHOICE(key, member)                                                              \
    {                                                                                              \
        kSystem, key,                                                                              \
            [](Reading &r, Values &v) { v.member = r.ini.Read(kSystem, key, QString()); },         \
            [](const Values &v) { return unlessEmpty(v.member); }                                  \
    }

const Key kKeys[] = {
    {kSystem, "IP",
     [](Reading &r, Values &v) {
         v.Ip = r.ini.Read(kSystem, "IP", QStringLiteral("192.168.1.253"));
         v.IpBytes = r.ini.ReadBytes(kSystem, "IP", "192.168.1.253").toStdString();
     },
     [](const Values &v) -> std::optional<QString> { return v.Ip; }},
    {kSystem, "Community",
     [](Reading &r, Values &v) {
         v.Community = r.ini.Read(kSystem, "Community", QStringLiteral("vormel"));
         v.CommunityBytes = r.ini.ReadBytes(kSystem, "Community", "vormel").toStdString();
     },
     [](const Values &v) -> std::optional<QString> { return v.Community; }},
    ACCESS_CHOICE("Version", version, ParseVersion, VersionText),
    {kSystem, "User",
     [](Reading &r, Values &v) { v.Access.user = r.ini.Read(kSystem, "User", {}); },
     [](const Values &v) -> std::optional<QString> { return v.Access.user; }, false, true},
    ACCESS_CHOICE("Security level", level, ParseLevel, LevelText),
    ACCESS_CHOICE("Auth protocol", auth, ParseAuth, AuthText),
    ACCESS_CHOICE("Privacy protocol", privacy, ParsePrivacy, PrivacyText),
    PASSPHRASE("Auth passphrase", authPassphrase),
    PASSPHRASE("Privacy passphrase", privacyPassphrase),
    INTERFACE_CHOICE("Line interface", LineInterface),
    INTERFACE_CHOICE("WAN interface", WanInterface),
    INTERFACE_CHOICE("LAN interface", LanInterface),
    FLAG("Link logging", LinkLogging),
    INTERVAL("Link check", LinkCheck, Monitor::Connection),
    FLAG("Router status", RouterStatus),
    INTERVAL("Status update", StatusUpdate, Monitor::RouterStatus),
    FLAG("Quota monitor", QuotaMonitor),
    INTERVAL("Quota update", QuotaUpdate, Monitor::Quota),
    FLAG("Interfaces autoupdate", InterfacesAutoupdate),
    INTERVAL("Interfaces update", InterfacesUpdate, Monitor::Interfaces),
    CHOICE(kOptions, "Hide in task bar", HideInTaskBar, "Yes", "No", "Yes"),
    CHOICE(kOptions, "Minimise on startup", MinimiseOnStartup, "Enabled", "Disabled", "Disabled"),
    CHOICE(kOptions, "Prompt on close", PromptOnClose, "Enabled", "Disabled", "Enabled"),
    // Only the exact word for both makes the quota count uploads too.
    {kQuota, "Data",
     [](Reading &r, Values &v) {
         v.DownloadOnly = r.ini.Read(kQuota, "Data", QStringLiteral("DownloadOnly")) !=
                          QLatin1String("DownloadUpload");
     },
     [](const Values &v) -> std::optional<QString> {
         return v.DownloadOnly ? QStringLiteral("DownloadOnly") : QStringLiteral("DownloadUpload");
     }},
    // The two definitions are read into their edit boxes, then converted one after the other;
    // the save writes the definitions in use, not the edit texts.
    {kQuota, "ISP bytes in Gigabyte",
     [](Reading &r, Values &v) {
         v.GigabyteText = r.ini.Read(kQuota, "ISP bytes in Gigabyte", QStringLiteral("1073741824"));
     },
     [](const Values &v) -> std::optional<QString> { return number(v.BytesPerGB); }, true},
    {kQuota, "ISP bytes in Megabyte",
     [](Reading &r, Values &v) {
         v.MegabyteText = r.ini.Read(kQuota, "ISP bytes in Megabyte", QStringLiteral("1048576"));
         v.BytesPerGB = floatOf(kQuota, "ISP bytes in Gigabyte", v.GigabyteText);
         r.Mark(kQuota, "ISP bytes in Gigabyte");
         v.BytesPerMB = floatOf(kQuota, "ISP bytes in Megabyte", v.MegabyteText);
     },
     [](const Values &v) -> std::optional<QString> { return number(v.BytesPerMB); }},
    TEXT(kQuota, "GBQuota", QStringLiteral("0"), GBQuota),
    TEXT(kQuota, "MBUsed", QStringLiteral("0"), MBUsed),
    {kQuota, "Reset day",
     [](Reading &r, Values &v) {
         v.ResetDay =
             integerOf(kQuota, "Reset day", r.ini.Read(kQuota, "Reset day", QStringLiteral("0")));
     },
     [](const Values &v) -> std::optional<QString> { return QString::number(v.ResetDay); }},
    // Written only by the monthly reset, at once.
    {kQuota, "Last reset date",
     [](Reading &r, Values &v) {
         v.LastResetDate = r.ini.Read(kQuota, "Last reset date", QStringLiteral("------"));
     },
     [](const Values &) -> std::optional<QString> { return std::nullopt; }},
    TEXT(kQuota, SavedCounters::kInKey, QString(), Counters.in),
    TEXT(kQuota, SavedCounters::kOutKey, QString(), Counters.out),
    TEXT(kQuota, SavedCounters::kReadingTimeKey, QString(), Counters.readingTime),
    TEXT(kQuota, SavedCounters::kBootTimeKey, QString(), Counters.bootTime),
    TEXT(kQuota, SavedCounters::kDiscontinuityKey, QString(), Counters.discontinuity),
    {kFiles, "Last folder",
     [](Reading &r, Values &v) { v.LastFolder = r.ini.Read(kFiles, "Last folder", QString()); },
     [](const Values &v) { return unlessEmpty(v.LastFolder); }},
    HISTORY_FLAG("Record", RecordHistory, 1),
    HISTORY_INTEGER("Interval", HistoryInterval, 60),
    HISTORY_FLAG("Link alerts", LinkAlerts, 1),
    HISTORY_FLAG("Margin alerts", MarginAlerts, 1),
    {kHistory, "Margin threshold",
     [](Reading &r, Values &v) {
         bool ok = false;
         const double db = r.ini.Read(kHistory, "Margin threshold", QString()).toDouble(&ok);
         v.MarginThreshold = ok && db >= 0 && db <= 30 ? db : 6;
     },
     [](const Values &v) -> std::optional<QString> { return number(v.MarginThreshold); }},
    HISTORY_FLAG("Quota alerts", QuotaAlerts, 1),
    HISTORY_INTEGER("Quota alert level", QuotaAlertLevel, 0),
    HISTORY_FLAG("Router alerts", RouterAlerts, 1),
    HISTORY_FLAG("Serve metrics", ServeMetrics, 0),
    TEXT(kHistory, "Metrics address", QStringLiteral("127.0.0.1"), MetricsAddress),
    HISTORY_INTEGER("Metrics port", MetricsPort, 9463),
};

#undef TEXT
#undef FLAG
#undef INTERVAL
#undef CHOICE
#undef HISTORY_FLAG
#undef HISTORY_INTEGER
#undef ACCESS_CHOICE
#undef PASSPHRASE

bool holds(const IniFile &ini, const Key &k) {
    const QByteArray absent("\x01");
    return ini.ReadBytes(QLatin1String(k.section), QLatin1String(k.key), absent) != absent;
}

QString fullName(const Key &k) {
    return QLatin1String(k.section) + QLatin1Char('/') + QLatin1String(k.key);
}

} // namespace

const std::vector<int> &MonitorIntervals(Monitor monitor) {
    static const std::vector<int> connection = {1, 3, 5, 10, 15, 20, 30};
    static const std::vector<int> status = {1, 5, 10, 30, 60};
    static const std::vector<int> quota = {1, 5, 10, 15, 30, 60};
    static const std::vector<int> interfaces = {5, 10, 15, 20, 30, 60};
    switch (monitor) {
    case Monitor::Connection:
        return connection;
    case Monitor::RouterStatus:
        return status;
    case Monitor::Quota:
        return quota;
    case Monitor::Interfaces:
        break;
    }
    return interfaces;
}

int MonitorIntervalUnitMs(Monitor monitor) {
    return monitor == Monitor::Quota ? 60000 : 1000;
}

bool &SettingsValues::MonitorOn(Monitor monitor) {
    switch (monitor) {
    case Monitor::Connection:
        return LinkLogging;
    case Monitor::RouterStatus:
        return RouterStatus;
    case Monitor::Quota:
        return QuotaMonitor;
    case Monitor::Interfaces:
        break;
    }
    return InterfacesAutoupdate;
}

bool SettingsValues::MonitorOn(Monitor monitor) const {
    return const_cast<SettingsValues &>(*this).MonitorOn(monitor);
}

int &SettingsValues::Interval(Monitor monitor) {
    switch (monitor) {
    case Monitor::Connection:
        return LinkCheck;
    case Monitor::RouterStatus:
        return StatusUpdate;
    case Monitor::Quota:
        return QuotaUpdate;
    case Monitor::Interfaces:
        break;
    }
    return InterfacesUpdate;
}

int SettingsValues::Interval(Monitor monitor) const {
    return const_cast<SettingsValues &>(*this).Interval(monitor);
}

bool SettingsFile::LoadResult::Reached(const char *section, const char *key) const {
    const QString name = QLatin1String(section) + QLatin1Char('/') + QLatin1String(key);
    for (const QString &r : reached)
        if (r == name)
            return true;
    return false;
}

bool SettingsFile::LoadResult::Taken(const char *section, const char *key) const {
    const QString name = QLatin1String(section) + QLatin1Char('/') + QLatin1String(key);
    for (const QString &i : ignored)
        if (i == name)
            return false;
    return Reached(section, key);
}

SettingsFile::LoadResult SettingsFile::Load() {
    LoadResult result;
    IniFile ini;
    // A file that exists but cannot be read gives the defaults, and is never written over.
    unreadable_ = !ini.Load(path_);
    result.unreadable = unreadable_;
    Reading reading{ini, result.reached, result.ignored};
    for (const Key &k : kKeys) {
        try {
            k.load(reading, result.values);
        } catch (const BadNumber &bad) {
            result.error = badNumberMessage(bad, path_);
            break;
        }
        if (!k.convertedLater)
            reading.Mark(k.section, k.key);
    }
    unreached_.clear();
    for (const Key &k : kKeys)
        unreached_.insert(fullName(k));
    for (const QString &r : result.reached)
        unreached_.erase(r);
    atLoad_ = result.values;
    return result;
}

bool SettingsFile::rewrite(const std::function<void(IniFile &)> &edit, QString &reason) const {
    if (unreadable_) {
        reason = QStringLiteral("the file could not be read when the program started");
        return false;
    }
    // Keys and sections of others are kept; everything is written in one replacement at the
    // end, so a failed save leaves the old file whole.
    IniFile ini;
    if (!ini.Load(path_)) {
        reason = QStringLiteral("the file cannot be read");
        return false;
    }
    edit(ini);
    // A file that holds a passphrase is its owner's alone, whatever mode it had: the mode is set
    // before the replacement, which takes it over.
    const QByteArray none;
    if (!ini.ReadBytes(QLatin1String(kSystem), QStringLiteral("Auth passphrase"), none).isEmpty() ||
        !ini.ReadBytes(QLatin1String(kSystem), QStringLiteral("Privacy passphrase"), none)
             .isEmpty())
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return ini.Save(path_, &reason);
}

bool SettingsFile::Save(const SettingsValues &values, const ProgramRecord &program,
                        QString &reason) {
    return rewrite(
        [&](IniFile &ini) {
            ini.Write(QLatin1String(kProgram), QStringLiteral("Name"), program.name);
            ini.Write(QLatin1String(kProgram), QStringLiteral("Copyright"), program.copyright);
            ini.Write(QLatin1String(kProgram), QStringLiteral("Version"), program.version);
            ini.Write(QLatin1String(kProgram), QStringLiteral("Last used"), values.LastUsed);
            for (const Key &k : kKeys) {
                const std::optional<QString> text = k.save(values);
                if (!text)
                    continue;
                // A key the load never reached (it stopped before, or the file could not give
                // it) keeps the file's text, unless the user has changed the value since.
                if (unreached_.count(fullName(k)) != 0 && k.save(atLoad_) == text)
                    continue;
                if (k.onlyWhenSet && !holds(ini, k) && k.save(SettingsValues()) == text)
                    continue;
                ini.Write(QLatin1String(k.section), QLatin1String(k.key), *text);
            }
        },
        reason);
}

bool SettingsFile::WriteLastResetDate(const QString &date, QString &reason) {
    return rewrite(
        [&](IniFile &ini) {
            ini.Write(QLatin1String(kQuota), QStringLiteral("Last reset date"), date);
        },
        reason);
}

} // namespace vantrel::core
