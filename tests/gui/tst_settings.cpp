// The settings file as the window reads it at creation and writes it on a confirmed close:
// defaults, the menu groups and their timers, the exact two-word keys, conversion errors that
// end the load before any query, the reset date, and saves that keep what they do not know and
// never damage the file.

#include "app/mainform.h"
#include "app/settingsstore.h"
#include "core/inifile.h"
#include "core/quota.h"
#include "core/quotamodel.h"
#include "core/regional.h"
#include "formfixture.h"
#include "readonlyfolder.h"

#include <QDir>
#include <QFile>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using namespace vantrel;
using namespace vantrel::app;

using namespace vantrel::core;

using namespace vantrel::snmp;
using namespace vantrel::tools;
using namespace vantrel::ui;

namespace {

const QString kOptions = QStringLiteral("Options");
const QString kQuota = QStringLiteral("Quota");

// A settings file naming the test's agent, with more lines after the address.
QString withAgent(const FormFixture &f, const QString &more = QString()) {
    return f.DefaultSettings() + more;
}

IniFile savedFile(const FormFixture &f) {
    IniFile ini;
    ini.Load(f.SettingsPath());
    return ini;
}

QString latin(const char *text) {
    return QString::fromLatin1(text);
}

// The four monitor menus as a user meets them: the stored keys, the switch, the timer and the
// interval items with their stored numbers.
struct MenuCase {
    const char *enabledKey;
    const char *intervalKey;
    const char *toggle;
    const char *timer;
    int unitMs;
    QList<QPair<const char *, int>> items;
};
const QList<MenuCase> &menuCases() {
    static const QList<MenuCase> cases = {
        {"Link logging",
         "Link check",
         "Recordlog",
         "Connect_Timer",
         1000,
         {{"N1secondinterval1", 1},
          {"N3secondinterval1", 3},
          {"N5secondinterval1", 5},
          {"N10secondinterval1", 10},
          {"N15secondinterval1", 15},
          {"N20secondinterval1", 20},
          {"N30secondinterval1", 30}}},
        {"Router status",
         "Status update",
         "Realtimeupdating",
         "RouterStatus_Timer",
         1000,
         {{"N1secondupdate1", 1},
          {"N5secondupdate1", 5},
          {"N10secondupdate1", 10},
          {"N30secondupdate1", 30},
          {"N60secondupdate1", 60}}},
        {"Quota monitor",
         "Quota update",
         "MonitorQuota",
         "Quota_Timer",
         60000,
         {{"N1minuteupdate1", 1},
          {"N5minuteupdate1", 5},
          {"N10minuteupdate1", 10},
          {"N15minuteupdate1", 15},
          {"N30minuteupdate1", 30},
          {"N60minuteupdate1", 60}}},
        {"Interfaces autoupdate",
         "Interfaces update",
         "DisplayInRealTime",
         "Interfaces_Timer",
         1000,
         {{"N5SecondUpdate", 5},
          {"N10SecondUpdate", 10},
          {"N15SecondUpdate", 15},
          {"N20SecondUpdate", 20},
          {"N30SecondUpdate", 30},
          {"N60SecondUpdate", 60}}},
    };
    return cases;
}

const MenuCase &menuByKey(const QString &intervalKey) {
    for (const MenuCase &menu : menuCases())
        if (intervalKey == QLatin1String(menu.intervalKey))
            return menu;
    throw std::logic_error("no such menu");
}

// The one checked item of a menu's interval group, by name; "" when none.
QString checkedItem(MainForm &form, const MenuCase &menu) {
    QString checked;
    for (const auto &item : menu.items)
        if (Action(form, item.first)->isChecked())
            checked += latin(item.first);
    return checked;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {}

    void firstRunDefaults();
    void intervalRoundTrip_data();
    void intervalRoundTrip();
    void intervalOutsideList_data();
    void intervalOutsideList();
    void twoWordKeys_data();
    void twoWordKeys();
    void conversionErrorEndsLoad_data();
    void conversionErrorEndsLoad();
    void resetDay_data();
    void resetDay();
    void lastResetDate_data();
    void lastResetDate();
    void byteDefinitionsSavedFromAccount_data();
    void byteDefinitionsSavedFromAccount();
    void mbUsedKeptUntilAccountHasFigure();
    void unknownKeysSurviveSave();
    void readOnlyFolderKeepsWindowAndFile();
    void unreadableFileIsNeverWrittenOver();
    void keysTheLoadNeverReachedKeepTheirText();
    void missingFolderIsMade();
    void bytesThatAreNotUtf8SurviveAndReachTheRouter();
    void closeSequence_data();
    void closeSequence();
};

void TestSettings::firstRunDefaults() {
    FormFixture f;
    const QString closed = FormFixture::ClosedPort();
    f.WriteSettings(QStringLiteral("[System Info Settings]\nIP=%1\n").arg(closed));
    MainForm &form = f.Create();

    QCOMPARE(Edit(form, "community_edit")->text(), QStringLiteral("vormel"));
    QVERIFY(Action(form, "HideFromTaskBar")->isChecked());
    QVERIFY(!Action(form, "ShowInTaskBar")->isChecked());
    QVERIFY(Action(form, "ClosePromptEnabled")->isChecked());
    QVERIFY(!Action(form, "ClosePromptDisabled")->isChecked());
    QVERIFY(Action(form, "MinimiseDisabled")->isChecked());
    QVERIFY(!Action(form, "MinimiseEnabled")->isChecked());
    const struct {
        const char *key;
        const char *item;
        int interval;
    } builtIn[] = {{"Link check", "N15secondinterval1", 15000},
                   {"Status update", "N1secondupdate1", 1000},
                   {"Quota update", "N15minuteupdate1", 60000},
                   {"Interfaces update", "N5SecondUpdate", 60000}};
    for (const auto &b : builtIn) {
        const MenuCase &menu = menuByKey(latin(b.key));
        QVERIFY2(!Action(form, menu.toggle)->isChecked(), menu.toggle);
        QVERIFY2(!Timer(form, menu.timer)->isActive(), menu.timer);
        QCOMPARE(Timer(form, menu.timer)->interval(), b.interval);
        QCOMPARE(checkedItem(form, menu), latin(b.item));
    }
    QVERIFY(Find<QRadioButton>(form, "Down_RBut")->isChecked());
    QCOMPARE(Edit(form, "Gbytes_Edit")->text(), QStringLiteral("1073741824"));
    QCOMPARE(PartsOf(form).Account().Account().BytesPerGB, 1073741824.0);
    QCOMPARE(PartsOf(form).Account().Account().BytesPerMB, 1048576.0);
    QCOMPARE(Label(form, "LastResetDate_Label")->text(), QStringLiteral("------"));
    QVERIFY(!PartsOf(form).Account().ResetDoneToday());
    QCOMPARE(f.prompter.Texts(QStringLiteral("error")), QStringList());

    // A confirmed close writes every key, in its section, in the order the save takes them.
    f.prompter.confirmAnswers << true;
    QVERIFY(form.FormCloseQuery());
    const QString expected =
        QStringLiteral("[System Info Settings]\nIP=%1\nCommunity=vormel\n"
                       "[Program]\nName=Vantrel\nCopyright=Copyright (C) The Vantrel developers\n"
                       "Version=" VANTREL_PROJECT_VERSION "\nLast used=%2\n"
                       "[Options]\nLink logging=0\nLink check=15\nRouter status=0\n"
                       "Status update=1\nQuota monitor=0\nQuota update=15\n"
                       "Interfaces autoupdate=0\nInterfaces update=5\nHide in task bar=Yes\n"
                       "Minimise on startup=Disabled\nPrompt on close=Enabled\n"
                       "[Quota]\nData=DownloadOnly\nISP bytes in Gigabyte=1073741824\n"
                       "ISP bytes in Megabyte=1048576\nGBQuota=0\nMBUsed=0\nReset day=0\n"
                       "Last in octets=\nLast out octets=\nLast reading time=\n"
                       "Router boot time=\nCounter discontinuity time=\n"
                       "[Line history]\nRecord=1\nInterval=60\nLink alerts=1\nMargin alerts=1\n"
                       "Margin threshold=6\nQuota alerts=1\nQuota alert level=0\nRouter alerts=1\n"
                       "Serve metrics=0\nMetrics address=127.0.0.1\nMetrics port=9463\n")
            .arg(closed, DateTimeText(f.clock.Now()));
    QCOMPARE(f.ReadSettings(), expected);
}

void TestSettings::intervalRoundTrip_data() {
    QTest::addColumn<QString>("intervalKey");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("enabled");
    bool enabled = true;
    for (const MenuCase &menu : menuCases())
        for (const auto &item : menu.items) {
            QTest::addRow("%s %d%s", menu.intervalKey, item.second, enabled ? " on" : "")
                << latin(menu.intervalKey) << item.second << enabled;
            enabled = !enabled;
        }
}

void TestSettings::intervalRoundTrip() {
    QFETCH(QString, intervalKey);
    QFETCH(int, value);
    QFETCH(bool, enabled);
    const MenuCase &menu = menuByKey(intervalKey);
    FormFixture f;
    f.WriteSettings(withAgent(f, QStringLiteral("[Options]\n%1=%2\n%3=%4\n")
                                     .arg(latin(menu.enabledKey))
                                     .arg(enabled ? 1 : 0)
                                     .arg(intervalKey)
                                     .arg(value)));
    MainForm &form = f.Create();
    QString item;
    for (const auto &i : menu.items)
        if (i.second == value)
            item = latin(i.first);
    QCOMPARE(checkedItem(form, menu), item);
    QCOMPARE(Timer(form, menu.timer)->interval(), value * menu.unitMs);
    QCOMPARE(Timer(form, menu.timer)->isActive(), enabled);
    QCOMPARE(Action(form, menu.toggle)->isChecked(), enabled);

    QVERIFY(PartsOf(form).Settings().Save());
    const IniFile ini = savedFile(f);
    QCOMPARE(ini.Read(kOptions, intervalKey, QString()), QString::number(value));
    QCOMPARE(ini.Read(kOptions, latin(menu.enabledKey), QString()),
             enabled ? QStringLiteral("1") : QStringLiteral("0"));
}

void TestSettings::intervalOutsideList_data() {
    QTest::addColumn<QString>("intervalKey");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("item"); // the window's own checked item
    QTest::addColumn<int>("interval"); // and its own interval
    QTest::addColumn<QString>("saved");
    QTest::addRow("link check 7") << "Link check"
                                  << "7"
                                  << "N15secondinterval1" << 15000 << "15";
    QTest::addRow("link check 05") << "Link check"
                                   << "05"
                                   << "N15secondinterval1" << 15000 << "15";
    QTest::addRow("status update 2") << "Status update"
                                     << "2"
                                     << "N1secondupdate1" << 1000 << "1";
    QTest::addRow("status update 1.0") << "Status update"
                                       << "1.0"
                                       << "N1secondupdate1" << 1000 << "1";
    QTest::addRow("quota update 0") << "Quota update"
                                    << "0"
                                    << "N15minuteupdate1" << 60000 << "15";
    QTest::addRow("interfaces update 1") << "Interfaces update"
                                         << "1"
                                         << "N5SecondUpdate" << 60000 << "5";
    QTest::addRow("interfaces update word") << "Interfaces update"
                                            << "ten"
                                            << "N5SecondUpdate" << 60000 << "5";
}

void TestSettings::intervalOutsideList() {
    QFETCH(QString, intervalKey);
    QFETCH(QString, stored);
    QFETCH(QString, item);
    QFETCH(int, interval);
    QFETCH(QString, saved);
    const MenuCase &menu = menuByKey(intervalKey);
    FormFixture f;
    f.WriteSettings(withAgent(f, QStringLiteral("[Options]\n%1=%2\n").arg(intervalKey, stored)));
    MainForm &form = f.Create();
    QCOMPARE(checkedItem(form, menu), item);
    QCOMPARE(Timer(form, menu.timer)->interval(), interval);
    QVERIFY(PartsOf(form).Settings().Save());
    QCOMPARE(savedFile(f).Read(kOptions, intervalKey, QString()), saved);
}

void TestSettings::twoWordKeys_data() {
    QTest::addColumn<QString>("line");    // in [Options] or, for "Data", in [Quota]
    QTest::addColumn<QString>("checked"); // the item or radio button that ends up checked
    QTest::addColumn<QString>("saved");   // what the save writes back

    QTest::addRow("hide Yes") << "Hide in task bar=Yes"
                              << "HideFromTaskBar"
                              << "Hide in task bar=Yes";
    QTest::addRow("hide yes is not Yes") << "Hide in task bar=yes"
                                         << "ShowInTaskBar"
                                         << "Hide in task bar=No";
    QTest::addRow("hide No") << "Hide in task bar=No"
                             << "ShowInTaskBar"
                             << "Hide in task bar=No";
    QTest::addRow("hide missing") << ""
                                  << "HideFromTaskBar"
                                  << "Hide in task bar=Yes";
    QTest::addRow("minimise Enabled") << "Minimise on startup=Enabled"
                                      << "MinimiseEnabled"
                                      << "Minimise on startup=Enabled";
    QTest::addRow("minimise enabled") << "Minimise on startup=enabled"
                                      << "MinimiseDisabled"
                                      << "Minimise on startup=Disabled";
    QTest::addRow("minimise missing") << ""
                                      << "MinimiseDisabled"
                                      << "Minimise on startup=Disabled";
    QTest::addRow("prompt Disabled") << "Prompt on close=Disabled"
                                     << "ClosePromptDisabled"
                                     << "Prompt on close=Disabled";
    QTest::addRow("prompt other word") << "Prompt on close=Always"
                                       << "ClosePromptDisabled"
                                       << "Prompt on close=Disabled";
    QTest::addRow("prompt missing") << ""
                                    << "ClosePromptEnabled"
                                    << "Prompt on close=Enabled";
    QTest::addRow("data DownloadUpload") << "Data=DownloadUpload"
                                         << "DownUp_RBut"
                                         << "Data=DownloadUpload";
    QTest::addRow("data downloadupload") << "Data=downloadupload"
                                         << "Down_RBut"
                                         << "Data=DownloadOnly";
    QTest::addRow("data missing") << ""
                                  << "Down_RBut"
                                  << "Data=DownloadOnly";
}

void TestSettings::twoWordKeys() {
    QFETCH(QString, line);
    QFETCH(QString, checked);
    QFETCH(QString, saved);
    FormFixture f;
    const QString section = line.startsWith(QLatin1String("Data")) ? kQuota : kOptions;
    f.WriteSettings(withAgent(f, QStringLiteral("[%1]\n%2\n").arg(section, line)));
    MainForm &form = f.Create();

    const QByteArray name = checked.toLatin1();
    if (checked.endsWith(QLatin1String("_RBut"))) {
        QVERIFY(Find<QRadioButton>(form, name.constData())->isChecked());
        const char *other = checked == QLatin1String("Down_RBut") ? "DownUp_RBut" : "Down_RBut";
        QVERIFY(!Find<QRadioButton>(form, other)->isChecked());
    } else {
        QVERIFY(Action(form, name.constData())->isChecked());
        // Exactly one item of each pair is checked after the load.
        const char *pairs[][2] = {{"HideFromTaskBar", "ShowInTaskBar"},
                                  {"MinimiseEnabled", "MinimiseDisabled"},
                                  {"ClosePromptEnabled", "ClosePromptDisabled"}};
        for (const auto &pair : pairs)
            QVERIFY(Action(form, pair[0])->isChecked() != Action(form, pair[1])->isChecked());
    }
    QVERIFY(PartsOf(form).Settings().Save());
    QVERIFY2(f.ReadSettings().contains(QLatin1Char('\n') + saved + QLatin1Char('\n')),
             qPrintable(f.ReadSettings()));
}

void TestSettings::conversionErrorEndsLoad_data() {
    QTest::addColumn<QString>("quotaLines");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("gbQuota"); // read before "Reset day", after the byte definitions
    QTest::addRow("reset day x") << "GBQuota=25\nReset day=x\nLast reset date=1/1/26\n"
                                 << "'x' is not a valid integer value."
                                 << "25";
    QTest::addRow("reset day 1.5") << "GBQuota=25\nReset day=1.5\n"
                                   << "'1.5' is not a valid integer value."
                                   << "25";
    QTest::addRow("reset day empty") << "GBQuota=25\nReset day=\n"
                                     << "'' is not a valid integer value."
                                     << "25";
    QTest::addRow("gigabyte") << "ISP bytes in Gigabyte=1 GB\nGBQuota=25\n"
                              << "'1 GB' is not a valid floating point value."
                              << "0";
    QTest::addRow("megabyte comma") << "ISP bytes in Megabyte=1048576,0\nGBQuota=25\n"
                                    << "'1048576,0' is not a valid floating point value."
                                    << "0";
}

void TestSettings::conversionErrorEndsLoad() {
    QFETCH(QString, quotaLines);
    QFETCH(QString, message);
    QFETCH(QString, gbQuota);
    FormFixture f;
    f.WriteSettings(withAgent(f, QStringLiteral("[Options]\nLink logging=1\nLink check=5\n"
                                                "[Quota]\n") +
                                     quotaLines));
    MainForm &form = f.Create();

    QCOMPARE(f.prompter.shown.size(), 1);
    QCOMPARE(f.prompter.shown[0].kind, QStringLiteral("error"));
    QCOMPARE(f.prompter.shown[0].caption, QStringLiteral("Vantrel"));
    // The conversion's message, then on a line of its own where the value stands.
    QCOMPARE(f.prompter.shown[0].text.section(QLatin1Char('\n'), 0, 0), message);
    QVERIFY(f.prompter.shown[0].text.section(QLatin1Char('\n'), 1).contains(f.SettingsPath()));
    QCOMPARE(f.agent.RequestCount(), 0); // the load ended before the first query
    // What was read before the error stays; nothing after it is applied.
    QCOMPARE(Edit(form, "IPaddress_Edit")->text(), QString::fromStdString(f.agent.Host()));
    QVERIFY(Timer(form, "Connect_Timer")->isActive());
    QCOMPARE(Timer(form, "Connect_Timer")->interval(), 5000);
    QCOMPARE(Edit(form, "GBQuota_Edit")->text(), gbQuota);
    QCOMPARE(Label(form, "LastResetDate_Label")->text(), QStringLiteral("------"));
}

void TestSettings::resetDay_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("day");
    QTest::addRow("12") << "Reset day=12" << 12;
    QTest::addRow("31") << "Reset day=31" << 31;
    QTest::addRow("hexadecimal") << "Reset day=0x1F" << 31;
    QTest::addRow("beyond the month held at 31") << "Reset day=40" << 31;
    QTest::addRow("negative held at 0") << "Reset day=-3" << 0;
    QTest::addRow("missing") << "" << 0;
}

