#pragma once
// The settings file: one table of keys drives both the load at start-up and the save at close.

#include "core/routeraccess.h"
#include "core/savedcounters.h"

#include <QString>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vantrel::core {

class IniFile;

// The four monitors of the Options menu, each with a switch and an interval.
enum class Monitor { Connection, RouterStatus, Quota, Interfaces };
constexpr Monitor Monitors[] = {Monitor::Connection, Monitor::RouterStatus, Monitor::Quota,
                                Monitor::Interfaces};
// The intervals a monitor offers, in its unit (seconds; minutes for the quota), in order.
const std::vector<int> &MonitorIntervals(Monitor monitor);
// Milliseconds per unit of a monitor's interval.
int MonitorIntervalUnitMs(Monitor monitor);

// Every stored value of the program as it is held between load and save, typed: the table of
// keys reads and writes the file's texts.
struct SettingsValues {
    // [System Info Settings]
    QString Ip = QStringLiteral("192.168.1.253");
    QString Community = QStringLiteral("vormel");
    // The bytes the two were read from: the router gets these while the texts are unchanged.
    std::string IpBytes;
    std::string CommunityBytes;
    // The SNMP version and v3 security ("Version", "User", "Security level", "Auth protocol",
    // "Privacy protocol"); the passphrases only when the file holds them ("Auth passphrase",
    // "Privacy passphrase"), else they come from the desktop's secret store.
    RouterAccess Access;
    // The file keeps the passphrases (in plain text: every write makes it private to its owner).
    bool PassphrasesInFile = false;
    // The user's choice of the line, WAN and LAN interface (an ifIndex; "" as discovered).
    QString LineInterface;
    QString WanInterface;
    QString LanInterface;
    // [Options]: each monitor's switch and interval (an interval the monitor does not offer
    // is not taken: the default stays)
    bool LinkLogging = false;
    int LinkCheck = 15; // seconds
    bool RouterStatus = false;
    int StatusUpdate = 1; // seconds
    bool QuotaMonitor = false;
    int QuotaUpdate = 15; // minutes
    bool InterfacesAutoupdate = false;
    int InterfacesUpdate = 5; // seconds
    // Before the load, as the window's menus start (the file's defaults are "Yes",
    // "Disabled" and "Enabled").
    bool HideInTaskBar = true;     // "Yes"
    bool MinimiseOnStartup = true; // "Enabled"
    bool PromptOnClose = false;    // "Enabled"
    // [Quota]
    bool DownloadOnly = true;                            // "DownloadOnly", else "DownloadUpload"
    QString GigabyteText = QStringLiteral("1073741824"); // as the edit box shows it
    QString MegabyteText = QStringLiteral("1048576");
    double BytesPerGB = 0; // the definitions in use; written instead of the texts
    double BytesPerMB = 0;
    QString GBQuota = QStringLiteral("0");
    QString MBUsed = QStringLiteral("0");
    int ResetDay = 0;
    QString LastResetDate = QStringLiteral("------");
    SavedCounters::Texts Counters; // the WAN counters the used amount was counted to
    // [Files]: where the save and print dialogs open (our own key; "" until a file was saved)
    QString LastFolder;
    // [Program], written only
    QString LastUsed;
    // [Line history]: the recorder, the alerts and the metrics endpoint
    bool RecordHistory = true;
    int HistoryInterval = 60; // seconds: 30, 60, 300 or 900
    bool LinkAlerts = true;
    bool MarginAlerts = true;
    double MarginThreshold = 6; // dB
    bool QuotaAlerts = true;
    int QuotaAlertLevel = 0;  // the highest quota level told in this quota cycle
    bool RouterAlerts = true; // the router stops answering, and answers again
    bool ServeMetrics = false;
    QString MetricsAddress = QStringLiteral("127.0.0.1");
    int MetricsPort = 9463;

    // A monitor's switch and interval.
    bool &MonitorOn(Monitor monitor);
    bool MonitorOn(Monitor monitor) const;
    int &Interval(Monitor monitor);
    int Interval(Monitor monitor) const;
};

// What [Program] says about the program that wrote the file.
struct ProgramRecord {
    QString name;
    QString copyright;
    QString version;
};

class SettingsFile {
public:
    explicit SettingsFile(QString path) : path_(std::move(path)) {}
    const QString &Path() const { return path_; }

    struct LoadResult {
        SettingsValues values;
        // The file exists but cannot be read: defaults are used and the file is never
        // written over.
        bool unreadable = false;
        // The conversion error that stopped the load ("'x' is not a valid integer value");
        // the keys after it keep their defaults.
        QString error;
        // Keys read, as "Section/Key", in order (the window applies only these).
        std::vector<QString> reached;
        bool Reached(const char *section, const char *key) const;
        // Keys read whose value was not taken (an interval the monitor does not offer).
        std::vector<QString> ignored;
        // Read and taken.
        bool Taken(const char *section, const char *key) const;
    };
    // Reads every key in order, stopping at a number that does not convert.
    LoadResult Load();

    // Writes every key in one replacement of the file, keeping the sections and keys of others.
    // A key the load did not reach keeps the file's text unless its value changed since.
    // False, with the system's reason, when the file could not be written (the old one stays
    // whole) or must not be (it could not be read at start-up).
    bool Save(const SettingsValues &values, const ProgramRecord &program, QString &reason);

    // The monthly reset's own write: only [Quota] "Last reset date".
    bool WriteLastResetDate(const QString &date, QString &reason);

    bool Unreadable() const { return unreadable_; }

private:
    // Loads the file, lets edit change it and writes it back in one replacement.
    bool rewrite(const std::function<void(IniFile &)> &edit, QString &reason) const;

    QString path_;
    bool unreadable_ = false;
    std::set<QString> unreached_; // "Section/Key" not reached by the load
    SettingsValues atLoad_;       // the values as the load left them
};

} // namespace vantrel::core
