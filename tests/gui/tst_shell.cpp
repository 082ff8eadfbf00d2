// The program shell: one copy per user, the end of a session saving the settings, the date and
// time texts, and the tray pictures drawn in code.

#include "app/singleinstance.h"
#include "app/trayicons.h"
#include "core/regional.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <csignal>

using namespace vantrel;
using namespace vantrel::app;

using namespace vantrel::core;

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    void secondInstanceIsRefused();
    void staleLockDoesNotBlock();
    void dateTimeText_data();
    void dateTimeText();
    void trayFrames_data();
    void trayFrames();
    void sigtermSavesSettings();

private:
    QTemporaryDir runtime;
};

void TestShell::secondInstanceIsRefused() {
    SingleInstance first(QStringLiteral("vantrel-test"));
    QVERIFY(first.IsFirst());
    SingleInstance second(QStringLiteral("vantrel-test"));
    QVERIFY(!second.IsFirst());
}

void TestShell::staleLockDoesNotBlock() {
    // A lock left by a copy that crashed: its process is gone.
    QProcess gone;
    gone.start(QStringLiteral("/bin/true"));
    QVERIFY(gone.waitForFinished());
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    QFile lock(runtime.path() + QStringLiteral("/vantrel-stale.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(deadPid) + "\nvantrel\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    SingleInstance next(QStringLiteral("vantrel-stale"));
    QVERIFY(next.IsFirst());
}

void TestShell::dateTimeText_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("text");
    QTest::addRow("evening") << QDateTime(QDate(2026, 12, 7), QTime(22, 31, 5))
                             << "07/12/2026 22:31:05";
    QTest::addRow("exactly midnight: no time")
        << QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)) << "08/12/2026";
    QTest::addRow("a second after midnight")
        << QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)) << "08/12/2026 00:00:01";
}

void TestShell::dateTimeText() {
    QFETCH(QDateTime, when);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QCOMPARE(DateTimeText(when), text);
    QLocale::setDefault(QLocale::system());
}

void TestShell::trayFrames_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("third");
    QTest::addRow("green off red") << int(Light::Green) << int(Light::Off) << int(Light::Red);
    QTest::addRow("yellow green off") << int(Light::Yellow) << int(Light::Green) << int(Light::Off);
}

void TestShell::trayFrames() {
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, third);
    const QImage image = TrayIcons::Frame(Light(first), Light(second), Light(third)).toImage();
    QCOMPARE(image.size(), QSize(16, 16));
    const QImage reference[4] = {
        TrayIcons::Frame(Light::Green, Light::Green, Light::Green).toImage(),
        TrayIcons::Frame(Light::Yellow, Light::Yellow, Light::Yellow).toImage(),
        TrayIcons::Frame(Light::Red, Light::Red, Light::Red).toImage(),
        TrayIcons::Frame(Light::Off, Light::Off, Light::Off).toImage(),
    };
    // The middle of each light shows its own colour.
    const int lights[3] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
        const QPoint centre(3 + i * 5, 11);
        QCOMPARE(image.pixel(centre), reference[lights[i]].pixel(centre));
    }
    QVERIFY(reference[0].pixel(3, 11) != reference[3].pixel(3, 11));
}

void TestShell::sigtermSavesSettings() {
    QTemporaryDir config;
    QUdpSocket probe; // a loopback port nobody listens on
    probe.bind(QHostAddress::LocalHost, 0);
    const quint16 closed = probe.localPort();
    probe.close();
    QFile ini(config.path() + QStringLiteral("/vantrel.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[System Info Settings]\nIP=127.0.0.1:%1\nCommunity=vormel\n"
                             "[Options]\nPrompt on close=Enabled\n")
                  .arg(closed)
                  .toUtf8());
    ini.close();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), config.path());
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VANTREL_BINARY), {});
    QVERIFY(program.waitForStarted());
    QTest::qWait(1500); // the first System query fails at once against the closed port
    QCOMPARE(program.state(), QProcess::Running);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(ini.readAll());
    QVERIFY2(saved.contains(QStringLiteral("Name=Vantrel")), qPrintable(saved));
    QVERIFY(saved.contains(QStringLiteral("IP=127.0.0.1:%1").arg(closed)));
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