void TestSettings::resetDay() {
    QFETCH(QString, stored);
    QFETCH(int, day);
    FormFixture f;
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\n") + stored + QLatin1Char('\n')));
    MainForm &form = f.Create();
    QCOMPARE(Find<QSpinBox>(form, "Day_UpDn")->value(), day);
    QCOMPARE(Edit(form, "ResetDay_Edit")->text(), QString::number(day));
    // The save writes what the edit box shows.
    Find<QSpinBox>(form, "Day_UpDn")->setValue(day == 31 ? 30 : day + 1);
    QVERIFY(PartsOf(form).Settings().Save());
    QCOMPARE(savedFile(f).Read(kQuota, QStringLiteral("Reset day"), QString()),
             QString::number(day == 31 ? 30 : day + 1));
}

void TestSettings::lastResetDate_data() {
    QTest::addColumn<int>("daysAgo"); // -1: key missing
    QTest::addColumn<bool>("doneToday");
    QTest::addRow("today") << 0 << true;
    QTest::addRow("yesterday") << 1 << false;
    QTest::addRow("a month ago") << 30 << false;
    QTest::addRow("never") << -1 << false;
}

void TestSettings::lastResetDate() {
    QFETCH(int, daysAgo);
    QFETCH(bool, doneToday);
    FormFixture f;
    const QString date = ShortDateText(f.clock.Now().date().addDays(-daysAgo));
    f.WriteSettings(withAgent(
        f, daysAgo < 0 ? QString() : QStringLiteral("[Quota]\nLast reset date=%1\n").arg(date)));
    MainForm &form = f.Create();
    QCOMPARE(PartsOf(form).Account().ResetDoneToday(), doneToday);
    QCOMPARE(Label(form, "LastResetDate_Label")->text(),
             daysAgo < 0 ? QStringLiteral("------") : date);
}

