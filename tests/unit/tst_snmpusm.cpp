// The user-based security model without the network: keys from passphrases as RFC 3414 gives
// them, and which of an agent's v3 messages the client accepts: never one whose digest is
// wrong, never an answer below the security level asked for, never one from before the
// engine's clock; and what it learns from reports.

#include "snmp/ber.h"
#include "snmp/usmcrypto.h"
#include "snmp/usmsession.h"
#include "snmp/v3message.h"

#include <QTest>

using namespace vantrel::snmp;

namespace {

const std::string Engine("\x80\x00\x1f\x88\x80vantrel", 12);
const std::int32_t Boots = 5;
const std::int32_t Time = 1000;
const std::int32_t MsgId = 77;
const char *const NotInTimeWindows = "1.3.6.1.6.3.15.1.1.2.0";
const char *const UnknownUserNames = "1.3.6.1.6.3.15.1.1.3.0";

QByteArray hex(const std::string &s) {
    return QByteArray::fromStdString(s).toHex();
}

ClientConfig sessionConfig(AuthProtocol auth, PrivProtocol priv) {
    ClientConfig c;
    c.version = Version::V3;
    c.user = "operator";
    c.securityLevel = SecurityLevel::AuthPriv;
    c.authProtocol = auth;
    c.authPassphrase = "auth passphrase";
    c.privProtocol = priv;
    c.privPassphrase = "privacy passphrase";
    return c;
}

// What the agent puts into one message; every field as a working agent sends it unless a row
// changes it.
struct Reply {
    int flags = V3Message::Auth | V3Message::Priv;
    std::int32_t msgId = MsgId;
    std::string engine = Engine;
    std::int32_t boots = Boots;
    std::int32_t time = Time;
    std::string user = "operator";
    int pduType = ber::GetResponse;
    std::string oid = "1.3.6.1.2.1.1.5.0";
    std::string authPassphrase = "auth passphrase";
    std::string privPassphrase = "privacy passphrase";
    int flipAt = -1;           // a byte changed after signing, counted from the end
    std::size_t macLength = 0; // 0: the protocol's
};

// The message as the agent would build it, with keys of its own from the passphrases.
std::string agentMessage(const ClientConfig &c, const Reply &r) {
    Pdu pdu = Pdu::Request(r.pduType, MsgId, {r.oid});
    pdu.bindings[0] = VarBind{r.oid, ber::OctetString, "router"};
    const std::string scoped = ScopedPdu{r.engine, std::string(), pdu}.Encode();
    V3Message m;
    m.msgId = r.msgId;
    m.flags = r.flags;
    m.engineId = r.engine;
    m.engineBoots = r.boots;
    m.engineTime = r.time;
    m.user = r.user;
    const std::string authKey = usm::LocalizeKey(
        c.authProtocol, usm::PasswordToKey(c.authProtocol, r.authPassphrase), r.engine);
    if (r.flags & V3Message::Priv) {
        const usm::Cipher cipher(
            c.privProtocol,
            usm::LocalizeKey(c.authProtocol, usm::PasswordToKey(c.authProtocol, r.privPassphrase),
                             r.engine));
        m.data = cipher.Encrypt(scoped, r.boots, r.time, 0x0102030405060708ull, m.privParams);
    } else {
        m.data = scoped;
    }
    std::string datagram;
    if (r.flags & V3Message::Auth) {
        const usm::Authenticator authenticator(c.authProtocol, authKey);
        m.authParams.assign(r.macLength ? r.macLength : authenticator.Length(), '\0');
        std::size_t at = 0;
        datagram = m.Encode(&at);
        datagram.replace(at, m.authParams.size(),
                         authenticator.Mac(datagram).substr(0, m.authParams.size()));
    } else {
        datagram = m.Encode();
    }
    if (r.flipAt >= 0)
        datagram[datagram.size() - 1 - std::size_t(r.flipAt)] ^= 0x01;
    return datagram;
}

} // namespace

Q_DECLARE_METATYPE(Reply)

class TestSnmpUsm : public QObject {
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void unwrap_data();
    void unwrap();
    void clockFromReports_data();
    void clockFromReports();
    void probeTeachesEngine();
    void unusableCredentials_data();
    void unusableCredentials();
};

void TestSnmpUsm::keys_data() {
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("localized");

    // RFC 3414, A.3.1 and A.3.2: "maplesyrup" for the engine 00...02.
    QTest::newRow("MD5") << int(AuthProtocol::Md5) << QByteArray("9faf3283884e92834ebc9847d8edd963")
                         << QByteArray("526f5eed9fcce26f8964c2930787d82b");
    QTest::newRow("SHA-1") << int(AuthProtocol::Sha1)
                           << QByteArray("9fb5cc0381497b3793528939ff788d5d79145211")
                           << QByteArray("6695febc9288e36282235fc7151f128497b38f3f");
}

