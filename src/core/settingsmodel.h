#pragma once

#include "core/settings.h"

#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace vantrel::core {

// What a change of the settings was about.
enum class Setting {
    Target,        // the router's address and community
    MonitorSwitch, // a monitor switched on or off (monitor says which)
    MonitorInterval,
    HideInTaskBar,
    MinimiseOnStartup,
    PromptOnClose,
    Allowance, // the allowance as typed ("GBQuota")
    Access,    // the SNMP version and v3 security
};

// The program's options as one typed object, read from the settings file at start-up and
// written back at close. The menus, the System page's target and the Quota page's allowance
// write their changes here, and the parts that act on them (the timers, the router, the tray,
// the close) read them here. The parts that keep state of their own (the quota account, the
// line history's recorder, alerts and metrics, the save dialog's folder) take their values at
// the load and give them back at the save.
class SettingsModel : public QObject {
    Q_OBJECT
public:
    explicit SettingsModel(QString path, QObject *parent = nullptr);

    const SettingsValues &Values() const { return values_; }
    const QString &Path() const { return file_.Path(); }
    bool Unreadable() const { return file_.Unreadable(); }

    // Reads the file. Every key the load reached is taken (an interval a monitor does not
    // offer leaves the one in use) and told by changed; the result tells the rest.
    SettingsFile::LoadResult Load();

    // The router's address and community as typed; while a text is unchanged, the bytes it was
    // read from go to the router.
    void SetTarget(const QString &ip, const QString &community);
    std::string HostBytes() const;
    std::string CommunityBytes() const;

    // The SNMP version and v3 security; passphrasesInFile: the settings file keeps the
    // passphrases (else the secret store does, and the file's are cleared at the next write).
    void SetAccess(const RouterAccess &access, bool passphrasesInFile);
    const RouterAccess &Access() const { return values_.Access; }

    void SetMonitor(Monitor monitor, bool on);
    void SetInterval(Monitor monitor, int interval);
    void SetHideInTaskBar(bool hide);
    void SetMinimiseOnStartup(bool minimise);
    void SetPromptOnClose(bool prompt);
    void SetAllowanceText(const QString &gigabytes);
    // The interfaces the user chose in the chooser (ifIndex texts; "" as discovered). The next
    // System read takes them.
    void SetInterfaceChoice(const QString &line, const QString &wan, const QString &lan);

    // Writes every key in one replacement of the file; collect first puts in the values kept
    // elsewhere. False with the system's reason when it could not be written.
    bool Save(const std::function<void(SettingsValues &)> &collect, const ProgramRecord &program,
              QString &reason);
    // The monthly reset's own write: only [Quota] "Last reset date".
    bool WriteLastResetDate(const QString &date, QString &reason);

signals:
    // monitor: which monitor, for MonitorSwitch and MonitorInterval.
    void changed(vantrel::core::Setting setting, vantrel::core::Monitor monitor);

private:
    void tell(Setting setting, Monitor monitor = Monitor::Connection) {
        emit changed(setting, monitor);
    }

    SettingsFile file_;
    SettingsValues values_;
};

} // namespace vantrel::core