void TestSettings::byteDefinitionsSavedFromAccount_data() {
    QTest::addColumn<QString>("gigabyte");
    QTest::addColumn<QString>("megabyte");
    QTest::addColumn<QString>("savedGigabyte");
    QTest::addColumn<QString>("savedMegabyte");
    QTest::addRow("defaults") << "1073741824"
                              << "1048576"
                              << "1073741824"
                              << "1048576";
    QTest::addRow("decimal gigabyte") << "1000000000"
                                      << "1000000"
                                      << "1000000000"
                                      << "1000000";
    QTest::addRow("exponent") << "1e9"
                              << "1.0E6"
                              << "1000000000"
                              << "1000000";
    QTest::addRow("fraction") << "1073741824.5"
                              << "1048576.25"
                              << "1073741824.5"
                              << "1048576.25";
    QTest::addRow("fifteen digits") << "123456789.0123456"
                                    << "0.1"
                                    << "123456789.012346"
                                    << "0.1";
}

void TestSettings::byteDefinitionsSavedFromAccount() {
    QFETCH(QString, gigabyte);
    QFETCH(QString, megabyte);
    QFETCH(QString, savedGigabyte);
    QFETCH(QString, savedMegabyte);
    FormFixture f;
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\nISP bytes in Gigabyte=%1\n"
                                                "ISP bytes in Megabyte=%2\n")
                                     .arg(gigabyte, megabyte)));
    MainForm &form = f.Create();
    QCOMPARE(Edit(form, "Gbytes_Edit")->text(), gigabyte);
    // An edit that was never applied with "Redefine" is not stored.
    Edit(form, "Gbytes_Edit")->setText(QStringLiteral("5"));
    Edit(form, "MBytes_Edit")->setText(QStringLiteral("abc"));
    QVERIFY(PartsOf(form).Settings().Save());
    const IniFile ini = savedFile(f);
    QCOMPARE(ini.Read(kQuota, QStringLiteral("ISP bytes in Gigabyte"), QString()), savedGigabyte);
    QCOMPARE(ini.Read(kQuota, QStringLiteral("ISP bytes in Megabyte"), QString()), savedMegabyte);
}

