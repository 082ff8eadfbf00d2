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

QTEST_GUILESS_MAIN(TestTableText)
#include "tst_tabletext.moc"
