// The program shell: one copy per user, the end of a session saving the settings, the date and
// time texts, and the tray pictures drawn in code.

#include "app/singleinstance.h"
#include "app/trayicons.h"
#include "core/regional.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

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
    void toldToEnd_data();
    void toldToEnd();
    void secondCopyRaisesTheFirst();
    void foreignLockDoesNotBlock();

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

// What a light looks like to the eye, from its pixel: green, yellow, red, or a dark "off".
Light seenAs(QRgb pixel) {
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    if (r < 120 && g < 120 && b < 120)
        return Light::Off;
    if (r > 180 && g > 180)
        return Light::Yellow;
    return g > r ? Light::Green : Light::Red;
}

void TestShell::trayFrames() {
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, third);
    const QImage image = TrayIcons::Frame(Light(first), Light(second), Light(third)).toImage();
    QCOMPARE(image.size(), QSize(16, 16));
    // The middle of each light, left to right, shows its colour.
    const int lights[3] = {first, second, third};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(int(seenAs(image.pixel(3 + i * 5, 11))), lights[i]);
    // The letters above the lights are drawn on a clear background.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QVERIFY(qAlpha(image.pixel(1, 0)) > 0);
}

void TestShell::toldToEnd_data() {
    QTest::addColumn<QString>("options");   // more settings lines
    QTest::addColumn<bool>("fileTooLarge"); // the settings cannot be written
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("saved"); // in the settings file afterwards
    QTest::addColumn<int>("signalNumber");
    QTest::addRow("running") << "" << false << 0 << QStringList{"Name=Vantrel"} << SIGTERM;
    // Ctrl+C in the terminal ends the program the same way, saving first.
    QTest::addRow("interrupted") << "" << false << 0 << QStringList{"Name=Vantrel"} << SIGINT;
    // The load stops at the reset day and shows its error box: the signal still ends the
    // program, and the keys the load never reached keep the file's own text.
    QTest::addRow("error box open at start-up")
        << "[Quota]\nGBQuota=25\nReset day=x\n"
        << false << 0 << QStringList{"Name=Vantrel", "Reset day=x", "GBQuota=25"} << SIGTERM;
    // Nothing can be written: the old file stays whole, the failure goes to standard error and
    // the exit status says so.
    QTest::addRow("settings cannot be written") << "" << true << 1 << QStringList{} << SIGTERM;
}

void TestShell::toldToEnd() {
    QFETCH(QString, options);
    QFETCH(bool, fileTooLarge);
    QFETCH(int, exitCode);
    QFETCH(QStringList, saved);
    QFETCH(int, signalNumber);
    QTemporaryDir config;
    QUdpSocket probe; // a loopback port nobody listens on
    probe.bind(QHostAddress::LocalHost, 0);
    const quint16 closed = probe.localPort();
    probe.close();
    const QByteArray before =
        QStringLiteral("[System Info Settings]\nIP=127.0.0.1:%1\n"
                       "Community=vormel\n[Options]\nPrompt on close=Enabled\n")
            .arg(closed)
            .toUtf8() +
        options.toUtf8();
    QFile ini(config.path() + QStringLiteral("/vantrel.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(before);
    ini.close();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_STATE_HOME"), config.path() + QStringLiteral("/state"));
    program.setProcessEnvironment(env);
    if (fileTooLarge)
        // As on a full disk: a file-size limit of nothing, and the signal that would kill the
        // program for crossing it ignored, so every write fails.
        program.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("trap '' XFSZ; ulimit -f 0; exec \"$0\""),
                       QStringLiteral(VANTREL_BINARY)});
    else
        program.start(QStringLiteral(VANTREL_BINARY), {});
    QVERIFY(program.waitForStarted());
    QTest::qWait(1500); // the first System query fails at once against the closed port
    QCOMPARE(program.state(), QProcess::Running);
    QElapsedTimer ending;
    ending.start();
    ::kill(pid_t(program.processId()), signalNumber);
    QVERIFY(program.waitForFinished(10000));
    QVERIFY2(ending.elapsed() < 2000, "the program took too long to end");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray after = ini.readAll();
    if (saved.isEmpty()) {
        QCOMPARE(after, before);
        QVERIFY(program.readAllStandardError().contains("Unable to write to"));
    }
    for (const QString &key : saved)
        QVERIFY2(after.contains((QLatin1Char('\n') + key + QLatin1Char('\n')).toUtf8()),
                 after.constData());
    QVERIFY(after.contains(QStringLiteral("IP=127.0.0.1:%1").arg(closed).toUtf8()) ||
            saved.isEmpty());
}

void TestShell::secondCopyRaisesTheFirst() {
    SingleInstance first(QStringLiteral("vantrel-raise"));
    QVERIFY(first.IsFirst());
    first.Listen();
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    SingleInstance second(QStringLiteral("vantrel-raise"));
    QVERIFY(!second.IsFirst());
    QVERIFY(second.AskFirstToRaise());
    QVERIFY(raised.wait(2000));
}

void TestShell::foreignLockDoesNotBlock() {
    // The runtime folders are another user's, so they cannot be used; the shared temporary
    // folder holds a lock of another live process. Neither may stop this user's first copy.
    // (This test runs as root in CI, which may hand folders to another user.)
    QTemporaryDir open;
    QTemporaryDir temp;
    QTemporaryDir cache;
    const QString fallbackRuntime =
        temp.path() + QStringLiteral("/runtime-") +
        QString::fromLocal8Bit(qgetenv("USER").isEmpty() ? QByteArray("root") : qgetenv("USER"));
    QVERIFY(QDir().mkdir(fallbackRuntime));
    for (const QString &folder : {open.path(), fallbackRuntime})
        QVERIFY2(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0,
                 "cannot hand a folder to another user");
    QFile foreign(temp.path() + QStringLiteral("/vantrel-foreign.lock"));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("1\nvantrel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    foreign.close();
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tempBefore = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", open.path().toLocal8Bit());
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    {
        SingleInstance first(QStringLiteral("vantrel-foreign"));
        QVERIFY2(first.IsFirst(), qPrintable(first.Folder()));
        QVERIFY2(first.Folder().startsWith(cache.path()), qPrintable(first.Folder()));
        SingleInstance second(QStringLiteral("vantrel-foreign"));
        QVERIFY(!second.IsFirst());
    }
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    qputenv("TMPDIR", tempBefore);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
