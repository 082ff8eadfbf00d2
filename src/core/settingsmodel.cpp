#include "core/settingsmodel.h"

#include "core/bytetext.h"

namespace vantrel::core {

namespace {

const char kSystem[] = "System Info Settings";
const char kOptions[] = "Options";
const char kQuota[] = "Quota";

// The keys of each monitor's switch and interval.
struct MonitorKeys {
    Monitor monitor;
    const char *enabled;
    const char *interval;
};
const MonitorKeys kMonitorKeys[] = {
    {Monitor::Connection, "Link logging", "Link check"},
    {Monitor::RouterStatus, "Router status", "Status update"},
    {Monitor::Quota, "Quota monitor", "Quota update"},
    {Monitor::Interfaces, "Interfaces autoupdate", "Interfaces update"},
};

} // namespace

SettingsModel::SettingsModel(QString path, QObject *parent)
    : QObject(parent), file_(std::move(path)) {}

SettingsFile::LoadResult SettingsModel::Load() {
    SettingsFile::LoadResult loaded = file_.Load();
    const SettingsValues &v = loaded.values;
    bool target = false;
    if (loaded.Reached(kSystem, "IP")) {
        values_.Ip = v.Ip;
        values_.IpBytes = v.IpBytes;
        target = true;
    }
    if (loaded.Reached(kSystem, "Community")) {
        values_.Community = v.Community;
        values_.CommunityBytes = v.CommunityBytes;
        target = true;
    }
    if (target)
        tell(Setting::Target);
    if (loaded.Reached(kSystem, "Version")) {
        values_.Access = v.Access;
        values_.PassphrasesInFile = v.PassphrasesInFile;
        tell(Setting::Access);
    }
    for (const MonitorKeys &keys : kMonitorKeys) {
        if (loaded.Reached(kOptions, keys.enabled)) {
            values_.MonitorOn(keys.monitor) = v.MonitorOn(keys.monitor);
            tell(Setting::MonitorSwitch, keys.monitor);
        }
        if (loaded.Taken(kOptions, keys.interval)) {
            values_.Interval(keys.monitor) = v.Interval(keys.monitor);
            tell(Setting::MonitorInterval, keys.monitor);
        }
    }
    const struct {
        const char *key;
        bool SettingsValues::*member;
        Setting setting;
    } choices[] = {
        {"Hide in task bar", &SettingsValues::HideInTaskBar, Setting::HideInTaskBar},
        {"Minimise on startup", &SettingsValues::MinimiseOnStartup, Setting::MinimiseOnStartup},
        {"Prompt on close", &SettingsValues::PromptOnClose, Setting::PromptOnClose},
    };
    for (const auto &choice : choices)
        if (loaded.Reached(kOptions, choice.key)) {
            values_.*choice.member = v.*choice.member;
            tell(choice.setting);
        }
    if (loaded.Reached(kQuota, "GBQuota")) {
        values_.GBQuota = v.GBQuota;
        tell(Setting::Allowance);
    }
    return loaded;
}

void SettingsModel::SetTarget(const QString &ip, const QString &community) {
    if (ip == values_.Ip && community == values_.Community)
        return;
    values_.Ip = ip;
    values_.Community = community;
    tell(Setting::Target);
}

std::string SettingsModel::HostBytes() const {
    return UserBytes(values_.Ip, values_.IpBytes);
}

std::string SettingsModel::CommunityBytes() const {
    return UserBytes(values_.Community, values_.CommunityBytes);
}

void SettingsModel::SetAccess(const RouterAccess &access, bool passphrasesInFile) {
    if (access == values_.Access && passphrasesInFile == values_.PassphrasesInFile)
        return;
    values_.Access = access;
    values_.PassphrasesInFile = passphrasesInFile;
    tell(Setting::Access);
}

void SettingsModel::SetMonitor(Monitor monitor, bool on) {
    values_.MonitorOn(monitor) = on;
    tell(Setting::MonitorSwitch, monitor);
}

void SettingsModel::SetInterval(Monitor monitor, int interval) {
    values_.Interval(monitor) = interval;
    tell(Setting::MonitorInterval, monitor);
}

void SettingsModel::SetHideInTaskBar(bool hide) {
    values_.HideInTaskBar = hide;
    tell(Setting::HideInTaskBar);
}

void SettingsModel::SetMinimiseOnStartup(bool minimise) {
    values_.MinimiseOnStartup = minimise;
    tell(Setting::MinimiseOnStartup);
}

void SettingsModel::SetPromptOnClose(bool prompt) {
    values_.PromptOnClose = prompt;
    tell(Setting::PromptOnClose);
}

void SettingsModel::SetAllowanceText(const QString &gigabytes) {
    if (gigabytes == values_.GBQuota)
        return;
    values_.GBQuota = gigabytes;
    tell(Setting::Allowance);
}

void SettingsModel::SetInterfaceChoice(const QString &line, const QString &wan,
                                       const QString &lan) {
    values_.LineInterface = line;
    values_.WanInterface = wan;
    values_.LanInterface = lan;
}

bool SettingsModel::Save(const std::function<void(SettingsValues &)> &collect,
                         const ProgramRecord &program, QString &reason) {
    if (collect)
        collect(values_);
    return file_.Save(values_, program, reason);
}

bool SettingsModel::WriteLastResetDate(const QString &date, QString &reason) {
    values_.LastResetDate = date;
    return file_.WriteLastResetDate(date, reason);
}

} // namespace vantrel::core