void TestSettings::mbUsedKeptUntilAccountHasFigure() {
    FormFixture f;
    f.WriteSettings(withAgent(f, QStringLiteral("[Quota]\nMBUsed=1536.5000\nGBQuota=10\n")));
    MainForm &form = f.Create();
    QCOMPARE(Edit(form, "MBUsed_Edit")->text(), QStringLiteral("1536.5000"));
    Edit(form, "MBUsed_Edit")->setText(QStringLiteral("7"));
    Edit(form, "GBQuota_Edit")->setText(QStringLiteral("12"));
    QVERIFY(PartsOf(form).Settings().Save());
    const IniFile ini = savedFile(f);
    QCOMPARE(ini.Read(kQuota, QStringLiteral("MBUsed"), QString()), QStringLiteral("1536.5000"));
    QCOMPARE(ini.Read(kQuota, QStringLiteral("GBQuota"), QString()), QStringLiteral("12"));
}

void TestSettings::unknownKeysSurviveSave() {
    FormFixture f;
    f.WriteSettings(QStringLiteral("; kept by hand\n"
                                   "[System Info Settings]\n"
                                   "IP=%1\n"
                                   "Colour=blue\n"
                                   "\n"
                                   "[Plugins]\n"
                                   "Extra=1\n"
                                   "[options]\n"
                                   "link check=5\n"
                                   "Window left=12\n")
                        .arg(QString::fromStdString(f.agent.Host())));
    MainForm &form = f.Create();
    QVERIFY(Action(form, "N5secondinterval1")->isChecked());
    // The user chooses another interval.
    Action(form, "N10secondinterval1")->trigger();
    QVERIFY(PartsOf(form).Settings().Save());
    const QString text = f.ReadSettings();
    QVERIFY2(text.startsWith(QStringLiteral("; kept by hand\n[System Info Settings]\nIP=%1\n"
                                            "Colour=blue\nCommunity=vormel\n\n"
                                            "[Plugins]\nExtra=1\n[options]\nLink check=10\n"
                                            "Window left=12\nLink logging=0\n")
                                 .arg(QString::fromStdString(f.agent.Host()))),
             qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("[Options]"), Qt::CaseInsensitive), 1);
}

