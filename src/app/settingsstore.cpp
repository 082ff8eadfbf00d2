#include "settingsstore.h"

#include "core/inifile.h"
#include "core/regional.h"
#include "fileversion.h"
#include "mainform.h"
#include "menugroups.h"
#include "snmp/convert.h"
#include "systempage.h"
#include "widgets.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <cmath>

using namespace vantrel::core;

using namespace vantrel::snmp;

const char *const SettingsStore::CopyrightNotice = "Copyright (C) 2026 Vantrel developers";

namespace {

const QString kSystem = QStringLiteral("System Info Settings");
const QString kOptions = QStringLiteral("Options");
const QString kQuota = QStringLiteral("Quota");
const QString kProgram = QStringLiteral("Program");

// The close-time "MBUsed" comes from the quota account once the quota page keeps one (its
// "Calculate" and close-time refresh); until then the value read at start-up is written back.
constexpr bool kMBUsedFromAccount = false;

QString latin(const char *text) {
    return QString::fromLatin1(text);
}

// Checks one of a pair of radio buttons; the other is unchecked whether or not they share a
// group.
void checkOneOf(QRadioButton *chosen, QRadioButton *other) {
    chosen->setChecked(true);
    other->setChecked(false);
}

// A byte amount in megabytes with the ".0000" pattern: four decimals and no digit before the
// point below one. The point is always ".", the separator the number conversions read back.
QString megabytes(double bytes, double bytesPerMB) {
    const double mb = bytes / bytesPerMB;
    QString text = QString::number(std::fabs(mb), 'f', 4);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    if (mb < 0 && text != QLatin1String(".0000"))
        text.prepend(QLatin1Char('-'));
    return text;
}

} // namespace

QString SettingsStore::DefaultPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return dir + QLatin1Char('/') + base + QStringLiteral(".ini");
}

QString SettingsStore::Path() const {
    const QString &path = form_.services().settingsPath;
    return path.isEmpty() ? DefaultPath() : path;
}

void SettingsStore::Load() {
    // State of the run that does not come from the file.
    form_.WanLinkUp = true;
    form_.LinkLogUnsaved = false;
    InterfaceMap &map = form_.Interfaces;
    map.LanRow = map.WanRow = map.UsbRow = map.BridgeRow = "0";
    form_.TrayLightState = "------";
    form_.RestoreOnShow = true;

    IniFile ini;
    ini.Load(Path()); // an unreadable file reads as an empty one: every key its default

    form_.Edit("IPaddress_Edit")
        ->setText(ini.Read(kSystem, QStringLiteral("IP"), latin(SystemPage::DefaultHost)));
    form_.Edit("community_edit")
        ->setText(
            ini.Read(kSystem, QStringLiteral("Community"), latin(SystemPage::DefaultCommunity)));

    // A stored interval outside its menu changes nothing: the window's own interval and
    // checked item stay.
    for (const MonitorMenu &menu : MonitorMenus()) {
        QTimer *timer = form_.Timer(menu.timer);
        const bool enabled = ini.ReadBool(kOptions, latin(menu.enabledKey));
        form_.Action(menu.toggle)->setChecked(enabled);
        if (enabled)
            SetTimerEnabled(timer, true);
        const QString stored = ini.Read(kOptions, latin(menu.intervalKey), QStringLiteral("0"));
        for (const IntervalItem &item : menu.items)
            if (stored == QString::number(item.value)) {
                form_.Action(item.action)->setChecked(true);
                timer->setInterval(item.value * menu.unitMs);
                break;
            }
    }

    // The two-word keys compare exactly: "yes" is not "Yes".
    const bool hide = ini.Read(kOptions, QStringLiteral("Hide in task bar"),
                               QStringLiteral("Yes")) == QLatin1String("Yes");
    form_.Action("HideFromTaskBar")->setChecked(hide);
    form_.Action("ShowInTaskBar")->setChecked(!hide);
    const bool minimise = ini.Read(kOptions, QStringLiteral("Minimise on startup"),
                                   QStringLiteral("Disabled")) == QLatin1String("Enabled");
    form_.Action(minimise ? "MinimiseEnabled" : "MinimiseDisabled")->setChecked(true);
    const bool prompt = ini.Read(kOptions, QStringLiteral("Prompt on close"),
                                 QStringLiteral("Enabled")) == QLatin1String("Enabled");
    form_.Action(prompt ? "ClosePromptEnabled" : "ClosePromptDisabled")->setChecked(true);

    auto *down = form_.Control<QRadioButton>("Down_RBut");
    auto *downUp = form_.Control<QRadioButton>("DownUp_RBut");
    if (ini.Read(kQuota, QStringLiteral("Data"), QStringLiteral("DownloadOnly")) ==
        QLatin1String("DownloadUpload"))
        checkOneOf(downUp, down);
    else
        checkOneOf(down, downUp);

    QLineEdit *gbytes = form_.Edit("Gbytes_Edit");
    QLineEdit *mbytes = form_.Edit("MBytes_Edit");
    gbytes->setText(
        ini.Read(kQuota, QStringLiteral("ISP bytes in Gigabyte"), QStringLiteral("1073741824")));
    mbytes->setText(
        ini.Read(kQuota, QStringLiteral("ISP bytes in Megabyte"), QStringLiteral("1048576")));
    // A text that is no number ends the load here, with the conversion error.
    form_.Quota.BytesPerGB = StrToFloat(gbytes->text().toStdString());
    form_.Quota.BytesPerMB = StrToFloat(mbytes->text().toStdString());

    form_.Edit("GBQuota_Edit")
        ->setText(ini.Read(kQuota, QStringLiteral("GBQuota"), QStringLiteral("0")));
    mbUsedAtLoad_ = ini.Read(kQuota, QStringLiteral("MBUsed"), QStringLiteral("0"));
    form_.Edit("MBUsed_Edit")->setText(mbUsedAtLoad_);

    const int day =
        StrToInt(ini.Read(kQuota, QStringLiteral("Reset day"), QStringLiteral("0")).toStdString());
    auto *upDown = form_.Control<QSpinBox>("Day_UpDn");
    upDown->setValue(day); // held within 0 to 31
    form_.Edit("ResetDay_Edit")->setText(QString::number(upDown->value()));

    QLabel *lastReset = form_.Label("LastResetDate_Label");
    lastReset->setText(
        ini.Read(kQuota, QStringLiteral("Last reset date"), QStringLiteral("------")));
    form_.ResetDoneToday = lastReset->text() == ShortDateText(form_.Now().date());

    // The first queries: their failures are shown by them, and the load goes on.
    form_.Run([this] { form_.systemPage().GenSysInfoClick(); });
    // The quota baseline "Calculate" comes with the quota page's account:
    // form_.Run([this] { form_.quotaPage().CalcQuota_ButClick(); });

    // Starting in the tray when "Minimise on startup" is enabled comes with the tray.
}

