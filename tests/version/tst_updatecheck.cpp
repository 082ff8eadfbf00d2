// The update check against a loopback HTTP server: the three lines and their line breaks, the
// three messages, and every way a fetch can fail (error status, junk, a huge or slow body, a
// closed port, redirects) ending in a clear error within its time-out, also off the window
// thread. Every request goes to 127.0.0.1; no test names the default server.

#include "httpserver.h"
#include "version/updatecheck.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace vantrel::version;

namespace {

const QString kPath = QStringLiteral("/vantrel/version.txt");
const QString kSite = QStringLiteral("www.example.org");
const QString kRunning = QStringLiteral("0.1.0.9");

QString lines(std::initializer_list<const char *> parts) {
    QStringList out;
    for (const char *p : parts)
        out << QString::fromLatin1(p);
    return out.join(QLatin1Char('\r'));
}

// A base URL whose port has nothing listening.
QString closedBase() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
}

} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Nothing may leave through a proxy named by the environment.
        for (const char *v :
             {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(v);
    }
    void lineBreaks_data();
    void lineBreaks();
    void messages_data();
    void messages();
    void fetchFailures_data();
    void fetchFailures();
    void runsOffTheWindowThread();
    void destroyingCancelsARunningCheck();

private:
    HttpServer server;
};

void TestUpdateCheck::lineBreaks_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected");
    const QStringList three = {"0.1.0.9", "1 March 2007", "in June"};
    QTest::addRow("LF") << QByteArray("0.1.0.9\n1 March 2007\nin June\n") << three;
    QTest::addRow("CR") << QByteArray("0.1.0.9\r1 March 2007\rin June") << three;
    QTest::addRow("CR LF") << QByteArray("0.1.0.9\r\n1 March 2007\r\nin June\r\n") << three;
    QTest::addRow("blank lines skipped")
        << QByteArray("0.1.0.9\r\n\r\n\n\r1 March 2007\n\n\nin June") << three;
    QTest::addRow("fourth line ignored")
        << QByteArray("0.1.0.9\n1 March 2007\nin June\nmore\n") << three;
    QTest::addRow("no third line")
        << QByteArray("0.1.0.9\n1 March 2007\n") << QStringList{"0.1.0.9", "1 March 2007", ""};
    QTest::addRow("empty") << QByteArray() << QStringList{"", "", ""};
    QTest::addRow("trailing blanks kept")
        << QByteArray("0.1.0.9 \n a date \n") << QStringList{"0.1.0.9 ", " a date ", ""};
}

void TestUpdateCheck::lineBreaks() {
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    server.Serve("/lines.txt", {"200 OK", {}, body, 0});
    const WebVersionInfo web = FetchVersionFile(server.Base(), QStringLiteral("/lines.txt"));
    QCOMPARE((QStringList{web.version, web.releaseDate, web.nextVersionNote}), expected);
}

void TestUpdateCheck::messages_data() {
    QTest::addColumn<QString>("running");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::addRow("latest, note too short")
        << kRunning << QByteArray("0.1.0.9\r\n1 March 2007\r\nsoon\r\n")
        << lines({"You are already using the latest version (0.1.0.9)",
                  "which was released on 1 March 2007."});
    QTest::addRow("latest, note shown")
        << kRunning << QByteArray("0.1.0.9\n1 March 2007\nin June\n")
        << lines({"You are already using the latest version (0.1.0.9)",
                  "which was released on 1 March 2007.", "", "A new version is expected in June"});
    QTest::addRow("newer published")
        << kRunning << QByteArray("0.2.0.0\n2 May 2008\n")
        << lines({"You are using version 0.1.0.9.", "", "A new version (0.2.0.0) is available!",
                  "It was released on 2 May 2008.", "",
                  "Please visit the Vantrel web site at www.example.org soon to download it."});
    // 0.1.0.10 follows 0.1.0.9, though its text sorts first.
    QTest::addRow("compared as numbers, not as text")
        << kRunning << QByteArray("0.1.0.10\n1 June 2008\n")
        << lines({"You are using version 0.1.0.9.", "", "A new version (0.1.0.10) is available!",
                  "It was released on 1 June 2008.", "",
                  "Please visit the Vantrel web site at www.example.org soon to download it."});
    QTest::addRow("older published")
        << QStringLiteral("0.1.0.10") << QByteArray("0.1.0.9\n1 March 2007\n")
        << lines({"You are already using a later version (0.1.0.10)",
                  "than the version (0.1.0.9) which is publicly", "available!"});
    QTest::addRow("trailing blank does not count")
        << kRunning << QByteArray("0.1.0.9 \n1 March 2007\n")
        << lines({"You are already using the latest version (0.1.0.9 )",
                  "which was released on 1 March 2007."});
}

void TestUpdateCheck::messages() {
    QFETCH(QString, running);
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    server.Serve(kPath.toLatin1(), {"200 OK", {}, file, 0});
    QCOMPARE(CheckForUpdate(server.Base(), kPath, running, kSite), expected);
}

