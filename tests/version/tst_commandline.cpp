// vantrel --version and --help answer on the command line without a display and exit, before
// any window, lock file or router query.

#include <QProcess>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
};

void TestCommandLine::answers_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("start");
    const QString version = QStringLiteral("vantrel " VANTREL_PROJECT_VERSION "\n");
    QTest::addRow("--version") << QStringList{"--version"} << version;
    QTest::addRow("-v") << QStringList{"-v"} << version;
    QTest::addRow("Qt's -reverse is not -v") << QStringList{"-reverse", "--version"} << version;
    QTest::addRow("--help") << QStringList{"--help"} << QStringLiteral("Usage: vantrel [options]");
}

void TestCommandLine::answers() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, start);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VANTREL_BINARY), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(out.startsWith(start), qPrintable(out));
    if (start.startsWith(QLatin1String("Usage")))
        QVERIFY(out.contains(QLatin1String("--version")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
