// Byte amounts as the Quota and Interfaces pages show them, in the user's regional format; the
// account's growth across counter wraps and router restarts; the reset calendar and the forecast.

#include "core/convert.h"
#include "core/quota.h"
#include "core/quotacalendar.h"

#include <QTest>

using namespace vantrel::core;

namespace {

// "in/out@uptime" per reading, "-" for a reading without answer; a missing part is no value.
CounterSample sample(const QString &text) {
    CounterSample s;
    const QStringList parts = text.split(QLatin1Char('@'));
    const QStringList counters = parts[0].split(QLatin1Char('/'));
    if (!counters[0].isEmpty())
        s.inOctets = counters[0].toUInt();
    if (counters.size() > 1 && !counters[1].isEmpty())
        s.outOctets = counters[1].toUInt();
    if (parts.size() > 1 && !parts[1].isEmpty())
        s.uptime = parts[1].toUInt();
    return s;
}

} // namespace

class TestQuota : public QObject {
    Q_OBJECT
private slots:
    void amountText_data();
    void amountText();
    void badAmounts();
    void growth_data();
    void growth();
    void counterValue_data();
    void counterValue();
    void resetDays_data();
    void resetDays();
    void shortDates_data();
    void shortDates();
    void forecast();
};

void TestQuota::amountText_data() {
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<double>("perGB");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    const double gb = 1073741824;
    QTest::addRow("two gigabytes") << "2147483648" << gb << "C"
                                   << "2.0000 GB";
    QTest::addRow("exactly one gigabyte is in megabytes") << "1073741824" << gb << "C"
                                                          << "1024.0000 MB";
    QTest::addRow("a little more than one") << "1073741825" << gb << "C"
                                            << "1.0000 GB";
    QTest::addRow("half a megabyte") << "524288" << gb << "C"
                                     << ".5000 MB";
    QTest::addRow("negative") << "-209715200" << gb << "C"
                              << "-200.0000 MB";
    QTest::addRow("zero") << "0" << gb << "C"
                          << ".0000 MB";
    QTest::addRow("rounded") << "123456789" << gb << "C"
                             << "117.7376 MB";
    QTest::addRow("regional separator") << "2147483648" << gb << "de_DE"
                                        << "2,0000 GB";
    QTest::addRow("regional, below one") << "524288" << gb << "fr_FR"
                                         << ",5000 MB";
    QTest::addRow("an ISP gigabyte of 10^9") << "1500000000" << 1e9 << "C"
                                             << "1.5000 GB";
}

void TestQuota::amountText() {
    QFETCH(QString, bytes);
    QFETCH(double, perGB);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QCOMPARE(AmountText(bytes.toStdString(), perGB, 1048576, QLocale(locale)), text);
}

void TestQuota::badAmounts() {
    QCOMPARE(MegabyteText("1610612736", 1048576, QLocale::c()), QStringLiteral("1536.0000"));
    QCOMPARE(MegabyteText("0", 1048576, QLocale::c()), QStringLiteral(".0000"));
    QVERIFY_THROWS_EXCEPTION(vantrel::core::ConvertError, AmountText("", 1e9, 1e6));
    QVERIFY_THROWS_EXCEPTION(vantrel::core::ConvertError, AmountText("12 MB", 1e9, 1e6));
    // A definition redefined to 0 is an error, never "inf" or "nan".
    QVERIFY_THROWS_EXCEPTION(std::domain_error, AmountText("5", 0, 0));
    QCOMPARE(AmountText("0", 0, 0, QLocale::c()), QStringLiteral(".0000 MB"));
}

void TestQuota::growth_data() {
    QTest::addColumn<QStringList>("readings"); // the first is the "Calculate"
    QTest::addColumn<double>("downloaded");
    QTest::addColumn<double>("both");
    const double wrap = 4294967296.0;
    QTest::addRow("plain growth") << QStringList{"1000/500@100", "5000/700@200", "9000/900@300"}
                                  << 8000.0 << 8400.0;
    QTest::addRow("wrap past 2^32 while the router runs")
        << QStringList{"4294967000/10@100", "704/20@200"} << 1000.0 << 1010.0;
    QTest::addRow("two wraps over three readings")
        << QStringList{"4000000000@1", "100@2", "4000000000@3", "50@4"}
        << (wrap - 4000000000.0 + 100) + (4000000000.0 - 100) + (wrap - 4000000000.0 + 50)
        << (wrap - 4000000000.0 + 100) + (4000000000.0 - 100) + (wrap - 4000000000.0 + 50);
    QTest::addRow("router restart counts the new reading")
        << QStringList{"900000/0@500000", "300/40@20"} << 300.0 << 340.0;
    QTest::addRow("restart with a counter above the old one")
        << QStringList{"100/0@500000", "7000/0@20"} << 7000.0 << 7000.0;
    QTest::addRow("drop without uptime counts only the certain part")
        << QStringList{"4294967000@100", "704@"} << 704.0 << 704.0;
    QTest::addRow("reading without answer adds nothing, the next one counts on")
        << QStringList{"1000/0@1", "-", "3000/0@3"} << 2000.0 << 2000.0;
    QTest::addRow("empty in-reply at Calculate: the next reading is the baseline")
        << QStringList{"/0@1", "5000/0@2", "6000/0@3"} << 1000.0 << 1000.0;
    QTest::addRow("out without answer keeps its reference")
        << QStringList{"0/100@1", "10/@2", "20/400@3"} << 20.0 << 320.0;
}

