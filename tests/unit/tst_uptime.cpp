// sysUpTime as the System page and the status monitor show it.

#include "core/convert.h"
#include "core/uptime.h"

#include <QTest>

using namespace vantrel::core;

class TestUptime : public QObject {
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void notANumber_data();
    void notANumber();
};

void TestUptime::text_data() {
    QTest::addColumn<QByteArray>("ticks");
    QTest::addColumn<QByteArray>("text");

    QTest::addRow("example") << QByteArray("12345678")
                             << QByteArray("01 days 10 hours 17 mins 36 secs");
    QTest::addRow("zero") << QByteArray("0") << QByteArray("00 days 00 hours 00 mins 00 secs");
    QTest::addRow("under a second")
        << QByteArray("99") << QByteArray("00 days 00 hours 00 mins 00 secs");
    QTest::addRow("one day exactly")
        << QByteArray("8640000") << QByteArray("01 days 00 hours 00 mins 00 secs");
    QTest::addRow("100 days written in full")
        << QByteArray("864000000") << QByteArray("100 days 00 hours 00 mins 00 secs");
    QTest::addRow("largest TimeTicks")
        << QByteArray("4294967295") << QByteArray("497 days 02 hours 27 mins 52 secs");
}

void TestUptime::text() {
    QFETCH(QByteArray, ticks);
    QFETCH(QByteArray, text);
    QCOMPARE(QByteArray::fromStdString(UptimeText(ticks.toStdString())), text);
}

void TestUptime::notANumber_data() {
    QTest::addColumn<QByteArray>("ticks");

    QTest::addRow("empty, as after an agent's error answer") << QByteArray();
    QTest::addRow("letters") << QByteArray("abc");
    QTest::addRow("trailing letters") << QByteArray("123abc");
    QTest::addRow("decimal point") << QByteArray("1.5");
    QTest::addRow("beyond 64 bits") << QByteArray("99999999999999999999");
}

void TestUptime::notANumber() {
    QFETCH(QByteArray, ticks);
    const std::string text = ticks.toStdString();
    try {
        UptimeText(text);
        QFAIL("no conversion error");
    } catch (const ConvertError &e) {
        QCOMPARE(QByteArray(e.what()), "'" + ticks + "' is not a valid integer value");
    }
}

QTEST_GUILESS_MAIN(TestUptime)
#include "tst_uptime.moc"
