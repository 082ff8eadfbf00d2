// The dates and times of the log lines and of "Last used" in every regional format Qt knows:
// the long time without its time-zone name and without the brackets or words around it.

#include "core/regional.h"

#include <QRegularExpression>
#include <QTest>

using namespace vantrel::core;

class TestRegional : public QObject {
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void everyLocale();
};

void TestRegional::formats_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("without");
    QTest::addRow("zone at the end") << "HH:mm:ss t"
                                     << "HH:mm:ss";
    QTest::addRow("zone in brackets") << "H:mm:ss (t)"
                                      << "H:mm:ss";
    QTest::addRow("zone in square brackets") << "HH:mm:ss [t]"
                                             << "HH:mm:ss";
    QTest::addRow("zone first") << "t HH:mm:ss"
                                << "HH:mm:ss";
    QTest::addRow("zone first in brackets") << "(t) HH:mm:ss"
                                            << "HH:mm:ss";
    QTest::addRow("zone between fields") << "ap h:mm:ss t"
                                         << "ap h:mm:ss";
    QTest::addRow("quoted letters are no zone") << "HH 'tt' mm:ss"
                                                << "HH 'tt' mm:ss";
    QTest::addRow("zone after quoted words") << "HH:mm:ss 'Uhr' t"
                                             << "HH:mm:ss 'Uhr'";
    QTest::addRow("no zone") << "HH:mm:ss"
                             << "HH:mm:ss";
}

void TestRegional::formats() {
    QFETCH(QString, format);
    QFETCH(QString, without);
    QCOMPARE(WithoutTimeZone(format), without);
}

void TestRegional::everyLocale() {
    const QTime time(13, 4, 5);
    const QRegularExpression emptyBrackets(QStringLiteral("[(\\[{（［【「]\\s*[)\\]}）］】」]"));
    QStringList bad;
    const QList<QLocale> all =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    QVERIFY(all.size() > 100);
    for (const QLocale &locale : all) {
        QLocale::setDefault(locale);
        const QString text = LongTimeText(time);
        const QString line = DateTimeText(QDateTime(QDate(2026, 12, 7), time));
        const bool ok = !text.contains(emptyBrackets) && text == text.trimmed() &&
                        !text.contains(QStringLiteral("  ")) &&
                        text.contains(locale.toString(time, QStringLiteral("s"))) &&
                        line.endsWith(text);
        if (!ok)
            bad << locale.name() + QStringLiteral(": ") + text;
    }
    QLocale::setDefault(QLocale::c());
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestRegional)
#include "tst_regional.moc"
