// The bytes of a request on the wire, the text each received value becomes, and which datagrams
// the decoder refuses as not well-formed.

#include "snmp/ber.h"
#include "snmp/client.h"
#include "snmp/message.h"

#include <QTest>

using namespace vantrel::snmp;

namespace {

QByteArray bytes(const std::string &s) {
    return QByteArray::fromStdString(s);
}

QByteArray hex(const char *text) {
    return QByteArray::fromHex(text); // spaces between the bytes are skipped
}

// A GetResponse holding one binding whose value is the given BER item.
std::string replyWithItem(const std::string &oid, const std::string &valueItem) {
    const std::string binding = ber::EncodeItem(
        ber::Sequence, ber::EncodeItem(ber::ObjectId, ber::OidContent(oid)) + valueItem);
    const std::string pdu = ber::EncodeItem(ber::Integer, ber::IntegerContent(1)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(0)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(0)) +
                            ber::EncodeItem(ber::Sequence, binding);
    return ber::EncodeItem(ber::Sequence, ber::EncodeItem(ber::Integer, ber::IntegerContent(0)) +
                                              ber::EncodeItem(ber::OctetString, "vormel") +
                                              ber::EncodeItem(ber::GetResponse, pdu));
}

} // namespace

class TestSnmpCodec : public QObject {
    Q_OBJECT

private slots:
    void encodeRequest_data();
    void encodeRequest();
    void renderValue_data();
    void renderValue();
    void decodeHeaderAndBindings();
    void decodeMalformed_data();
    void decodeMalformed();
};

void TestSnmpCodec::encodeRequest_data() {
    QTest::addColumn<int>("pduType");
    QTest::addColumn<int>("requestId");
    QTest::addColumn<QByteArray>("community");
    QTest::addColumn<QByteArray>("oid");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray uptimePdu =
        hex("A0 19 02 01 01 02 01 00 02 01 00 30 0E 30 0C 06 08 2B 06 01 02 01 01 03 00 05 00");

    QTest::addRow("GET of sysUpTime, the 40-byte example")
        << 0xA0 << 1 << QByteArray("vormel") << QByteArray("1.3.6.1.2.1.1.3.0")
        << hex("30 26 02 01 00 04 06") + QByteArray("vormel") + uptimePdu;
    QTest::addRow("empty community is 04 00")
        << 0xA0 << 1 << QByteArray() << QByteArray("1.3.6.1.2.1.1.3.0")
        << hex("30 20 02 01 00 04 00") + uptimePdu;
    QTest::addRow("GETNEXT of a column with request id 2")
        << 0xA1 << 2 << QByteArray("public") << QByteArray("1.3.6.1.2.1.4.20.1.2")
        << hex("30 27 02 01 00 04 06 70 75 62 6C 69 63 A1 1A 02 01 02 02 01 00 02 01 00"
               "30 0F 30 0D 06 09 2B 06 01 02 01 04 14 01 02 05 00");
    QTest::addRow("request id 200 gets a leading zero, arc 763 two base-128 bytes")
        << 0xA0 << 200 << QByteArray() << QByteArray("1.3.6.1.4.1.763.3.1.2.0")
        << hex("30 24 02 01 00 04 00 A0 1D 02 02 00 C8 02 01 00 02 01 00"
               "30 11 30 0F 06 0B 2B 06 01 04 01 85 7B 03 01 02 00 05 00");
    QTest::addRow("non-numeric arc counts as 0, largest 32-bit arc")
        << 0xA0 << 1 << QByteArray() << QByteArray("1.3.x.4294967295")
        << hex("30 1F 02 01 00 04 00 A0 18 02 01 01 02 01 00 02 01 00"
               "30 0D 30 0B 06 07 2B 00 8F FF FF FF 7F 05 00");
    QTest::addRow("community of 200 bytes: one-byte long-form lengths")
        << 0xA0 << 1 << QByteArray(200, 'c') << QByteArray("1.3.6.1.2.1.1.3.0")
        << hex("30 81 E9 02 01 00 04 81 C8") + QByteArray(200, 'c') + uptimePdu;
    QTest::addRow("community of 300 bytes: two-byte long-form lengths")
        << 0xA0 << 1 << QByteArray(300, 'c') << QByteArray("1.3.6.1.2.1.1.3.0")
        << hex("30 82 01 4E 02 01 00 04 82 01 2C") + QByteArray(300, 'c') + uptimePdu;
}

