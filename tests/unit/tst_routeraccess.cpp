// The router access: its keys in the settings file, the way the router model's link reaches the
// agent with each version (what goes on the wire), and the reason it gives when a request fails.

#include "agent/loopbackagent.h"
#include "core/inifile.h"
#include "core/routermodel.h"
#include "core/settings.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace vantrel::core;
using vantrel::tools::AgentRequest;
using vantrel::tools::LoopbackAgent;

namespace {

const char SysDescr[] = "1.3.6.1.2.1.1.1.0";
const char SysName[] = "1.3.6.1.2.1.1.5.0";
const char IfDescr[] = "1.3.6.1.2.1.2.2.1.2";

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

int modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// One RefreshRows through the model, its result once delivered.
RowReadings readRows(RouterModel &model, const std::vector<std::string> &oids) {
    QSignalSpy spy(&model, &RouterModel::rowsRead);
    ResultHead head;
    head.requester = Requester::Monitor;
    if (!model.RefreshRows(QStringLiteral("rows"), oids, head))
        return {};
    if (!spy.wait(15000))
        return {};
    return spy.takeFirst().at(1).value<RowReadings>();
}

} // namespace

Q_DECLARE_METATYPE(vantrel::core::RowReadings)

class TestRouterAccess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<RowReadings>(); }

    void keysLoad_data();
    void keysLoad();
    void v1FileGainsNoKeys();
    void passphrasesInFileMakeItPrivate();
    void passphrasesLeaveTheFileForTheStore();
    void failureText_data();
    void failureText();

    void wireOfEachVersion();
    void accessChangeTakesEffect();
    void failureReachesResult_data();
    void failureReachesResult();
};

void TestRouterAccess::keysLoad_data() {
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("auth");
    QTest::addColumn<int>("privacy");
    QTest::addColumn<bool>("inFile");
    using A = RouterAccess;
    QTest::newRow("absent: v1") << QByteArray() << int(A::Version::V1)
                                << int(A::Level::NoAuthNoPriv) << int(A::Auth::Sha)
                                << int(A::Privacy::Aes) << false;
    QTest::newRow("2c") << QByteArray("Version=2c\n") << int(A::Version::V2c)
                        << int(A::Level::NoAuthNoPriv) << int(A::Auth::Sha) << int(A::Privacy::Aes)
                        << false;
    QTest::newRow("v3 authPriv SHA-512 DES, passphrases in the file")
        << QByteArray("Version=3\nUser=ops\nSecurity level=authPriv\nAuth protocol=SHA-512\n"
                      "Privacy protocol=DES\nAuth passphrase=secret-one\n"
                      "Privacy passphrase=secret-two\n")
        << int(A::Version::V3) << int(A::Level::AuthPriv) << int(A::Auth::Sha512)
        << int(A::Privacy::Des) << true;
    QTest::newRow("case and blanks do not matter")
        << QByteArray("Version= 2C \nSecurity level=AUTHNOPRIV\nAuth protocol=md5\n")
        << int(A::Version::V2c) << int(A::Level::AuthNoPriv) << int(A::Auth::Md5)
        << int(A::Privacy::Aes) << false;
    QTest::newRow("unknown words keep the defaults")
        << QByteArray("Version=4\nSecurity level=high\nAuth protocol=SHA1\nPrivacy protocol=AES-"
                      "256\n")
        << int(A::Version::V1) << int(A::Level::NoAuthNoPriv) << int(A::Auth::Sha)
        << int(A::Privacy::Aes) << false;
}

void TestRouterAccess::keysLoad() {
    QFETCH(QByteArray, keys);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vantrel.ini"));
    writeFile(path, "[System Info Settings]\nIP=127.0.0.1\n" + keys);
    SettingsFile file(path);
    const SettingsValues v = file.Load().values;
    QTEST(int(v.Access.version), "version");
    QTEST(int(v.Access.level), "level");
    QTEST(int(v.Access.auth), "auth");
    QTEST(int(v.Access.privacy), "privacy");
    QTEST(v.PassphrasesInFile, "inFile");

    // What was read is what the next load reads.
    QString reason;
    QVERIFY2(file.Save(v, {}, reason), qPrintable(reason));
    const SettingsValues again = SettingsFile(path).Load().values;
    QVERIFY(again.Access == v.Access);
    QCOMPARE(again.PassphrasesInFile, v.PassphrasesInFile);
}