void TestSettings::readOnlyFolderKeepsWindowAndFile() {
    FormFixture f;
    f.WriteSettings(withAgent(f));
    MainForm &form = f.Create();
    const QString before = f.ReadSettings();
    Edit(form, "community_edit")->setText(QStringLiteral("changed"));
    f.prompter.confirmAnswers << true;
    bool closed = true;
    {
        ReadOnlyFolder readOnly(f.configDir.path());
        QVERIFY2(!readOnly.Writable(), "the folder could not be made read-only");
        closed = form.FormCloseQuery();
    }
    QVERIFY(!closed); // the window stays open
    QCOMPARE(f.prompter.Texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Unable to write to %1.").arg(f.SettingsPath())});
    QCOMPARE(f.prompter.shown.last().caption, QStringLiteral("Vantrel"));
    QCOMPARE(f.ReadSettings(), before);
    QCOMPARE(QDir(f.configDir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("vantrel.ini")});
    // Once the folder can be written again, the next close goes through.
    f.prompter.confirmAnswers << true;
    QVERIFY(form.FormCloseQuery());
    QVERIFY(f.ReadSettings().contains(QStringLiteral("Community=changed\n")));
}

void TestSettings::unreadableFileIsNeverWrittenOver() {
    FormFixture f;
    const QByteArray text =
        withAgent(f, QStringLiteral("[Quota]\nGBQuota=25\n[Mine]\nKeep=1\n")).toUtf8();
    f.WriteSettingsBytes(text);
    QFile::setPermissions(f.SettingsPath(), QFileDevice::WriteOwner); // mode 0200
    CapabilitiesDropped asUser; // so that root cannot read it either
    MainForm &form = f.Create();
    QCOMPARE(f.prompter.Texts(QStringLiteral("warning")).size(), 1);
    QVERIFY(f.prompter.Texts(QStringLiteral("warning")).first().contains(f.SettingsPath()));
    f.prompter.confirmAnswers << true;
    QVERIFY(form.FormCloseQuery()); // the close goes on
    QFile::setPermissions(f.SettingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(f.ReadSettingsBytes(), text);
}

void TestSettings::keysTheLoadNeverReachedKeepTheirText() {
    FormFixture f;
    // A value with thousands separators stops the load at the gigabyte definition.
    const QString quota = QStringLiteral("[Quota]\nISP bytes in Gigabyte=1,073,741,824\n"
                                         "ISP bytes in Megabyte=1000000\nGBQuota=25\n"
                                         "MBUsed=1536.5000\nReset day=7\n");
    f.WriteSettings(withAgent(f, quota));
    MainForm &form = f.Create();
    QCOMPARE(f.prompter.Texts(QStringLiteral("error")).value(0).section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("'1,073,741,824' is not a valid floating point value."));
    QVERIFY(PartsOf(form).Settings().Save());
    const QString after = f.ReadSettings();
    for (const char *line : {"ISP bytes in Gigabyte=1,073,741,824", "ISP bytes in Megabyte=1000000",
                             "GBQuota=25", "MBUsed=1536.5000", "Reset day=7"})
        QVERIFY2(after.contains(QLatin1Char('\n') + latin(line) + QLatin1Char('\n')),
                 qPrintable(after));
    // What the user changes after such a load is saved as usual.
    Edit(form, "GBQuota_Edit")->setText(QStringLiteral("30"));
    QVERIFY(PartsOf(form).Settings().Save());
    QVERIFY(f.ReadSettings().contains(QStringLiteral("\nGBQuota=30\n")));
}

void TestSettings::missingFolderIsMade() {
    FormFixture f;
    MainForm &form = f.Create();
    // The settings folder vanishes while the program runs (a new $XDG_CONFIG_HOME).
    QVERIFY(QFile::remove(f.SettingsPath()));
    QVERIFY(QDir(f.configDir.path()).removeRecursively());
    f.prompter.confirmAnswers << true;
    QVERIFY(form.FormCloseQuery());
    QVERIFY(f.ReadSettings().contains(QStringLiteral("Name=Vantrel")));
    QCOMPARE(int(QFile::permissions(f.configDir.path()) & 0x0077), 0); // others: nothing
}

void TestSettings::bytesThatAreNotUtf8SurviveAndReachTheRouter() {
    FormFixture f;
    const QByteArray community("v\xF6rmel"); // Latin-1, as an older editor wrote it
    f.agent.SetCommunity(community.toStdString());
    f.WriteSettingsBytes("[System Info Settings]\nIP=" + QByteArray::fromStdString(f.agent.Host()) +
                         "\nCommunity=" + community + "\nOwn=caf\xE9\n");
    MainForm &form = f.Create();
    // The router answered: the community went out as the bytes the file holds.
    QCOMPARE(Label(form, "RouterDesc_Label")->text().left(16), QStringLiteral("Test ADSL Router"));
    QVERIFY(PartsOf(form).Settings().Save());
    const QByteArray after = f.ReadSettingsBytes();
    QVERIFY2(after.contains("\nCommunity=" + community + "\n"), after.constData());
    QVERIFY2(after.contains("\nOwn=caf\xE9\n"), after.constData());
}

void TestSettings::closeSequence_data() {
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("closes");
    const QStringList asked{QStringLiteral("Close Vantrel?")};
    QTest::addRow("asked, yes") << "Enabled" << true << asked << true;
    QTest::addRow("asked, no") << "Enabled" << false << asked << false;
    QTest::addRow("not asked") << "Disabled" << false << QStringList() << true;
}

void TestSettings::closeSequence() {
    QFETCH(QString, prompt);
    QFETCH(bool, answer);
    QFETCH(QStringList, questions);
    QFETCH(bool, closes);
    FormFixture f;
    f.WriteSettings(withAgent(f, QStringLiteral("[Options]\nPrompt on close=%1\n").arg(prompt)));
    MainForm &form = f.Create();
    const QString before = f.ReadSettings();
    Edit(form, "community_edit")->setText(QStringLiteral("changed"));
    f.prompter.confirmAnswers << answer;
    QCOMPARE(form.FormCloseQuery(), closes);
    QCOMPARE(f.prompter.Texts(QStringLiteral("confirm")), questions);
    if (closes)
        QVERIFY(f.ReadSettings().contains(QStringLiteral("Community=changed\n")));
    else
        QCOMPARE(f.ReadSettings(), before); // untouched
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
