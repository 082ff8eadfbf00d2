// Byte amounts as the Quota and Interfaces pages show them, in the user's regional format; the
// reset calendar and the forecast.

#include "core/convert.h"
#include "core/quota.h"
#include "core/quotacalendar.h"

#include <QTest>

using namespace vantrel::core;

class TestQuota : public QObject {
    Q_OBJECT
private slots:
    void amountText_data();
    void amountText();
    void badAmounts();
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
    QTest::addRow("31 falls on the last day of a 30-day month")
        << QDate(2026, 5, 15) << 31 << QDate(2026, 4, 30) << QDate(2026, 5, 31);
    QTest::addRow("31 on the 30th of April")
        << QDate(2026, 4, 30) << 31 << QDate(2026, 4, 30) << QDate(2026, 5, 31);
    QTest::addRow("30 falls on the 28th of February")
        << QDate(2026, 3, 10) << 30 << QDate(2026, 2, 28) << QDate(2026, 3, 30);
    QTest::addRow("29 in a leap February")
        << QDate(2028, 3, 1) << 29 << QDate(2028, 2, 29) << QDate(2028, 3, 29);
    QTest::addRow("29 in a plain February is its 28th")
        << QDate(2027, 2, 10) << 29 << QDate(2027, 1, 29) << QDate(2027, 2, 28);
}

void TestQuota::resetDays() {
    QFETCH(QDate, today);
    QFETCH(int, day);
    QFETCH(QDate, last);
    QFETCH(QDate, next);
    QCOMPARE(LastResetDay(today, day).value_or(QDate()), last);
    QCOMPARE(NextResetDay(today, day).value_or(QDate()), next);
    QCOMPARE(IsResetDay(today, day), last == today);
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
    const QDateTime now(QDate(2026, 12, 7), QTime(0, 0));
    const QDateTime until(QDate(2027, 1, 7), QTime(0, 0)); // 31 days ahead
    const double gb = 1073741824;
    // Less than a few hours of readings: nothing yet, however much was counted.
    QVERIFY(!ProjectedUse(5 * gb, gb, 2 * 3600, now, until));
    // 1 GB in 4 hours, 31 days ahead, on top of what is used.
    QCOMPARE(ProjectedUse(5 * gb, gb, 4 * 3600, now, until).value_or(0), 5 * gb + 186 * gb);
    QCOMPARE(ForecastText(0.5 * gb, until.date(), gb, 1048576, 5 * 3600 + 59,
                          QLocale(QStringLiteral("de_DE"))),
             QStringLiteral("At this rate: 512,0 MB by 7 Jan. (from 5 hours of readings)"));
    QCOMPARE(ForecastText(gb * 2, until.date(), gb, 1048576, 3 * 86400, QLocale::c()),
             QStringLiteral("At this rate: 2.0 GB by 7 Jan (from 3 days of readings)"));
    QCOMPARE(ForecastText(gb, until.date(), 0, 1048576, 86400, QLocale::c()), QString());
}

QTEST_MAIN(TestQuota)
#include "tst_quota.moc"