void TestUpdateCheck::fetchFailures_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("errorPart");
    const QString base = server.Base();
    server.Serve("/empty.txt", {"200 OK", {}, {}, 0});
    server.Serve("/junk.txt", {"200 OK", {}, "<html><body>Welcome!</body></html>\n", 0});
    server.Serve("/huge.txt", {"200 OK", {}, "0.1.0.9\n" + QByteArray(100 * 1024, 'x'), 0});
    server.Serve("/slow.txt", {"200 OK", {}, "0.1.0.9\n1 March 2007\n", 5000});
    server.Serve("/moved.txt", {"302 Found", "Location: /loop.txt\r\n", {}, 0});
    server.Serve("/loop.txt", {"302 Found", "Location: /moved.txt\r\n", {}, 0});
    server.Serve("/toftp.txt", {"302 Found", "Location: ftp://127.0.0.1/x\r\n", {}, 0});
    server.Serve("/hugeheader.txt",
                 {"200 OK", "X-Junk: " + QByteArray(10 * 1024 * 1024, 'j') + "\r\n", {}, 0});
    QByteArray manyHeaders;
    for (int i = 0; i < 2000; ++i)
        manyHeaders += "X-Junk-" + QByteArray::number(i) + ": " + QByteArray(60, 'j') + "\r\n";
    server.Serve("/manyheaders.txt", {"200 OK", manyHeaders, "0.1.0.9\n", 0});
    QTest::addRow("missing file") << base << QByteArray("/nothere.txt") << QStringLiteral("404");
    QTest::addRow("empty body") << base << QByteArray("/empty.txt")
                                << QStringLiteral("does not start with a version number");
    QTest::addRow("junk") << base << QByteArray("/junk.txt")
                          << QStringLiteral("does not start with a version number");
    QTest::addRow("huge body") << base << QByteArray("/huge.txt")
                               << QStringLiteral("larger than 64 KiB");
    // Not "Out of memory": the server sent too much.
    QTest::addRow("10 MB header line")
        << base << QByteArray("/hugeheader.txt") << QStringLiteral("headers are too large");
    QTest::addRow("many header lines")
        << base << QByteArray("/manyheaders.txt") << QStringLiteral("headers are too large");
    QTest::addRow("slow body") << base << QByteArray("/slow.txt") << QStringLiteral("timed out");
    QTest::addRow("closed port") << closedBase() << QByteArray("/vantrel/version.txt")
                                 << QStringLiteral("127.0.0.1");
    QTest::addRow("redirect loop")
        << base << QByteArray("/moved.txt") << QStringLiteral("redirect");
    QTest::addRow("redirect to ftp") << base << QByteArray("/toftp.txt") << QStringLiteral("ftp");
    QTest::addRow("ftp base") << QStringLiteral("ftp://127.0.0.1:%1").arg(server.Port())
                              << QByteArray("/x") << QStringLiteral("ftp");
}

void TestUpdateCheck::fetchFailures() {
    QFETCH(QString, base);
    QFETCH(QByteArray, path);
    QFETCH(QString, errorPart);
    FetchLimits limits;
    limits.connectTimeoutMs = 1000;
    limits.totalTimeoutMs = 1000;
    QElapsedTimer clock;
    clock.start();
    try {
        CheckForUpdate(base, QString::fromLatin1(path), QStringLiteral("0.1.0.9"), kSite, limits);
        QFAIL("no error");
    } catch (const UpdateCheckError &e) {
        const QString text = QString::fromStdString(e.what());
        QVERIFY2(text.contains(errorPart, Qt::CaseInsensitive), qPrintable(text));
    }
    QVERIFY2(clock.elapsed() < 2500, "the time-out bounds every failure");
}

void TestUpdateCheck::runsOffTheWindowThread() {
    server.Serve(kPath.toLatin1(), {"200 OK", {}, "0.1.0.9\n1 March 2007\n", 600});
    UpdateCheck check({server.Base(), kPath, FetchLimits{}});
    QSignalSpy finished(&check, &UpdateCheck::Finished);
    QSignalSpy failed(&check, &UpdateCheck::Failed);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    QVERIFY(check.Start(QStringLiteral("0.1.0.9")));
    QVERIFY(!check.Start(QStringLiteral("0.1.0.9"))); // one at a time
    QVERIFY(finished.wait(5000));
    QVERIFY2(ticks >= 10, "the window thread kept running while the server was slow");
    QCOMPARE(failed.count(), 0);
    QVERIFY(finished.at(0).at(0).toString().startsWith("You are already using the latest"));
    QVERIFY(!check.IsRunning());

    // The same object checks again; a failure arrives as Failed.
    server.Serve(kPath.toLatin1(), {"404 Not Found", {}, {}, 0});
    QVERIFY(check.Start(QStringLiteral("0.1.0.9")));
    QVERIFY(failed.wait(5000));
    QVERIFY(failed.at(0).at(0).toString().contains("404"));
}

void TestUpdateCheck::destroyingCancelsARunningCheck() {
    server.Serve(kPath.toLatin1(), {"200 OK", {}, "0.1.0.9\n1 March 2007\n", 8000});
    auto check = std::make_unique<UpdateCheck>(UpdateCheck::Source{server.Base(), kPath, {}});
    QSignalSpy finished(check.get(), &UpdateCheck::Finished);
    QVERIFY(check->Start(QStringLiteral("0.1.0.9")));
    QTest::qWait(200);
    QElapsedTimer clock;
    clock.start();
    check.reset();
    QVERIFY2(clock.elapsed() < 2000, "closing the window never waits for the server");
    QCoreApplication::processEvents();
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