void TestRouterAccess::v1FileGainsNoKeys() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vantrel.ini"));
    writeFile(path, "[System Info Settings]\nIP=127.0.0.1\n");
    SettingsFile file(path);
    SettingsValues v = file.Load().values;
    QString reason;
    QVERIFY(file.Save(v, {}, reason));
    IniFile ini;
    QVERIFY(ini.Load(path));
    for (const char *key : {"Version", "User", "Security level", "Auth protocol",
                            "Privacy protocol", "Auth passphrase", "Privacy passphrase"})
        QVERIFY2(ini.ReadBytes(QStringLiteral("System Info Settings"), QLatin1String(key), "-") ==
                     "-",
                 key);

    // Back to v1 from v3: the file says so (the old words do not stay behind).
    writeFile(path, "[System Info Settings]\nVersion=3\nSecurity level=authNoPriv\n");
    SettingsFile v3(path);
    v = v3.Load().values;
    v.Access = RouterAccess();
    QVERIFY(v3.Save(v, {}, reason));
    QCOMPARE(SettingsFile(path).Load().values.Access.version, RouterAccess::Version::V1);
    QCOMPARE(SettingsFile(path).Load().values.Access.level, RouterAccess::Level::NoAuthNoPriv);
}

void TestRouterAccess::passphrasesInFileMakeItPrivate() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vantrel.ini"));
    writeFile(path, "[System Info Settings]\nIP=127.0.0.1\n");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                            QFile::ReadOther));
    SettingsFile file(path);
    SettingsValues v = file.Load().values;
    v.Access.version = RouterAccess::Version::V3;
    v.Access.level = RouterAccess::Level::AuthNoPriv;
    v.Access.authPassphrase = QStringLiteral("auth-secret");
    v.PassphrasesInFile = true;
    QString reason;
    QVERIFY(file.Save(v, {}, reason));
    QCOMPARE(modeOf(path), 0600);
    QVERIFY(readAll(path).contains("Auth passphrase=auth-secret"));

    // A passphrase put in by hand: the reset date's own write makes the file private too.
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    QVERIFY(file.WriteLastResetDate(QStringLiteral("01/12/2026"), reason));
    QCOMPARE(modeOf(path), 0600);
}

void TestRouterAccess::passphrasesLeaveTheFileForTheStore() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vantrel.ini"));
    writeFile(path, "[System Info Settings]\nVersion=3\nSecurity level=authPriv\n"
                    "Auth passphrase=old-auth-1\nPrivacy passphrase=old-priv-1\n");
    SettingsFile file(path);
    SettingsValues v = file.Load().values;
    QVERIFY(v.PassphrasesInFile);
    v.PassphrasesInFile = false; // the secret store keeps them now
    QString reason;
    QVERIFY(file.Save(v, {}, reason));
    const QByteArray text = readAll(path);
    QVERIFY(!text.contains("old-auth-1"));
    QVERIFY(!text.contains("old-priv-1"));
}

void TestRouterAccess::failureText_data() {
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text");
    QTest::newRow("silence") << int(LinkFailure::NoAnswer) << "10.0.0.1"
                             << "no answer within 5 s";
    QTest::newRow("bad dotted address") << int(LinkFailure::BadTarget) << "999.1.1.1"
                                        << "not a valid address";
    QTest::newRow("bad port") << int(LinkFailure::BadTarget) << "10.0.0.1:99999"
                              << "not a valid address";
    QTest::newRow("empty") << int(LinkFailure::BadTarget) << ""
                           << "not a valid address";
    QTest::newRow("a name") << int(LinkFailure::BadTarget) << "router.home:161"
                            << "the name does not resolve";
    QTest::newRow("closed port") << int(LinkFailure::Unreachable) << "127.0.0.1:9"
                                 << "the port is closed (the computer refused it)";
    QTest::newRow("wrong passphrase")
        << int(LinkFailure::Authentication) << "127.0.0.1"
        << "the router refused the authentication: check the user name and passphrase";
    QTest::newRow("no failure") << int(LinkFailure::None) << "127.0.0.1"
                                << "";
}

void TestRouterAccess::failureText() {
    QFETCH(int, failure);
    QFETCH(QString, target);
    QTEST(FailureText(LinkFailure(failure), target.toStdString(), 5000), "text");
}

