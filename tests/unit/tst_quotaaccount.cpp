// The quota account fed by its own query against a scripted router and the fixed clock: what
// it adds for counters that go back, values that are no counters, wraps, restarts of the agent
// and of the router, the traffic while the program was closed, another router, the requests it
// makes, and the monthly reset on short months.

#include "core/clock.h"
#include "core/octetcount.h"
#include "core/quotacalendar.h"
#include "core/quotamodel.h"
#include "core/quotaqueries.h"
#include "core/regional.h"
#include "fakerouterlink.h"

#include <QTest>

using namespace vantrel::core;

namespace {

const std::string kRow = "3";
const std::string kIn = "1.3.6.1.2.1.2.2.1.10.3";
const std::string kOut = "1.3.6.1.2.1.2.2.1.16.3";
const std::string kUptime = "1.3.6.1.2.1.1.3.0";
const std::string kSpeed = "1.3.6.1.2.1.2.2.1.5.3";
const std::string kHcIn = "1.3.6.1.2.1.31.1.1.1.6.3";
const double kGB = 1073741824.0;
const QDateTime kStart(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);

// A router, the account and the clock.
struct Rig {
    FixedClock clock{kStart};
    FakeRouterLink link;
    QuotaModel model{clock};

    Rig() {
        link.map.WanRow = kRow;
        model.SetBytesPerGB(kGB);
        model.SetBytesPerMB(1048576);
    }
    // "t value@ticks": t seconds after the start, the in-counter (c Counter32, C Counter64
    // with its low 32 bits as Counter32 too, i INTEGER, s OCTET STRING) and sysUpTime.
    void Set(const QString &step) {
        const QStringList parts = step.split(QLatin1Char(' '));
        clock.Set(kStart.addSecs(parts[0].toLongLong()));
        const QStringList reading = parts[1].split(QLatin1Char('@'));
        const QChar kind = reading[0].at(0);
        const std::string value = reading[0].mid(1).toStdString();
        const int type = kind == QLatin1Char('i')   ? tag::Integer
                         : kind == QLatin1Char('s') ? tag::OctetString
                                                    : tag::Counter32;
        if (kind == QLatin1Char('C')) {
            link.SetTyped(kHcIn, tag::Counter64, value);
            link.SetTyped(kIn, tag::Counter32, std::to_string(std::stoull(value) & 0xFFFFFFFF));
        } else {
            link.SetTyped(kIn, type, value);
        }
        link.SetTyped(kOut, tag::Counter32, "0");
        link.SetTyped(kUptime, tag::TimeTicks, reading[1].toStdString());
    }
    void Calculate(bool carryOn = false, double usedBytes = 0) {
        model.Calculated(ReadQuotaCounters(link, model.Objects()), carryOn);
        model.SetAllowance(10 * kGB);
        model.SetUsedAtCalculate(usedBytes);
    }
    void Refresh() { model.Take(ReadQuotaCounters(link, model.Objects())); }
    double Used() const { return model.Account().Used(true); }
};

} // namespace

class TestQuotaAccount : public QObject {
    Q_OBJECT
private slots:
    void counting_data();
    void counting();
    void requests();
    void closedMeanwhile_data();
    void closedMeanwhile();
    void anotherRouter();
    void nothingShown_data();
    void nothingShown();
    void resetDue_data();
    void resetDue();
};