void TestSnmpUsm::keys() {
    QFETCH(int, protocol);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, localized);

    const std::string engine = QByteArray::fromHex("000000000000000000000002").toStdString();
    const std::string ku = usm::PasswordToKey(AuthProtocol(protocol), "maplesyrup");
    QCOMPARE(hex(ku), key);
    QCOMPARE(hex(usm::LocalizeKey(AuthProtocol(protocol), ku, engine)), localized);
}

void TestSnmpUsm::unwrap_data() {
    QTest::addColumn<int>("auth");
    QTest::addColumn<int>("priv");
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("authenticated");

    using Kind = UsmSession::Unwrapped::Kind;
    const auto row = [](const char *name, const Reply &r, Kind kind, bool authenticated,
                        AuthProtocol auth = AuthProtocol::Sha256,
                        PrivProtocol priv = PrivProtocol::Aes128) {
        QTest::newRow(name) << int(auth) << int(priv) << r << int(kind) << authenticated;
    };
    Reply r;
    row("authentic answer", r, Kind::Response, true);
    row("authentic answer, MD5 and DES", r, Kind::Response, true, AuthProtocol::Md5,
        PrivProtocol::Des);
    row("authentic answer, SHA-512 and DES", r, Kind::Response, true, AuthProtocol::Sha512,
        PrivProtocol::Des);
    r = Reply();
    r.authPassphrase = "another passphrase";
    row("signed with another key", r, Kind::BadDigest, false);
    r = Reply();
    r.flipAt = 0;
    row("a byte changed after signing", r, Kind::BadDigest, false);
    row("a byte changed after signing, MD5", r, Kind::BadDigest, false, AuthProtocol::Md5);
    r = Reply();
    r.macLength = 12;
    row("a digest cut short", r, Kind::BadDigest, false);
    r = Reply();
    r.privPassphrase = "another privacy passphrase";
    row("encrypted with another key", r, Kind::Undecryptable, true);
    row("encrypted with another key, DES", r, Kind::Undecryptable, true, AuthProtocol::Sha1,
        PrivProtocol::Des);
    r = Reply();
    r.flags = V3Message::Auth;
    row("an answer without privacy to a request with it", r, Kind::Ignored, true);
    r.flags = 0;
    row("an answer without authentication", r, Kind::Ignored, false);
    r.flags = V3Message::Priv;
    row("privacy without authentication", r, Kind::Ignored, false);
    r = Reply();
    r.msgId = MsgId + 1;
    row("the answer to another message", r, Kind::Ignored, false);
    r = Reply();
    r.user = "intruder";
    row("another user", r, Kind::Ignored, false);
    r = Reply();
    r.engine = "another engine";
    row("another engine", r, Kind::Ignored, false);
    r = Reply();
    r.time = Time - 151;
    row("from before the time window", r, Kind::OutOfWindow, true);
    r.time = Time - 150;
    row("at the edge of the time window", r, Kind::Response, true);
    r = Reply();
    r.boots = Boots - 1;
    row("from the previous boot", r, Kind::OutOfWindow, true);
    r = Reply();
    r.pduType = ber::GetRequest;
    row("a request, not an answer", r, Kind::Ignored, true);
    r = Reply();
    r.pduType = ber::Report;
    r.flags = 0;
    r.oid = UnknownUserNames;
    row("a report without authentication", r, Kind::Report, false);
}

void TestSnmpUsm::unwrap() {
    QFETCH(int, auth);
    QFETCH(int, priv);
    QFETCH(Reply, reply);
    QFETCH(int, kind);
    QFETCH(bool, authenticated);

    const ClientConfig c = sessionConfig(AuthProtocol(auth), PrivProtocol(priv));
    UsmSession session(c);
    const auto t0 = UsmSession::Clock::now();
    session.SetEngine(Engine, Boots, Time, t0);
    const UsmSession::Unwrapped got =
        session.Unwrap(agentMessage(c, reply), MsgId, false, t0 + std::chrono::milliseconds(10));
    QCOMPARE(int(got.kind), kind);
    QCOMPARE(got.authenticated, authenticated);
    if (got.kind == UsmSession::Unwrapped::Kind::Response) {
        QCOMPARE(int(got.pdu.bindings.size()), 1);
        QCOMPARE(got.pdu.bindings[0].value, std::string("router"));
    }
}

