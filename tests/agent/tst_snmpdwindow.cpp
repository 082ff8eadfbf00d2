// The window against net-snmp's snmpd (started by the snmpd fixture) over SNMP v2c and v3: the
// System page reads the agent's description with each access, a refused v3 request says why
// within its time-out, and "Router access..." changes the access only on OK.

#include "core/routermodel.h"
#include "core/settingsmodel.h"
#include "formfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

const QString Description = QStringLiteral("DSL router 4.2 (test agent)");

} // namespace

class TestSnmpdWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readsSystemPage_data();
    void readsSystemPage();
    void refusalSaysWhy_data();
    void refusalSaysWhy();
    void dialogChangesNothingUntilOk();

private:
    QString settings(const QString &access) const {
        return QStringLiteral("[System Info Settings]\nIP=%1\nCommunity=vormel\n%2")
            .arg(host_, access);
    }
    QString host_;
};

void TestSnmpdWindow::initTestCase() {
    QFile portFile(qEnvironmentVariable("VANTREL_SNMPD_DIR") + "/port");
    QVERIFY2(portFile.open(QIODevice::ReadOnly), "no snmpd port file; run through ctest");
    host_ = QStringLiteral("127.0.0.1:") + QString::fromLatin1(portFile.readAll().trimmed());
}

void TestSnmpdWindow::readsSystemPage_data() {
    QTest::addColumn<QString>("access");
    QTest::newRow("v2c") << "Version=2c\n";
    QTest::newRow("v3 authPriv SHA AES")
        << "Version=3\nUser=privSHAAES\nSecurity level=authPriv\nAuth protocol=SHA\n"
           "Privacy protocol=AES\nAuth passphrase=privSHAAES-auth\n"
           "Privacy passphrase=privSHAAES-priv\n";
    QTest::newRow("v3 authPriv SHA-512 DES")
        << "Version=3\nUser=privSHA512DES\nSecurity level=authPriv\nAuth protocol=SHA-512\n"
           "Privacy protocol=DES\nAuth passphrase=privSHA512DES-auth\n"
           "Privacy passphrase=privSHA512DES-priv\n";
}

void TestSnmpdWindow::readsSystemPage() {
    QFETCH(QString, access);
    FormFixture f;
    f.snmpTimeoutMs = 3000;
    f.WriteSettings(settings(access));
    MainForm &form = f.Create();
    QVERIFY2(Label(form, "RouterDesc_Label")->text().startsWith(Description),
             qPrintable(Label(form, "RouterDesc_Label")->text()));
    QCOMPARE(form.Status(), QStringLiteral(" Ready"));
}

void TestSnmpdWindow::refusalSaysWhy_data() {
    QTest::addColumn<QString>("access");
    QTest::addColumn<QString>("reason");
    QTest::newRow("wrong passphrase")
        << "Version=3\nUser=privSHAAES\nSecurity level=authPriv\nAuth protocol=SHA\n"
           "Privacy protocol=AES\nAuth passphrase=not-the-passphrase\n"
           "Privacy passphrase=privSHAAES-priv\n"
        << "the router refused the authentication: check the user name and passphrase";
    QTest::newRow("unknown user") << "Version=3\nUser=nobody\nSecurity level=noAuthNoPriv\n"
                                  << "the router knows no such user";
    QTest::newRow("level the user lacks")
        << "Version=3\nUser=plain\nSecurity level=authNoPriv\nAuth passphrase=plain-auth-x\n"
        << "security level";
    QTest::newRow("wrong community over v2c") << "Version=2c\nCommunity=wrong\n"
                                              << "no answer within 2 s";
}

void TestSnmpdWindow::refusalSaysWhy() {
    QFETCH(QString, access);
    QFETCH(QString, reason);
    FormFixture f;
    f.snmpTimeoutMs = 2000;
    QString text = settings(access);
    if (access.contains(QStringLiteral("Community=")))
        text.replace(QStringLiteral("Community=vormel\n"), QString());
    f.WriteSettings(text);
    QElapsedTimer clock;
    clock.start();
    MainForm &form = f.Create();
    // One time-out at most (discovery and the request each within it), never a hang.
    QVERIFY2(clock.elapsed() < 3 * f.snmpTimeoutMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(form.Status(), QStringLiteral(" Error: Check IP address and/or SNMP community name"));
    const QString tip = Find<QLabel>(*form.statusBar(), "StatusBar_Text")->toolTip();
    QVERIFY2(tip.contains(reason), qPrintable(tip));
    const QLabel *line = Label(form, "Reason_Label");
    QVERIFY(!line->isHidden());
    QVERIFY2(line->text().contains(reason), qPrintable(line->text()));

    // The connection monitor logs a refusal once while it lasts; silence is not a refusal.
    for (int i = 0; i < 2; ++i) {
        QVERIFY(QMetaObject::invokeMethod(Timer(form, "Connect_Timer"), "timeout",
                                          Qt::DirectConnection));
        QVERIFY(f.Settle());
    }
    const QString log = Memo(form, "LinkLog_Memo")->toPlainText();
    QCOMPARE(log.count(QStringLiteral("Refused: ")),
             access.startsWith(QLatin1String("Version=2c")) ? 0 : 1);
    if (!access.startsWith(QLatin1String("Version=2c")))
        QVERIFY2(log.contains(reason), qPrintable(log));
}

void TestSnmpdWindow::dialogChangesNothingUntilOk() {
    FormFixture f;
    f.snmpTimeoutMs = 3000;
    f.WriteSettings(settings(QString()));
    MainForm &form = f.Create();
    vantrel::core::SettingsModel &options = f.parts().Options();
    QCOMPARE(options.Access().version, vantrel::core::RouterAccess::Version::V1);

    // "Find out" reports v2c with 64-bit counters; Cancel keeps v1.
    QString found;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        Find<QPushButton>(*dialog, "FindOut_But")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Find<QPushButton>(*dialog, "FindOut_But")->isEnabled(), 15000);
        found = Find<QLabel>(*dialog, "FindOut_Label")->text();
        dialog->reject();
    });
    Action(form, "RouterAccess1")->trigger();
    QVERIFY2(found.startsWith(QStringLiteral("SNMP v2c answers, with 64-bit counters")),
             qPrintable(found));
    QCOMPARE(options.Access().version, vantrel::core::RouterAccess::Version::V1);
    QCOMPARE(form.Router().Access().version, vantrel::core::RouterAccess::Version::V1);

    // OK with v2c: the router model asks over v2c from now on, and the page still reads.
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        Find<QComboBox>(*dialog, "Version_Combo")->setCurrentIndex(1);
        dialog->accept();
    });
    Action(form, "RouterAccess1")->trigger();
    QCOMPARE(options.Access().version, vantrel::core::RouterAccess::Version::V2c);
    QCOMPARE(form.Router().Access().version, vantrel::core::RouterAccess::Version::V2c);
    Label(form, "RouterDesc_Label")->setText(QString());
    Button(form, "GetValues_But")->click();
    QVERIFY(f.Settle());
    QVERIFY(Label(form, "RouterDesc_Label")->text().startsWith(Description));
}

QTEST_MAIN(TestSnmpdWindow)
#include "tst_snmpdwindow.moc"