void TestQuotaAccount::counting_data() {
    QTest::addColumn<QStringList>("steps"); // the first is the "Calculate"
    QTest::addColumn<int>("speed");         // ifSpeed in bit/s; 0: the agent has none
    const int adsl = 8128000;
    QTest::addColumn<double>("used");
    QTest::addRow("a counter going back without a restart adds nothing")
        << QStringList{"0 c1000000000@360000", "60 c1001000000@366000", "120 c998000000@372000"}
        << adsl << 1e6;
    QTest::addRow("the next value after it starts counting again")
        << QStringList{"0 c1000000000@360000", "60 c1001000000@366000", "120 c998000000@372000",
                       "180 c999000000@378000", "240 c999500000@384000"}
        << adsl << 1.5e6;
    QTest::addRow("INTEGER -1 is no counter")
        << QStringList{"0 c1000000000@360000", "60 i-1@366000", "120 c1002000000@372000"} << 0
        << 2e6;
    QTest::addRow("a text of digits is no counter")
        << QStringList{"0 c1000@360000", "60 s99999999999@366000", "120 c3000@372000"} << 0
        << 2000.0;
    QTest::addRow("a wrap the line could carry")
        << QStringList{"0 c4294000000@360000", "60 c1000000@366000"} << 0 << 1967296.0;
    QTest::addRow("a wrap a 64 kbit/s line could not carry")
        << QStringList{"0 c4294000000@360000", "60 c1000000@366000"} << 64000 << 0.0;
    QTest::addRow("the agent restarted: only the difference")
        << QStringList{"0 c1000000000@360000", "60 c1001000000@3000"} << adsl << 1e6;
    QTest::addRow("the router restarted: the counter since its boot")
        << QStringList{"0 c1000000000@360000", "60 c5000@3000"} << adsl << 5000.0;
    QTest::addRow("sysUpTime wrapping past 2^32 ticks is no restart")
        << QStringList{"0 c1000@4294967000", "60 c2000@5704"} << adsl << 1000.0;
    QTest::addRow("the 64-bit counter where the agent has it")
        << QStringList{"0 C4294967000@360000", "60 C4304967000@366000"} << adsl << 1e7;
}

void TestQuotaAccount::counting() {
    QFETCH(QStringList, steps);
    QFETCH(int, speed);
    QFETCH(double, used);
    Rig rig;
    if (speed > 0)
        rig.link.SetTyped(kSpeed, tag::Gauge32, std::to_string(speed));
    rig.Set(steps.takeFirst());
    rig.Calculate();
    for (const QString &step : steps) {
        rig.Set(step);
        rig.Refresh();
    }
    QCOMPARE(rig.Used(), used);
}

// Over v1 the first three requests are those the router has always seen; what the agent lacks
// is asked for once, the speeds once.
void TestQuotaAccount::requests() {
    Rig rig;
    rig.Set(QStringLiteral("0 c1000@360000"));
    rig.link.SetTyped(kSpeed, tag::Gauge32, "8128000");
    rig.Calculate();
    const std::vector<std::string> first(rig.link.requests.begin(), rig.link.requests.begin() + 3);
    QCOMPARE(first, (std::vector<std::string>{kIn, kOut, kUptime}));
    // ifHCInOctets (lacking: not ifHCOutOctets), ifCounterDiscontinuityTime, the two speeds
    QCOMPARE(rig.link.requests.size(), std::size_t(7));
    rig.link.requests.clear();
    rig.Set(QStringLiteral("60 c2000@366000"));
    rig.Refresh();
    QCOMPARE(rig.link.requests, (std::vector<std::string>{kIn, kOut, kUptime}));
    QCOMPARE(rig.Used(), 1000.0);
    // No answer to ifInOctets: nothing more is asked.
    rig.link.requests.clear();
    rig.link.Silence(kIn);
    QVERIFY(ReadQuotaCounters(rig.link, rig.model.Objects()).head.outcome.probeFailed);
    QCOMPARE(rig.link.requests, std::vector<std::string>{kIn});
}

void TestQuotaAccount::closedMeanwhile_data() {
    QTest::addColumn<QString>("atStart");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<double>("used"); // 1 MB stored, plus what crossed while closed
    QTest::addRow("the router ran on: its growth while closed counts")
        << "3660 c1500000000@726000" << true << 1048576 + 499000000.0;
    QTest::addRow("the router restarted meanwhile: its counter since the boot")
        << "3660 c7000000@60000" << true << 1048576 + 7000000.0;
    QTest::addRow("nothing saved: nothing to count from")
        << "3660 c1500000000@726000" << false << 1048576.0;
}

void TestQuotaAccount::closedMeanwhile() {
    QFETCH(QString, atStart);
    QFETCH(bool, saved);
    QFETCH(double, used);
    SavedCounters::Texts texts;
    {
        Rig before;
        before.Set(QStringLiteral("0 c1000000000@360000"));
        before.Calculate();
        before.Set(QStringLiteral("60 c1001000000@366000"));
        before.Refresh();
        texts = before.model.CountersToStore();
        QCOMPARE(texts.in, QStringLiteral("Counter32 1001000000"));
    }
    Rig after;
    if (saved)
        after.model.RestoreCounters(texts);
    after.Set(atStart);
    after.Calculate(true, 1048576);
    QCOMPARE(after.Used(), used);
    // Until the account ran, the saved counters are kept as they were.
    Rig idle;
    idle.model.RestoreCounters(texts);
    QCOMPARE(idle.model.CountersToStore().in, texts.in);
}