// v1 asks exactly as it always has: every GET from a fresh socket with request id 1, walks with
// GetNext from id 2. v2c keeps one socket and counts its ids on, and walks with GetBulk.
void TestRouterAccess::wireOfEachVersion() {
    LoopbackAgent agent("vormel");
    QVERIFY(agent.Start());
    agent.SetString(SysDescr, "router");
    agent.SetString(SysName, "name");
    agent.SetString(std::string(IfDescr) + ".1", "lo");
    agent.SetString(std::string(IfDescr) + ".2", "wan");
    agent.SetInteger("1.3.6.1.2.1.2.2.1.3.1", 24);

    RouterModel::Options options;
    options.timeoutMs = 2000;
    RouterModel model(options);
    model.SetTarget(agent.Host(), "vormel");
    std::vector<std::vector<std::string>> walks;
    auto readAndWalk = [&] {
        QCOMPARE(readRows(model, {SysDescr, SysName}).replies.size(), size_t(2));
        QSignalSpy spy(&model, &RouterModel::rowsRead);
        ResultHead head;
        std::vector<std::string> rows;
        QVERIFY(model.Submit<RowReadings>(
            QStringLiteral("walk"), RouterModel::JobKind::Background, head,
            [&rows](RouterLink &link) {
                link.Walk(IfDescr, rows);
                return RowReadings();
            },
            [](RowReadings &) {}));
        QTRY_VERIFY(model.Idle());
        walks.push_back(rows);
    };

    readAndWalk();
    std::vector<AgentRequest> v1 = agent.Requests();
    QCOMPARE(v1.size(), size_t(5)); // two GETs, three GetNext steps
    QCOMPARE(v1[0].id, 1);
    QCOMPARE(v1[1].id, 1);
    QVERIFY(v1[0].sourcePort != v1[1].sourcePort);
    QCOMPARE(v1[2].id, 2);
    QCOMPARE(v1[2].pduType, 0xA1);
    for (const AgentRequest &r : v1)
        QCOMPARE(r.version, 0);

    agent.ClearRequests();
    RouterAccess v2c;
    v2c.version = RouterAccess::Version::V2c;
    model.SetAccess(v2c);
    readAndWalk();
    const std::vector<AgentRequest> v2 = agent.Requests();
    QVERIFY(v2.size() >= 3);
    QCOMPARE(v2[0].version, 1);
    QCOMPARE(v2[1].id, v2[0].id + 1);
    QCOMPARE(v2[1].sourcePort, v2[0].sourcePort);
    QCOMPARE(v2[2].pduType, 0xA5);
    QCOMPARE(v2[2].sourcePort, v2[0].sourcePort);
    // The same lines either way.
    QCOMPARE(walks[1], walks[0]);
    QVERIFY(!walks[0].empty());
    QVERIFY(walks[0].back().find("\"wan\"") != std::string::npos);
}

void TestRouterAccess::accessChangeTakesEffect() {
    // v2c community only: a v1 request goes unanswered until the access says v2c.
    LoopbackAgent agent("vormel");
    QVERIFY(agent.Start());
    agent.SetString(SysDescr, "router");
    RouterModel::Options options;
    options.timeoutMs = 1000;
    RouterModel model(options);
    model.SetTarget(agent.Host(), "vormel");
    RouterAccess v2c;
    v2c.version = RouterAccess::Version::V2c;
    model.SetAccess(v2c);
    QCOMPARE(readRows(model, {SysDescr}).replies.at(0).value_or("-"), std::string("router"));
    model.SetAccess(RouterAccess());
    QCOMPARE(readRows(model, {SysDescr}).replies.at(0).value_or("-"), std::string("router"));
    QCOMPARE(agent.Requests().back().version, 0);
    QCOMPARE(model.Access().version, RouterAccess::Version::V1);
}

void TestRouterAccess::failureReachesResult_data() {
    QTest::addColumn<QString>("target"); // "agent", "closed" or a text
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("text");
    QTest::newRow("silent agent") << "agent" << int(LinkFailure::NoAnswer)
                                  << "no answer within 1 s";
    QTest::newRow("closed port") << "closed" << int(LinkFailure::Unreachable)
                                 << "the port is closed (the computer refused it)";
    QTest::newRow("not an address")
        << "999.1.1.1" << int(LinkFailure::BadTarget) << "not a valid address";
}

void TestRouterAccess::failureReachesResult() {
    QFETCH(QString, target);
    LoopbackAgent agent("other");
    QVERIFY(agent.Start());
    std::string host = target.toStdString();
    if (target == QLatin1String("agent")) {
        host = agent.Host();
    } else if (target == QLatin1String("closed")) {
        host = agent.Host();
        agent.Stop();
    }
    RouterModel::Options options;
    options.timeoutMs = 1000;
    RouterModel model(options);
    model.SetTarget(host, "vormel");
    const RowReadings r = readRows(model, {SysDescr});
    QVERIFY(r.head.outcome.probeFailed);
    QTEST(int(r.head.outcome.failureKind), "failure");
    QTEST(QString::fromStdString(r.head.outcome.failure), "text");

    // An answer afterwards carries no stale reason.
    if (target == QLatin1String("agent")) {
        agent.SetCommunity("vormel");
        agent.SetString(SysDescr, "router");
        const RowReadings ok = readRows(model, {SysDescr});
        QVERIFY(!ok.head.outcome.probeFailed);
        QCOMPARE(ok.head.outcome.failureKind, LinkFailure::None);
    }
}

QTEST_GUILESS_MAIN(TestRouterAccess)
#include "tst_routeraccess.moc"