void TestSnmpCodec::encodeRequest() {
    QFETCH(int, pduType);
    QFETCH(int, requestId);
    QFETCH(QByteArray, community);
    QFETCH(QByteArray, oid);
    QFETCH(QByteArray, expected);

    Message query;
    query.community = community.toStdString();
    query.pdu = Pdu::Request(pduType, requestId, {oid.toStdString()});
    QCOMPARE(bytes(query.Encode()).toHex(' '), expected.toHex(' '));
}

void TestSnmpCodec::renderValue_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("text");

    QTest::addRow("INTEGER FF") << 0x02 << hex("FF") << QByteArray("-1");
    QTest::addRow("INTEGER 00 FF") << 0x02 << hex("00 FF") << QByteArray("255");
    QTest::addRow("INTEGER smallest") << 0x02 << hex("80 00 00 00") << QByteArray("-2147483648");
    QTest::addRow("INTEGER largest") << 0x02 << hex("7F FF FF FF") << QByteArray("2147483647");
    QTest::addRow("INTEGER 5 bytes keeps low 32 bits")
        << 0x02 << hex("01 80 00 00 00") << QByteArray("-2147483648");
    QTest::addRow("INTEGER no content") << 0x02 << QByteArray() << QByteArray("0");
    QTest::addRow("BOOLEAN as INTEGER") << 0x01 << hex("FF") << QByteArray("-1");
    QTest::addRow("ENUMERATED as INTEGER") << 0x0A << hex("02") << QByteArray("2");
    QTest::addRow("Counter above 2^31")
        << 0x41 << hex("00 B2 D0 5E 00") << QByteArray("3000000000");
    QTest::addRow("Counter largest") << 0x41 << hex("FF FF FF FF") << QByteArray("4294967295");
    QTest::addRow("Counter 5 bytes keeps low 32 bits")
        << 0x41 << hex("01 00 00 00 05") << QByteArray("5");
    QTest::addRow("Gauge 80 is unsigned") << 0x42 << hex("80") << QByteArray("128");
    QTest::addRow("TimeTicks 00") << 0x43 << hex("00") << QByteArray("0");
    QTest::addRow("TimeTicks uptime") << 0x43 << hex("00 BC 61 4E") << QByteArray("12345678");
    QTest::addRow("IpAddress") << 0x40 << hex("C0 A8 01 FD") << QByteArray("192.168.1.253");
    QTest::addRow("IpAddress of 3 bytes") << 0x40 << hex("0A 00 01") << QByteArray("10.0.1");
    QTest::addRow("OID") << 0x06 << hex("2B 06 01 04 01") << QByteArray("1.3.6.1.4.1");
    QTest::addRow("OID 00") << 0x06 << hex("00") << QByteArray("0.0");
    QTest::addRow("OID of three-digit one-byte arcs")
        << 0x06 << hex("29 78 78 78 78 78 70 78 78")
        << QByteArray("1.1.120.120.120.120.120.112.120.120");
    QTest::addRow("OID multi-byte arc")
        << 0x06 << hex("2B 06 01 04 01 85 7B") << QByteArray("1.3.6.1.4.1.763");
    QTest::addRow("OCTET STRING") << 0x04 << QByteArray("vormel") << QByteArray("vormel");
    QTest::addRow("OCTET STRING with zero bytes")
        << 0x04 << hex("00 0E 50 00 2B 00") << hex("00 0E 50 00 2B 00");
    QTest::addRow("OCTET STRING empty") << 0x04 << QByteArray() << QByteArray();
    QTest::addRow("Opaque raw") << 0x44 << hex("9F 78 04") << hex("9F 78 04");
    QTest::addRow("NULL") << 0x05 << QByteArray() << QByteArray();
    QTest::addRow("Counter64 largest")
        << 0x46 << hex("00 FF FF FF FF FF FF FF FF") << QByteArray("18446744073709551615");
    QTest::addRow("Counter64 9 bytes keeps low 64 bits")
        << 0x46 << hex("01 00 00 00 00 00 00 00 05") << QByteArray("5");
    QTest::addRow("noSuchObject") << 0x80 << QByteArray() << QByteArray();
    QTest::addRow("endOfMibView") << 0x82 << QByteArray() << QByteArray();
    QTest::addRow("other primitive tag raw") << 0x47 << hex("AB CD") << hex("AB CD");
    QTest::addRow("constructed tag raw") << 0x30 << hex("02 01 05") << hex("02 01 05");
}

