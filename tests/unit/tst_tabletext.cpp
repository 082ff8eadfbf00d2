// What the table boxes and the raw dumps show of a value: a tab stays a tab, anything else that
// would break the box's lines becomes hexadecimal, and double quotes go (cells) or are doubled
// (dumps).

#include "core/tabletext.h"

#include <QTest>

using namespace vantrel::core;

class TestTableText : public QObject {
    Q_OBJECT
private slots:
    void values_data();
    void values();
    void udpListenerKeepsItsTab();
    void netToMediaRows_data();
    void netToMediaRows();
};

void TestTableText::values_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("dump");
    QTest::addRow("plain") << QByteArray("AB DEF") << "AB DEF"
                           << "\"AB DEF\"";
    QTest::addRow("tab stays") << QByteArray("AB\tDEF") << "AB\tDEF"
                               << "\"AB\tDEF\"";
    QTest::addRow("line feed is hex") << QByteArray("AB\nDEF") << "41420a444546"
                                      << "\"41420a444546\"";
    QTest::addRow("carriage return is hex") << QByteArray("A\rB") << "410d42"
                                            << "\"410d42\"";
    QTest::addRow("zero byte is hex") << QByteArray("A\0B", 3) << "410042"
                                      << "\"410042\"";
    QTest::addRow("tab beside a control byte") << QByteArray("\t\x01") << "0901"
                                               << "\"0901\"";
    QTest::addRow("line separator is hex") << QByteArray("A\xe2\x80\xa8"
                                                         "B")
                                           << "41e280a842"
                                           << "\"41e280a842\"";
    QTest::addRow("paragraph separator is hex") << QByteArray("\xe2\x80\xa9") << "e280a9"
                                                << "\"e280a9\"";
    QTest::addRow("double quote") << QByteArray("say \"hi\"") << "say hi"
                                  << "\"say \"\"hi\"\"\"";
}

void TestTableText::values() {
    QFETCH(QByteArray, value);
    QFETCH(QString, cell);
    QFETCH(QString, dump);
    const std::string bytes(value.constData(), std::size_t(value.size()));
    QCOMPARE(CellText(bytes), cell);
    // As a walk line gives it: in double quotes, inner ones doubled.
    std::string line = "\"";
    for (char c : bytes)
        line += c == '"' ? std::string("\"\"") : std::string(1, c);
    line += '"';
    QCOMPARE(DumpLineText(line), dump);
    QCOMPARE(LineCellText(line), cell);
}

void TestTableText::udpListenerKeepsItsTab() {
    // Two listeners sharing a row key share a line; a tab inside an address stays one.
    const QString text =
        UdpListenerText({"\"10.0.0.1\",\"192.0.0.1\"", "\"a\tb\""}, {"\"53\",\"53\"", "\"7\""});
    QCOMPARE(text, QStringLiteral(" Address\tPort\n 10.0.0.1,192.0.0.1\t53,53\n a\tb\t7\n "));
}

void TestTableText::netToMediaRows_data() {
    // ipNetToMediaTable cells as "column.index=value", in the router's order.
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("text");
    const QString row1 =
        "        Interface: 1\n Physical address: ab\n      Net address: 10.0.0.1\n"
        "             Type: dynamic\n \n";
    QTest::addRow("one row") << QStringList{"1.1.10.0.0.1=1", "2.1.10.0.0.1=ab",
                                            "3.1.10.0.0.1=10.0.0.1", "4.1.10.0.0.1=3"}
                             << row1.chopped(1);
    QTest::addRow("a missing cell shifts nothing")
        << QStringList{"1.1.10.0.0.1=1",        "1.1.10.0.0.2=1",        "2.1.10.0.0.2=cd",
                       "3.1.10.0.0.1=10.0.0.1", "3.1.10.0.0.2=10.0.0.2", "4.1.10.0.0.1=3",
                       "4.1.10.0.0.2=4"}
        << "        Interface: 1\n      Net address: 10.0.0.1\n             Type: dynamic\n \n"
           "        Interface: 1\n Physical address: cd\n      Net address: 10.0.0.2\n"
           "             Type: static\n ";
    QTest::addRow("cut short") << QStringList{"1.1.10.0.0.1=1", "2.1.10.0.0.1=ab"}
                               << "        Interface: 1\n Physical address: ab\n ";
    QTest::addRow("no word for 01") << QStringList{"1.1.10.0.0.1=1", "4.1.10.0.0.1=01"}
                                    << "        Interface: 1\n             Type: 01\n ";
    QTest::addRow("other subtrees passed over")
        << QStringList{"1.1.10.0.0.1=1", "x=9"} << "        Interface: 1\n ";
}

void TestTableText::netToMediaRows() {
    QFETCH(QStringList, cells);
    QFETCH(QString, text);
    const std::string base = "1.3.6.1.2.1.4.22";
    std::vector<Binding> bindings;
    for (const QString &cell : cells) {
        const QStringList parts = cell.split('=');
        const std::string oid = parts[0] == QLatin1String("x")
                                    ? std::string("1.3.6.1.2.1.4.23.0")
                                    : base + ".1." + parts[0].toStdString();
        bindings.push_back({oid, 0x04, parts[1].toStdString()});
    }
    QCOMPARE(IpTableText(IpTable::NetToMedia, base, bindings), text);
}

QTEST_GUILESS_MAIN(TestTableText)
#include "tst_tabletext.moc"