void TestSnmpUsm::clockFromReports_data() {
    QTest::addColumn<int>("pduType");
    QTest::addColumn<QString>("oid");
    QTest::addColumn<int>("boots");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("learntBoots");
    QTest::addColumn<int>("learntTime");

    // An authentic answer moves the clock only forward; the engine's own report of its clock
    // is taken also when it goes back, as after a router lost its boot count.
    QTest::newRow("a later time") << int(ber::GetResponse) << "1.3.6.1.2.1.1.5.0" << Boots
                                  << Time + 500 << Boots << Time + 500;
    QTest::newRow("a later boot") << int(ber::GetResponse) << "1.3.6.1.2.1.1.5.0" << Boots + 1 << 3
                                  << Boots + 1 << 3;
    QTest::newRow("an earlier time stays unlearnt")
        << int(ber::GetResponse) << "1.3.6.1.2.1.1.5.0" << Boots << Time - 100 << Boots << Time;
    QTest::newRow("report of an earlier boot")
        << int(ber::Report) << NotInTimeWindows << Boots - 3 << 40 << Boots - 3 << 40;
}

void TestSnmpUsm::clockFromReports() {
    QFETCH(int, pduType);
    QFETCH(QString, oid);
    QFETCH(int, boots);
    QFETCH(int, time);
    QFETCH(int, learntBoots);
    QFETCH(int, learntTime);

    const ClientConfig c = sessionConfig(AuthProtocol::Sha1, PrivProtocol::Aes128);
    UsmSession session(c);
    const auto t0 = UsmSession::Clock::now();
    session.SetEngine(Engine, Boots, Time, t0);
    Reply r;
    r.pduType = pduType;
    r.oid = oid.toStdString();
    r.flags = pduType == ber::Report ? V3Message::Auth : r.flags;
    r.boots = boots;
    r.time = time;
    session.Unwrap(agentMessage(c, r), MsgId, false, t0);

    // The next request carries the clock learnt.
    V3Message next;
    QVERIFY(next.Decode(session.Wrap(Pdu::Request(ber::GetRequest, 1, {"1.3"}), 1, t0)));
    QCOMPARE(next.engineBoots, learntBoots);
    QCOMPARE(next.engineTime, learntTime);
}

void TestSnmpUsm::probeTeachesEngine() {
    const ClientConfig c = sessionConfig(AuthProtocol::Sha1, PrivProtocol::Aes128);
    UsmSession session(c);
    QVERIFY(!session.Discovered());
    // The probe itself names no engine and no user, and asks for a report.
    V3Message probe;
    QVERIFY(probe.Decode(UsmSession::Probe(9)));
    QVERIFY(probe.engineId.empty() && probe.user.empty());
    QCOMPARE(probe.flags, int(V3Message::Reportable));

    Reply r;
    r.msgId = 9;
    r.flags = 0;
    r.user.clear();
    r.pduType = ber::Report;
    r.oid = "1.3.6.1.6.3.15.1.1.4.0";
    r.time = 4321;
    const auto got = session.Unwrap(agentMessage(c, r), 9, true);
    QCOMPARE(int(got.kind), int(UsmSession::Unwrapped::Kind::Report));
    QVERIFY(session.Discovered());
    QCOMPARE(hex(session.EngineId()), hex(Engine));
    // The same report to anything but the probe teaches nothing.
    UsmSession other(c);
    other.Unwrap(agentMessage(c, r), 9, false);
    QVERIFY(!other.Discovered());
}

void TestSnmpUsm::unusableCredentials_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("authPassphrase");
    QTest::addColumn<QString>("privPassphrase");
    QTest::addColumn<bool>("usable");

    const int none = int(SecurityLevel::NoAuthNoPriv), auth = int(SecurityLevel::AuthNoPriv),
              priv = int(SecurityLevel::AuthPriv);
    QTest::newRow("no user") << none << ""
                             << ""
                             << "" << false;
    QTest::newRow("user of 32 bytes") << none << QString(32, 'u') << ""
                                      << "" << true;
    QTest::newRow("user of 33 bytes") << none << QString(33, 'u') << ""
                                      << "" << false;
    QTest::newRow("passphrase of 8 bytes") << auth << "u"
                                           << "12345678"
                                           << "" << true;
    QTest::newRow("passphrase of 7 bytes") << auth << "u"
                                           << "1234567"
                                           << "" << false;
    QTest::newRow("privacy passphrase of 7 bytes") << priv << "u"
                                                   << "12345678"
                                                   << "1234567" << false;
    QTest::newRow("short privacy passphrase unused") << auth << "u"
                                                     << "12345678"
                                                     << "" << true;
}

void TestSnmpUsm::unusableCredentials() {
    QFETCH(int, level);
    QFETCH(QString, user);
    QFETCH(QString, authPassphrase);
    QFETCH(QString, privPassphrase);
    QFETCH(bool, usable);

    ClientConfig c = sessionConfig(AuthProtocol::Sha1, PrivProtocol::Aes128);
    c.securityLevel = SecurityLevel(level);
    c.user = user.toStdString();
    c.authPassphrase = authPassphrase.toStdString();
    c.privPassphrase = privPassphrase.toStdString();
    QCOMPARE(UsmSession(c).CredentialsUsable(), usable);
}

QTEST_GUILESS_MAIN(TestSnmpUsm)
#include "tst_snmpusm.moc"
