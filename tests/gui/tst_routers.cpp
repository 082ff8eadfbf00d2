// Other makers' routers as a user meets them: the real window started against the loopback
// agent serving each recording. No box at start, what was found on the System page, the line's
// rates and margins on the ADSL page, the WAN and LAN counters, and a drop of the line in the
// connection log.

#include "app/mainform.h"
#include "core/routerinfo.h"
#include "formfixture.h"
#include "monitors/connectionmonitor.h"
#include "pages/adslpage.h"
#include "pages/interfaceschooser.h"
#include "pages/interfacespage.h"
#include "ui/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace vantrel;
using namespace vantrel::app;
using vantrel::core::Trigger;
using namespace vantrel::ui;

namespace {

const int kAdslPage = 2;
const char kIfOperStatus[] = "1.3.6.1.2.1.2.2.1.8.";

void serve(FormFixture &f, const QString &recording) {
    f.agent.Clear();
    std::string error;
    QVERIFY2(f.agent.LoadSnmprecFile(std::string(VANTREL_ROUTERS_DIR) + "/" +
                                         recording.toStdString() + ".snmprec",
                                     &error),
             error.c_str());
}

QString text(MainForm &form, const char *label) {
    return Label(form, label)->text();
}

} // namespace

class TestRouters : public QObject {
    Q_OBJECT
private slots:
    void eachRouter_data();
    void eachRouter();
    void nothingToWatchLeavesMonitorOff();
    void addressChangeClearsOldRouter();
    void chosenWanWins();
};

void TestRouters::eachRouter_data() {
    QTest::addColumn<QString>("recording");
    QTest::addColumn<int>("line"); // the interface whose drop is logged
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("adsl"); // down rate, down margin, up rate, up margin, status
    QTest::addColumn<QString>("wanAddress");
    QTest::addColumn<QString>("counters"); // bytes in: LAN / WAN

    QTest::addRow("ADSL") << "korvane-ka2100-adsl" << 11
                          << "ADSL line at interface 11; WAN: ppp0 (interface 15); LAN: br0 "
                             "(interface 3)"
                          << QStringList{"8128 Kbps", "6.2 dB", "832 Kbps", "11 dB", "Up"}
                          << "203.0.113.18"
                          << "2.3172 GB / 419.8401 MB";
    QTest::addRow("ADSL2+ without ifNumber")
        << "meridel-m740-adsl2plus" << 4
        << "ADSL2+ line at interface 4; WAN: ppp0 (interface 7); LAN: br0 (interface 8)"
        << QStringList{"18432 Kbps", "9.8 dB", "1021 Kbps", "not reported", "Up"} << "198.51.100.77"
        << "605.3845 MB / 2.6128 GB";
    QTest::addRow("VDSL2 without ADSL-LINE-MIB")
        << "tessaro-tv5500-vdsl2" << 8
        << "VDSL2 line at interface 8; WAN: pppoe0 (interface 12); LAN: br0 (interface 2)"
        << QStringList{"100.0 Mbps", "9.1 dB", "40000 Kbps", "12.3 dB", "Up"} << "203.0.113.200"
        << "1.5448 GB / 908.0767 MB";
    QTest::addRow("VDSL2 bridge modem")
        << "halvik-hb300-vdsl2-bridge" << 4
        << "VDSL2 line at interface 4; WAN: ptm0 (interface 5); LAN: br0 (interface 2)"
        << QStringList{"54980 Kbps", "8.7 dB", "9998 Kbps", "10.2 dB", "Up"} << ""
        << "1.5448 GB / 1.0680 GB";
    QTest::addRow("gateway without line MIB, indexes to 15201")
        << "orbant-sg60-gateway" << 201
        << "ADSL2+ line at interface 201; WAN: pppoe-adsl (interface 15201); LAN: internal "
           "(interface 102)"
        << QStringList{"11987 Kbps", "not reported", "not reported", "not reported", "Up"}
        << "192.0.2.55"
        << "566.0944 MB / 890.1636 MB";
    QTest::addRow("ADSL2 at 42 with ifNumber 18")
        << "quillon-qr18-adsl2" << 42
        << "ADSL2 line at interface 42; WAN: pppoa0 (interface 16); LAN: br-lan (interface 10)"
        << QStringList{"11200 Kbps", "6.4 dB", "1180 Kbps", "7.6 dB", "Up"} << "100.64.12.7"
        << "2.1360 GB / 1.1824 GB";
    QTest::addRow("G.SHDSL") << "strela-sr2-shdsl" << 2
                             << "G.SHDSL line at interface 2; WAN: ppp0 (interface 4); LAN: vlan1 "
                                "(interface 10)"
                             << QStringList{"2312 Kbps", "9 dB", "2312 Kbps", "10 dB", "Up"}
                             << "198.51.100.9"
                             << "2.1360 GB / 302.6922 MB";
}