void TestSnmpCodec::renderValue() {
    QFETCH(int, tag);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, text);

    // Through the whole decoder, so the value is read in its place in a real reply.
    const std::string oid = "1.3.6.1.2.1.1.1.0";
    Message reply;
    QVERIFY(reply.Decode(replyWithItem(oid, ber::EncodeItem(tag, content.toStdString()))));
    QVERIFY(!reply.pdu.bindings.empty());
    QCOMPARE(QByteArray::fromStdString(reply.pdu.bindings.front().oid), QByteArray(oid.c_str()));
    QCOMPARE(bytes(ValueText(reply.pdu.bindings.front())), text);
    QCOMPARE(reply.pdu.bindings.front().type, tag);

    // Sent again, the value reads back as the same text.
    Message again;
    QVERIFY(again.Decode(reply.Encode()));
    QCOMPARE(bytes(ValueText(again.pdu.bindings.front())), text);
    QCOMPARE(again.pdu.bindings.front().type, tag);
}

void TestSnmpCodec::decodeHeaderAndBindings() {
    // A reply with request id 7, noSuchName at index 2 and two bindings.
    const std::string bindings =
        ber::EncodeItem(ber::Sequence, ber::EncodeItem(ber::ObjectId, ber::OidContent("1.3.6.1")) +
                                           ber::EncodeItem(ber::Integer, "\x05")) +
        ber::EncodeItem(ber::Sequence, ber::EncodeItem(ber::ObjectId, ber::OidContent("1.3.6.2")) +
                                           ber::EncodeItem(ber::Null, ""));
    const std::string pdu = ber::EncodeItem(ber::Integer, ber::IntegerContent(7)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(2)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(2)) +
                            ber::EncodeItem(ber::Sequence, bindings);
    const std::string message = ber::EncodeItem(
        ber::Sequence, ber::EncodeItem(ber::Integer, ber::IntegerContent(0)) +
                           ber::EncodeItem(ber::OctetString, std::string("ab\0c", 4)) +
                           ber::EncodeItem(ber::GetResponse, pdu));
    Message reply;
    QVERIFY(reply.Decode(message));
    QCOMPARE(reply.version, 0);
    QCOMPARE(bytes(reply.community), QByteArray("ab\0c", 4));
    QCOMPARE(reply.pdu.type, 0xA2);
    QCOMPARE(reply.pdu.requestId, 7);
    QCOMPARE(reply.pdu.errorStatus, 2);
    QCOMPARE(reply.pdu.errorIndex, 2);
    QCOMPARE(int(reply.pdu.bindings.size()), 2);
    QCOMPARE(bytes(reply.pdu.bindings[0].oid), QByteArray("1.3.6.1"));
    QCOMPARE(bytes(ValueText(reply.pdu.bindings[0])), QByteArray("5"));
    QCOMPARE(bytes(reply.pdu.bindings[1].oid), QByteArray("1.3.6.2"));
    QCOMPARE(reply.pdu.bindings[1].type, 0x05);
}

namespace {

// A message from hexadecimal pieces: version, community, PDU tag, request id and the binding
// list's content.
QByteArray message(const char *version, const QByteArray &community, int pduTag, const char *id,
                   const QByteArray &bindings) {
    const std::string pdu = ber::EncodeItem(ber::Integer, hex(id).toStdString()) +
                            ber::EncodeItem(ber::Integer, std::string(1, '\0')) +
                            ber::EncodeItem(ber::Integer, std::string(1, '\0')) +
                            ber::EncodeItem(ber::Sequence, bindings.toStdString());
    return bytes(ber::EncodeItem(ber::Sequence,
                                 ber::EncodeItem(ber::Integer, hex(version).toStdString()) +
                                     ber::EncodeItem(ber::OctetString, community.toStdString()) +
                                     ber::EncodeItem(pduTag, pdu)));
}

// One binding: a name given as OID content in hexadecimal, and a value item in hexadecimal.
QByteArray binding(const char *nameContent, const char *valueItem) {
    return bytes(ber::EncodeItem(ber::Sequence,
                                 ber::EncodeItem(ber::ObjectId, hex(nameContent).toStdString()) +
                                     hex(valueItem).toStdString()));
}

} // namespace