void TestQuota::growth() {
    QFETCH(QStringList, readings);
    QFETCH(double, downloaded);
    QFETCH(double, both);
    QuotaAccount a;
    a.Capture(sample(readings.takeFirst()));
    a.UsedAtCalcBytes = 1e6;
    for (const QString &r : readings) {
        if (r == QLatin1String("-"))
            a.ReadingFailed();
        else
            a.Take(sample(r));
    }
    QCOMPARE(a.Used(true), 1e6 + downloaded);
    QCOMPARE(a.Used(false), 1e6 + both);
    // A new month starts from nothing.
    a.StartMonth();
    QCOMPARE(a.Used(false), 0.0);
}

void TestQuota::counterValue_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<qlonglong>("value"); // -1: nothing, -2: conversion error
    QTest::addRow("top of 32 bits") << "4294967295" << 4294967295LL;
    QTest::addRow("low 32 bits of a larger number") << "4294967301" << 5LL;
    QTest::addRow("empty reply") << "" << -1LL;
    QTest::addRow("twenty digits") << "12345678901234567890" << -2LL;
}

void TestQuota::counterValue() {
    QFETCH(QString, reply);
    QFETCH(qlonglong, value);
    if (value == -2) {
        QVERIFY_THROWS_EXCEPTION(vantrel::core::ConvertError, CounterValue(reply.toStdString()));
        return;
    }
    const std::optional<std::uint32_t> v = CounterValue(reply.toStdString());
    QCOMPARE(v.has_value(), value >= 0);
    if (v)
        QCOMPARE(qlonglong(*v), value);
}

void TestQuota::resetDays_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("day");
    QTest::addColumn<QDate>("last"); // invalid: none
    QTest::addColumn<QDate>("next");
    QTest::addRow("day 0 never") << QDate(2026, 12, 7) << 0 << QDate() << QDate();
    QTest::addRow("on the day") << QDate(2026, 12, 7) << 7 << QDate(2026, 12, 7)
                                << QDate(2027, 1, 7);
    QTest::addRow("the day after")
        << QDate(2026, 12, 8) << 7 << QDate(2026, 12, 7) << QDate(2027, 1, 7);
    QTest::addRow("31 passes over 30-day months")
        << QDate(2026, 5, 15) << 31 << QDate(2026, 3, 31) << QDate(2026, 5, 31);
    QTest::addRow("30 passes over February")
        << QDate(2026, 3, 10) << 30 << QDate(2026, 1, 30) << QDate(2026, 3, 30);
    QTest::addRow("29 in a leap February")
        << QDate(2028, 3, 1) << 29 << QDate(2028, 2, 29) << QDate(2028, 3, 29);
    QTest::addRow("29 in a plain February")
        << QDate(2027, 3, 1) << 29 << QDate(2027, 1, 29) << QDate(2027, 3, 29);
}

void TestQuota::resetDays() {
    QFETCH(QDate, today);
    QFETCH(int, day);
    QFETCH(QDate, last);
    QFETCH(QDate, next);
    QCOMPARE(LastResetDay(today, day).value_or(QDate()), last);
    QCOMPARE(NextResetDay(today, day).value_or(QDate()), next);
}

void TestQuota::shortDates_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date"); // written in the locale's short format, then read back
    QTest::addRow("British, two-digit year") << "en_GB" << QDate(2026, 11, 7);
    QTest::addRow("American, two-digit year") << "en_US" << QDate(2026, 12, 31);
    QTest::addRow("German") << "de_DE" << QDate(2027, 1, 7);
    QTest::addRow("a reset long ago") << "en_US" << QDate(1999, 2, 7);
}

void TestQuota::shortDates() {
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    const QLocale l(locale);
    const QDate today(2026, 12, 7);
    const QString text = l.toString(date, QLocale::ShortFormat);
    QCOMPARE(ParseShortDate(text, today, l).value_or(QDate()), date);
    QVERIFY(!ParseShortDate(QStringLiteral("------"), today, l));
    QVERIFY(!ParseShortDate(QString(), today, l));
}

void TestQuota::forecast() {
    const QDateTime start(QDate(2026, 12, 7), QTime(0, 0));
    const QDateTime until(QDate(2027, 1, 7), QTime(0, 0)); // 31 days
    const double gb = 1073741824;
    // Less than a day of data: nothing yet.
    QVERIFY(!ProjectedUse(5 * gb, start, start.addSecs(23 * 3600), until));
    QCOMPARE(ProjectedUse(10 * gb, start, start.addDays(2), until).value_or(0), 155 * gb);
    QCOMPARE(ForecastText(0.5 * gb, until.date(), gb, 1048576, QLocale(QStringLiteral("de_DE"))),
             QStringLiteral("At this rate: 512,0 MB by 7 Jan."));
    QCOMPARE(ForecastText(gb, until.date(), 0, 1048576, QLocale::c()), QString());
}

QTEST_MAIN(TestQuota)
#include "tst_quota.moc"