void TestRouters::eachRouter() {
    QFETCH(QString, recording);
    QFETCH(int, line);
    QFETCH(QString, summary);
    QFETCH(QStringList, adsl);
    QFETCH(QString, wanAddress);
    QFETCH(QString, counters);

    FormFixture f;
    serve(f, recording);
    // Started as a user starts it: the settings load and the first System read.
    MainForm &form = f.Create(true);
    QCOMPARE(f.prompter.shown.size(), 0);
    QCOMPARE(text(form, "DiscoveryVal_Label"), summary);
    QVERIFY(Label(form, "DiscoveryVal_Label")->isVisibleTo(&form));
    // The maker's firmware rows are absent: no "Firmware:" or "Build:" line.
    QVERIFY(!text(form, "RouterDesc_Label").contains(QLatin1String("Firmware: ")));
    QVERIFY(!text(form, "RouterDesc_Label").contains(QLatin1String("Build: ")));
    QCOMPARE(Edit(form, "WanIP_Edit")->text(), wanAddress);
    const QString shots = qEnvironmentVariable("VANTREL_ROUTER_SHOTS");
    if (!shots.isEmpty()) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.grab().save(shots + QStringLiteral("/system-") + recording + QStringLiteral(".png"));
    }

    form.PageControl()->blockSignals(true);
    form.PageControl()->setCurrentIndex(kAdslPage);
    form.PageControl()->blockSignals(false);
    form.Run([&form] { PartsOf(form).Adsl().ADSLClick(Trigger::PushButton); });
    QVERIFY(f.Settle());
    QCOMPARE((QStringList{text(form, "DnSpeedVal_Label"), text(form, "DnSNRVal_Label"),
                          text(form, "UpSpeedVal_Label"), text(form, "UpSNRVal_Label"),
                          text(form, "StatusVal_Label")}),
             adsl);
    QCOMPARE(f.prompter.shown.size(), 0);
    if (!shots.isEmpty()) {
        form.grab().save(shots + QLatin1Char('/') + recording + QStringLiteral(".png"));
    }

    form.Run([&form] { PartsOf(form).Interfaces().InterfacesClick(Trigger::PushButton); });
    QVERIFY(f.Settle());
    QCOMPARE(text(form, "LANBytesInVal_Label") + " / " + text(form, "ATMWANBytesIn_Label"),
             counters);
    // None of these routers has the designed model's USB interface: no group of dashes.
    QVERIFY(Find<QGroupBox>(form, "USB_GBox")->isHidden());

    // The line drops: the connection monitor logs it.
    QTimer *monitor = Find<QTimer>(form, "Connect_Timer");
    QVERIFY(QMetaObject::invokeMethod(monitor, "timeout", Qt::DirectConnection));
    QVERIFY(f.Settle());
    f.agent.SetInteger(kIfOperStatus + std::to_string(line), 2);
    QVERIFY(QMetaObject::invokeMethod(monitor, "timeout", Qt::DirectConnection));
    QVERIFY(f.Settle());
    QVERIFY2(Memo(form, "LinkLog_Memo")->toPlainText().startsWith(QLatin1String("Disconnected: ")),
             qPrintable(Memo(form, "LinkLog_Memo")->toPlainText()));
    QStringList shown;
    for (const auto &box : f.prompter.shown)
        shown << box.text;
    QCOMPARE(shown.join(QLatin1Char('|')), QString());
}

void TestRouters::nothingToWatchLeavesMonitorOff() {
    // An agent with no interface table at all.
    FormFixture f;
    f.agent.Clear();
    f.agent.SetTimeTicks("1.3.6.1.2.1.1.3.0", 100);
    f.agent.SetString("1.3.6.1.2.1.1.1.0", "bare agent");
    MainForm &form = f.Create(true);
    QAction *monitor = form.MenuItem("Recordlog");
    QVERIFY(!monitor->isChecked());
    monitor->trigger();
    QVERIFY(f.Settle());
    QVERIFY(!monitor->isChecked());
    QVERIFY(!Find<QTimer>(form, "Connect_Timer")->isActive());
    QCOMPARE(f.prompter.Texts(QStringLiteral("message")),
             QStringList{monitors::ConnectionMonitor::NothingToWatchText});
}

void TestRouters::addressChangeClearsOldRouter() {
    FormFixture f;
    serve(f, QStringLiteral("korvane-ka2100-adsl"));
    MainForm &form = f.Create(true);
    QVERIFY(text(form, "RouterDesc_Label") != core::RouterInfo::NoDescription);
    Edit(form, "IPaddress_Edit")->setText(FormFixture::ClosedPort());
    QCOMPARE(text(form, "RouterDesc_Label"), core::RouterInfo::NoDescription);
    QVERIFY(Label(form, "RouterDesc_Label")->isEnabled());
    QCOMPARE(text(form, "Uptime_Label"), QStringLiteral("----"));
    QCOMPARE(Edit(form, "WanIP_Edit")->text(), QString());
    QCOMPARE(Edit(form, "RouterIP_Edit")->text(), QString());
    QVERIFY(!Label(form, "DiscoveryVal_Label")->isVisibleTo(&form));
}

void TestRouters::chosenWanWins() {
    FormFixture f;
    serve(f, QStringLiteral("korvane-ka2100-adsl"));
    MainForm &form = f.Create(true);
    Find<QPushButton>(form, "Interfaces_But")->click();
    auto *chooser = form.findChild<pages::InterfacesChooser *>();
    QVERIFY(chooser != nullptr);
    // Every interface the walk found is listed, each with its role.
    auto *table = chooser->findChild<QTableWidget *>(QStringLiteral("Interfaces_Table"));
    QCOMPARE(table->rowCount(), 9);
    QCOMPARE(table->item(4, 5)->text(), QStringLiteral("ADSL line"));
    auto *wan = chooser->findChild<QComboBox *>(QStringLiteral("Wan_Combo"));
    wan->setCurrentIndex(wan->findData(QStringLiteral("14")));
    const QString shots = qEnvironmentVariable("VANTREL_ROUTER_SHOTS");
    if (!shots.isEmpty())
        chooser->grab().save(shots + QStringLiteral("/chooser.png"));
    chooser->accept();
    QVERIFY(f.Settle());
    QCOMPARE(text(form, "DiscoveryVal_Label"),
             QStringLiteral("ADSL line at interface 11; WAN: atm0 (interface 14); LAN: br0 "
                            "(interface 3)"));
}

QTEST_MAIN(TestRouters)
#include "tst_routers.moc"