void TestSnmpCodec::decodeMalformed_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("oid"); // of the first binding, when ok

    const char *upTime = "2B 06 01 02 01 01 03 00";
    const QByteArray good = bytes(replyWithItem("1.3.6.1.2.1.1.5.0", ber::EncodeItem(0x04, "abc")));
    const auto reply = [](const QByteArray &bindings) {
        return message("00", "vormel", 0xA2, "01", bindings);
    };

    QTest::addRow("well-formed") << good << true << QByteArray("1.3.6.1.2.1.1.5.0");
    QTest::addRow("bytes behind the message are not read")
        << good + hex("FF FF 30") << true << QByteArray("1.3.6.1.2.1.1.5.0");
    QTest::addRow("no bindings") << reply({}) << true << QByteArray();
    QTest::addRow("long-form lengths where short ones would do")
        << hex("30 82 00 1E 02 01 00 04 00 A2 84 00 00 00 13 02 01 01 02 01 00 02 01 00 "
               "30 81 07 30 05 06 01 2B 05 00")
        << true << QByteArray("1.3");
    QTest::addRow("largest sub-identifier")
        << reply(binding("2B 8F FF FF FF 7F", "05 00")) << true << QByteArray("1.3.4294967295");

    QTest::addRow("starts with 02") << hex("02 01 00") << false << QByteArray();
    QTest::addRow("empty") << QByteArray() << false << QByteArray();
    QTest::addRow("one byte") << hex("30") << false << QByteArray();
    QTest::addRow("empty sequence") << hex("30 00") << false << QByteArray();
    QTest::addRow("one byte short") << good.left(good.size() - 1) << false << QByteArray();
    QTest::addRow("indefinite length")
        << hex("30 80") + good.mid(2) + hex("00 00") << false << QByteArray();
    QTest::addRow("65 kB of junk") << QByteArray(65000, '\x30') << false << QByteArray();
    QTest::addRow("long-form length bytes past end") << hex("30 84 01 02") << false << QByteArray();
    QTest::addRow("outer length near the largest size")
        << hex("30 88 FF FF FF FF FF FF FF FE 02 01 00") << false << QByteArray();
    QTest::addRow("community length past its message")
        << hex("30 05 02 01 00 04 7F") << false << QByteArray();
    QTest::addRow("binding cut inside a long-form length")
        << hex("30 0B 02 01 00 04 00 A2 04 30 02 30 84") << false << QByteArray();
    QTest::addRow("value length past its binding")
        << reply(binding(upTime, "43 02 05") + binding(upTime, "05 00")) << false << QByteArray();
    QTest::addRow("binding with a second value")
        << reply(binding(upTime, "43 01 05 05 00")) << false << QByteArray();
    QTest::addRow("binding without a value")
        << reply(bytes(ber::EncodeItem(ber::Sequence, hex("06 01 2B").toStdString()))) << false
        << QByteArray();
    QTest::addRow("bytes between the PDU and the message's end")
        << hex("30 0E 02 01 00 04 00 A2 07 02 01 01 02 01 00 02 01 00 30 00") << false
        << QByteArray();
    QTest::addRow("request id beyond 32 bits")
        << message("00", "vormel", 0xA2, "01 00 00 00 01", {}) << false << QByteArray();
    QTest::addRow("primitive PDU")
        << hex("30 0E 02 01 00 04 00 82 09 02 01 01 02 01 00 02 01 00") << false << QByteArray();
    QTest::addRow("multi-byte tag value")
        << reply(binding(upTime, "5F 21 01 00")) << false << QByteArray();
    QTest::addRow("sub-identifier 2^64+5 wraps")
        << reply(binding("2B 06 01 02 01 01 03 82 80 80 80 80 80 80 80 80 05", "05 00")) << false
        << QByteArray();
    QTest::addRow("sub-identifier 2^32")
        << reply(binding("2B 90 80 80 80 00", "05 00")) << false << QByteArray();
    QTest::addRow("non-minimal sub-identifier 80 80 00")
        << reply(binding("2B 06 01 80 80 00", "05 00")) << false << QByteArray();
    QTest::addRow("unterminated sub-identifier")
        << reply(binding("2B 06 01 85", "05 00")) << false << QByteArray();
    QTest::addRow("empty name") << reply(binding("", "05 00")) << false << QByteArray();
    QTest::addRow("object identifier value that wraps")
        << reply(binding(upTime, "06 0B 2B 82 80 80 80 80 80 80 80 80 05")) << false
        << QByteArray();
}

void TestSnmpCodec::decodeMalformed() {
    QFETCH(QByteArray, datagram);
    QFETCH(bool, ok);
    QFETCH(QByteArray, oid);

    Message reply;
    QCOMPARE(reply.Decode(datagram.toStdString()), ok);
    if (!ok) {
        QVERIFY(reply.pdu.bindings.empty());
        QVERIFY(reply.community.empty());
    } else if (!oid.isEmpty()) {
        QVERIFY(!reply.pdu.bindings.empty());
        QCOMPARE(bytes(reply.pdu.bindings.front().oid), oid);
    }
}

QTEST_GUILESS_MAIN(TestSnmpCodec)
#include "tst_snmpcodec.moc"