void TestQuotaAccount::anotherRouter() {
    Rig rig;
    rig.Set(QStringLiteral("0 c1000@360000"));
    rig.Calculate();
    rig.model.StartAfresh();
    rig.Set(QStringLiteral("60 c900000@366000"));
    rig.Refresh();
    QCOMPARE(rig.Used(), 0.0);
    // Another WAN row does the same.
    rig.link.map.WanRow = "4";
    rig.link.SetTyped("1.3.6.1.2.1.2.2.1.10.4", tag::Counter32, "5000000");
    rig.Refresh();
    QCOMPARE(rig.Used(), 0.0);
}

void TestQuotaAccount::nothingShown_data() {
    QTest::addColumn<double>("quotaGB");
    QTest::addColumn<double>("bytesPerGB");
    QTest::addColumn<QString>("text");
    QTest::addRow("a quota of 0") << 0.0 << kGB
                                  << "No quota is shown: the full quota is 0 gigabytes. Enter it "
                                     "and press Calculate.";
    QTest::addRow("a gigabyte of 0 bytes") << 10.0 << 0.0
                                           << "No amount is shown: the ISP's gigabyte is defined "
                                              "as 0 bytes. A gigabyte must be more than 0 bytes: "
                                              "redefine it.";
    QTest::addRow("a negative gigabyte") << 10.0 << -5.0
                                         << "No amount is shown: the ISP's gigabyte is defined as "
                                            "-5 bytes. A gigabyte must be more than 0 bytes: "
                                            "redefine it.";
    QTest::addRow("all well") << 10.0 << kGB << "";
}

void TestQuotaAccount::nothingShown() {
    QFETCH(double, quotaGB);
    QFETCH(double, bytesPerGB);
    QFETCH(QString, text);
    Rig rig;
    rig.model.SetBytesPerGB(bytesPerGB);
    rig.Set(QStringLiteral("0 c1000@360000"));
    rig.Calculate();
    rig.model.SetAllowance(quotaGB * bytesPerGB);
    QCOMPARE(rig.model.NothingShownText(), text);
}

void TestQuotaAccount::resetDue_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<QDate>("lastReset"); // invalid: never
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("due");
    QTest::addRow("31 on the 30th of April")
        << 31 << QDate(2026, 3, 31) << QDate(2026, 4, 30) << true;
    QTest::addRow("31 not on the 29th of April")
        << 31 << QDate(2026, 3, 31) << QDate(2026, 4, 29) << false;
    QTest::addRow("30 on the 28th of February")
        << 30 << QDate(2026, 1, 30) << QDate(2026, 2, 28) << true;
    QTest::addRow("already reset today") << 7 << QDate(2026, 12, 7) << QDate(2026, 12, 7) << false;
    QTest::addRow("a reset day that passed unseen")
        << 7 << QDate(2026, 11, 7) << QDate(2026, 12, 9) << true;
    QTest::addRow("never reset, not the day") << 7 << QDate() << QDate(2026, 12, 9) << false;
    QTest::addRow("day 0 never") << 0 << QDate(2026, 11, 7) << QDate(2026, 12, 9) << false;
}

void TestQuotaAccount::resetDue() {
    QFETCH(int, day);
    QFETCH(QDate, lastReset);
    QFETCH(QDate, today);
    QFETCH(bool, due);
    Rig rig;
    rig.clock.Set(QDateTime(today, QTime(9, 0)));
    rig.model.SetResetDay(day);
    rig.model.RestoreLastResetDate(lastReset.isValid() ? ShortDateText(lastReset)
                                                       : QuotaModel::NoResetDateText);
    QCOMPARE(rig.model.ResetDue(today), due);
}

QTEST_GUILESS_MAIN(TestQuotaAccount)
#include "tst_quotaaccount.moc"