bool SettingsStore::Save() {
    const QString path = Path();
    // Keys and sections of others are kept; everything is written in one replacement at the
    // end, so a failed or interrupted save leaves the old file whole.
    IniFile ini;
    ini.Load(path);

    ini.Write(kProgram, QStringLiteral("Name"), QStringLiteral("Vantrel"));
    ini.Write(kProgram, QStringLiteral("Copyright"), latin(CopyrightNotice));
    ini.Write(kProgram, QStringLiteral("Version"), RunningVersionText());
    ini.Write(kProgram, QStringLiteral("Last used"), DateTimeText(form_.Now()));

    ini.Write(kSystem, QStringLiteral("IP"), form_.Edit("IPaddress_Edit")->text());
    ini.Write(kSystem, QStringLiteral("Community"), form_.Edit("community_edit")->text());

    auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    for (const MonitorMenu &menu : MonitorMenus()) {
        ini.Write(kOptions, latin(menu.enabledKey), flag(form_.Action(menu.toggle)->isChecked()));
        // With no item checked the key keeps its old value.
        for (const IntervalItem &item : menu.items)
            if (form_.Action(item.action)->isChecked()) {
                ini.Write(kOptions, latin(menu.intervalKey), QString::number(item.value));
                break;
            }
    }
    ini.Write(kOptions, QStringLiteral("Hide in task bar"),
              form_.Action("HideFromTaskBar")->isChecked() ? QStringLiteral("Yes")
                                                           : QStringLiteral("No"));
    ini.Write(kOptions, QStringLiteral("Minimise on startup"),
              form_.Action("MinimiseEnabled")->isChecked() ? QStringLiteral("Enabled")
                                                           : QStringLiteral("Disabled"));
    ini.Write(kOptions, QStringLiteral("Prompt on close"),
              form_.Action("ClosePromptEnabled")->isChecked() ? QStringLiteral("Enabled")
                                                              : QStringLiteral("Disabled"));

    const bool downloadOnly = form_.Control<QRadioButton>("Down_RBut")->isChecked();
    ini.Write(kQuota, QStringLiteral("Data"),
              downloadOnly ? QStringLiteral("DownloadOnly") : QStringLiteral("DownloadUpload"));
    // The definitions in use, not the edit texts, which may not have been applied.
    ini.Write(kQuota, QStringLiteral("ISP bytes in Gigabyte"),
              QString::fromStdString(FloatToStr(form_.Quota.BytesPerGB)));
    ini.Write(kQuota, QStringLiteral("ISP bytes in Megabyte"),
              QString::fromStdString(FloatToStr(form_.Quota.BytesPerMB)));
    ini.Write(kQuota, QStringLiteral("GBQuota"), form_.Edit("GBQuota_Edit")->text());
    ini.Write(kQuota, QStringLiteral("Reset day"), form_.Edit("ResetDay_Edit")->text());

    // The close-time quota refresh comes with the quota page's account:
    // form_.Run([this] { form_.quotaPage().QuotaClick(Trigger::MainWindow); });
    QString used;
    if (kMBUsedFromAccount)
        used = UsedMegabytesText(form_.Quota, downloadOnly);
    ini.Write(kQuota, QStringLiteral("MBUsed"), used.isEmpty() ? mbUsedAtLoad_ : used);

    if (!ini.Save(path)) {
        form_.ReportError(QStringLiteral("Unable to write to ") + path);
        return false;
    }
    return true;
}

bool SettingsStore::WriteLastResetDate(const QString &date) {
    const QString path = Path();
    IniFile ini;
    ini.Load(path);
    ini.Write(kQuota, QStringLiteral("Last reset date"), date);
    return ini.Save(path);
}

QString SettingsStore::UsedMegabytesText(const QuotaAccount &account, bool downloadOnly) {
    // A failed last reading leaves zero in InOctetsNow; the figure would then drop the data used
    // since the baseline, so the stored value stays instead.
    if (!(account.QuotaBytes > 0) || !(account.InOctetsNow > 0) || !(account.BytesPerMB > 0))
        return QString();
    const QuotaAccount &a = account;
    const double used = downloadOnly ? a.InOctetsNow + a.UsedAtCalcBytes - a.InOctetsBase
                                     : a.InOctetsNow + a.OutOctetsNow + a.UsedAtCalcBytes -
                                           a.InOctetsBase - a.OutOctetsBase;
    if (!std::isfinite(used))
        return QString();
    // The amount passes through its text form (15 significant digits), as the page shows it.
    return megabytes(StrToFloat(FloatToStr(used)), account.BytesPerMB);
}
