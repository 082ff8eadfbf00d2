// The quota account's counting of the WAN octet counters: wraps told from glitches by the time
// that passed and the line's speed, restarts of the router told from restarts of its agent,
// counter resets, 64-bit counters, values of the wrong type, what crossed while the program was
// closed, the texts kept in the settings, and random walks through all of that.

#include "core/octetaccount.h"
#include "countingwalk.h"

#include <QDateTime>
#include <QTest>
#include <random>
#include <vector>

using namespace vantrel::core;

namespace {

const std::int64_t kStart =
    QDateTime(QDate(2026, 7, 12), QTime(20, 0), Qt::UTC).toMSecsSinceEpoch();

using VarBind = Binding;

VarBind bind(int type, std::string text) {
    return {std::string(), type, std::move(text)};
}
VarBind c32(std::uint64_t v) {
    return bind(tag::Counter32, std::to_string(v));
}
VarBind c64(std::uint64_t v) {
    return bind(tag::Counter64, std::to_string(v));
}
VarBind gauge(std::uint64_t v) {
    return bind(tag::Gauge32, std::to_string(v));
}
VarBind ticks(std::uint64_t v) {
    return bind(tag::TimeTicks, std::to_string(v));
}
VarBind integer(std::int64_t v) {
    return bind(tag::Integer, std::to_string(v));
}

// A reading t seconds after the start, with the router up for `up` seconds (none: no answer),
// its ifInOctets, and an ADSL line's ifSpeed of 8.128 Mbit/s unless told otherwise.
struct Rd {
    OctetReading r;
    Rd(double t, std::optional<double> up, std::optional<VarBind> in) {
        r.wallMs = kStart + std::int64_t(t * 1000);
        if (up)
            r.uptime = ticks(std::uint64_t(*up * 100));
        r.in = std::move(in);
        r.speed = gauge(8128000);
    }
    Rd &UptimeTicks(std::uint32_t v) {
        r.uptime = ticks(v);
        return *this;
    }
    Rd &Hc(std::uint64_t v) {
        r.hcIn = c64(v);
        return *this;
    }
    Rd &Speed(std::optional<std::uint32_t> bps, std::optional<std::uint32_t> mbps = {}) {
        r.speed = bps ? std::optional(gauge(*bps)) : std::nullopt;
        r.highSpeed = mbps ? std::optional(gauge(*mbps)) : std::nullopt;
        return *this;
    }
    Rd &Discontinuity(double upSeconds) {
        r.discontinuity = ticks(std::uint64_t(upSeconds * 100));
        return *this;
    }
    operator OctetReading() const { return r; }
};
using Readings = std::vector<OctetReading>;

const char *name(CounterVerdict v) {
    static const char *const names[] = {
        "Missing",      "Rejected",      "Baseline",      "Rose",         "Wrapped",
        "AgentRestart", "RouterRestart", "Discontinuity", "WidthChanged", "Discarded"};
    return names[int(v)];
}

// Counts the readings; the verdict of the last one.
CounterVerdict play(OctetAccount &account, const Readings &readings) {
    CounterVerdict last = CounterVerdict::Missing;
    for (const OctetReading &r : readings)
        last = account.Take(r).in.verdict;
    return last;
}

// A generator of bytes for the random walk.
class Seeded {
public:
    explicit Seeded(unsigned seed) : gen_(seed) {}
    unsigned Byte() { return gen_() & 0xFF; }

private:
    std::mt19937 gen_;
};

} // namespace

Q_DECLARE_METATYPE(Readings)

class TestOctetAccount : public QObject {
    Q_OBJECT
private slots:
    void counting_data();
    void counting();
    void startAfterClose_data();
    void startAfterClose();
    void savedTexts_data();
    void savedTexts();
    void counterValues_data();
    void counterValues();
    void randomWalks();
};

void TestOctetAccount::counting_data() {
    QTest::addColumn<Readings>("readings");
    QTest::addColumn<quint64>("counted");
    QTest::addColumn<QString>("verdict"); // of the last reading

    QTest::addRow("a counter going back without a restart is no wrap")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 3660, c32(1001000000)),
                    Rd(120, 3720, c32(998000000))}
        << quint64(1000000) << "Discarded";
    QTest::addRow("after a discarded value the next one starts again")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 3660, c32(1001000000)),
                    Rd(120, 3720, c32(998000000)), Rd(180, 3780, c32(999000000)),
                    Rd(240, 3840, c32(999500000))}
        << quint64(1500000) << "Rose";
    QTest::addRow("INTEGER -1 is no counter: the next value counts from the last good one")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 3660, integer(-1)),
                    Rd(120, 3720, c32(1002000000))}
        << quint64(2000000) << "Rose";
    QTest::addRow("a text of digits is no counter")
        << Readings{Rd(0, 3600, c32(1000000000)),
                    Rd(60, 3660, bind(tag::OctetString, "99999999999"))}
        << quint64(0) << "Rejected";
    QTest::addRow("a gauge is no counter")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 3660, gauge(4000000000))} << quint64(0)
        << "Rejected";
    QTest::addRow("the agent restarted, the counter ran on: only its growth")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 5, c32(1001000000))} << quint64(1000000)
        << "AgentRestart";
    QTest::addRow("the router restarted: its counter since boot")
        << Readings{Rd(0, 3600, c32(900000000)), Rd(60, 20, c32(300000))} << quint64(300000)
        << "RouterRestart";
    QTest::addRow("the router restarted between readings and ran longer than before")
        << Readings{Rd(0, 120, c32(80000000)), Rd(900, 300, c32(50000000))} << quint64(50000000)
        << "RouterRestart";
    QTest::addRow("a counter since boot that the uptime cannot hold")
        << Readings{Rd(0, 3600, c32(900000000)), Rd(60, 20, c32(800000000))} << quint64(0)
        << "Discarded";
    QTest::addRow("a wrap at 8 Mbit/s")
        << Readings{Rd(0, 3600, c32(4294000000)), Rd(60, 3660, c32(33032704))} << quint64(34000000)
        << "Wrapped";
    QTest::addRow("a wrap at 110 Mbit/s after 312 s")
        << Readings{Rd(0, 3600, c32(1000000000)).Speed(110162000),
                    Rd(312, 3912, c32(705032704)).Speed(110162000)}
        << quint64(4000000000) << "Wrapped";
    QTest::addRow("a wrap at 110 Mbit/s after 60 s is too fast to be real")
        << Readings{Rd(0, 3600, c32(1000000000)).Speed(110162000),
                    Rd(60, 3660, c32(705032704)).Speed(110162000)}
        << quint64(0) << "Discarded";
    QTest::addRow("a rise that the line cannot carry")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 3660, c32(1500000000))} << quint64(0)
        << "Discarded";
    QTest::addRow("ifHighSpeed gives the larger speed")
        << Readings{Rd(0, 3600, c32(1000000000)).Speed(8128000, 100),
                    Rd(60, 3660, c32(1500000000)).Speed(8128000, 100)}
        << quint64(500000000) << "Rose";
    QTest::addRow("no speed given: 1 Gbit/s")
        << Readings{Rd(0, 3600, c64(1000000000)).Speed({}), Rd(60, 3660, c64(6000000000)).Speed({})}
        << quint64(5000000000) << "Rose";
    QTest::addRow("a speed of zero is not given")
        << Readings{Rd(0, 3600, c32(1000000000)).Speed(0, 0),
                    Rd(60, 3660, c32(1500000000)).Speed(0, 0)}
        << quint64(500000000) << "Rose";
    QTest::addRow("sysUpTime wraps past 2^32 ticks after 497 days")
        << Readings{Rd(0, {}, c32(1000000000)).UptimeTicks(4294966000u),
                    Rd(60, {}, c32(1005000000)).UptimeTicks(4704)}
        << quint64(5000000) << "Rose";
    QTest::addRow("a counter wrap while sysUpTime wraps")
        << Readings{Rd(0, {}, c32(4294000000)).UptimeTicks(4294966000u),
                    Rd(60, {}, c32(33032704)).UptimeTicks(4704)}
        << quint64(34000000) << "Wrapped";
    QTest::addRow("an uptime fall near its wrap that the clock does not match is a restart")
        << Readings{Rd(0, {}, c32(900000000)).UptimeTicks(4294000000u), Rd(60, 40, c32(300000))}
        << quint64(300000) << "RouterRestart";
    QTest::addRow("without the uptime a rise counts")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, {}, c32(1001000000))} << quint64(1000000)
        << "Rose";
    QTest::addRow("without the uptime a fall tells nothing")
        << Readings{Rd(0, 3600, c32(4294000000)), Rd(60, {}, c32(33032704))} << quint64(0)
        << "Discarded";
    QTest::addRow("a counter reset after the last value: what it shows since")
        << Readings{Rd(0, 3600, c32(1000000000)).Discontinuity(0),
                    Rd(60, 3660, c32(5000)).Discontinuity(3650)}
        << quint64(5000) << "Discontinuity";
    QTest::addRow("a counter reset that the time since cannot hold: nothing")
        << Readings{Rd(0, 3600, c32(1000000000)).Discontinuity(0),
                    Rd(60, 3660, c32(900000000)).Discontinuity(3650)}
        << quint64(0) << "Discontinuity";
    QTest::addRow("a counter reset dated before the last value: nothing")
        << Readings{Rd(0, 3600, c32(1000000000)).Discontinuity(0),
                    Rd(60, 3660, c32(5000)).Discontinuity(3000)}
        << quint64(0) << "Discontinuity";
    QTest::addRow("counting goes on from a counter reset")
        << Readings{Rd(0, 3600, c32(1000000000)).Discontinuity(0),
                    Rd(60, 3660, c32(5000)).Discontinuity(3650),
                    Rd(120, 3720, c32(105000)).Discontinuity(3650)}
        << quint64(105000) << "Rose";
    QTest::addRow("64-bit counters appear: counting starts again")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 3660, c32(1001000000)).Hc(5000001000000),
                    Rd(120, 3720, c32(1002000000)).Hc(5000002000000)}
        << quint64(1000000) << "Rose";
    QTest::addRow("64-bit counters go: counting starts again")
        << Readings{Rd(0, 3600, c32(1000000000)).Hc(5000000000000), Rd(60, 3660, c32(1001000000))}
        << quint64(0) << "WidthChanged";
    QTest::addRow("the 64-bit counter is read past a 32-bit wrap")
        << Readings{Rd(0, 3600, c32(1000000000)).Hc(1000000000).Speed(110162000),
                    Rd(600, 4200, c32(2705032704)).Hc(7000000000).Speed(110162000)}
        << quint64(6000000000) << "Rose";
    QTest::addRow("a 64-bit counter stuck at 0 beside a counting 32-bit one is not used")
        << Readings{Rd(0, 3600, c32(1000000000)).Hc(0), Rd(60, 3660, c32(1001000000)).Hc(0)}
        << quint64(1000000) << "Rose";
    QTest::addRow("a 64-bit counter going back cannot have wrapped")
        << Readings{Rd(0, 3600, c64(5000000000000)), Rd(60, 3660, c64(4999000000000))} << quint64(0)
        << "Discarded";
}

void TestOctetAccount::counting() {
    QFETCH(Readings, readings);
    QFETCH(quint64, counted);
    QFETCH(QString, verdict);
    OctetAccount account;
    QCOMPARE(QString::fromLatin1(name(play(account, readings))), verdict);
    QCOMPARE(account.InOctets(), counted);
}

void TestOctetAccount::startAfterClose_data() {
    QTest::addColumn<Readings>("before");
    QTest::addColumn<Readings>("after");
    QTest::addColumn<quint64>("counted"); // after the start
    QTest::addColumn<QString>("verdict");
    const double hours8 = 8 * 3600;
    const Readings closing{Rd(0, 3600, c32(1000000000))};

    QTest::addRow("the router ran on: what crossed meanwhile")
        << closing << Readings{Rd(hours8, 3600 + hours8, c32(1200000000))} << quint64(200000000)
        << "Rose";
    QTest::addRow("the counter wrapped meanwhile")
        << closing << Readings{Rd(hours8, 3600 + hours8, c32(500000000))}
        << quint64(4294967296 - 500000000) << "Wrapped";
    QTest::addRow("the router restarted: its counters since boot")
        << closing << Readings{Rd(hours8, 3600, c32(150000000))} << quint64(150000000)
        << "RouterRestart";
    QTest::addRow("the router restarted and counted past the saved value: its growth")
        << closing << Readings{Rd(hours8, 3600, c32(1500000000))} << quint64(500000000)
        << "AgentRestart";
    QTest::addRow("more than the line could carry while closed")
        << closing << Readings{Rd(600, 4200, c32(3000000000))} << quint64(0) << "Discarded";
    QTest::addRow("64-bit counters then, 32-bit now: counting starts again")
        << Readings{Rd(0, 3600, c32(1000000000)).Hc(1000000000)}
        << Readings{Rd(hours8, 3600 + hours8, c32(1200000000))} << quint64(0) << "WidthChanged";
    QTest::addRow("the uptime wrapped past 2^32 ticks meanwhile")
        << Readings{Rd(0, {}, c32(1000000000)).UptimeTicks(4294900000u)}
        << Readings{Rd(3600, {}, c32(1100000000)).UptimeTicks(292704)} << quint64(100000000)
        << "Rose";
    QTest::addRow("a value of the wrong type at close: the one before is kept")
        << Readings{Rd(0, 3600, c32(1000000000)), Rd(60, 3660, integer(-1))}
        << Readings{Rd(hours8, 3600 + hours8, c32(1200000000))} << quint64(200000000) << "Rose";
}

void TestOctetAccount::startAfterClose() {
    QFETCH(Readings, before);
    QFETCH(Readings, after);
    QFETCH(quint64, counted);
    QFETCH(QString, verdict);
    OctetAccount closing;
    play(closing, before);
    const auto saved = closing.Save();
    QVERIFY(saved);
    const auto loaded = SavedCounters::FromTexts(saved->ToTexts());
    QVERIFY(loaded);
    QVERIFY(*loaded == *saved);

    OctetAccount starting;
    starting.Restore(*loaded);
    QCOMPARE(QString::fromLatin1(name(play(starting, after))), verdict);
    QCOMPARE(starting.InOctets(), counted);
}

void TestOctetAccount::savedTexts_data() {
    QTest::addColumn<QStringList>("texts"); // in, out, reading time, boot time, discontinuity
    QTest::addColumn<bool>("kept");
    const QString at = QStringLiteral("2026-07-12T20:31:05.120Z");
    const QString boot = QStringLiteral("2026-07-01T08:00:00.000Z");
    const auto row = [&](const char *name, QStringList texts, bool kept) {
        QTest::addRow("%s", name) << texts << kept;
    };
    row("as written", {"Counter32 4294967295", "Counter64 18446744073709551615", at, boot, "5"},
        true);
    row("one counter, no boot", {"Counter32 7", "", at, "", ""}, true);
    row("nothing saved", {"", "", "", "", ""}, false);
    row("no counter", {"", "", at, boot, ""}, false);
    row("no reading time", {"Counter32 7", "", "", boot, ""}, false);
    row("negative", {"Counter32 -5", "", at, "", ""}, false);
    row("past 32 bits", {"Counter32 4294967296", "", at, "", ""}, false);
    row("past 64 bits", {"Counter64 18446744073709551616", "", at, "", ""}, false);
    row("no type", {"12345", "", at, "", ""}, false);
    row("another type", {"Gauge32 12345", "", at, "", ""}, false);
    row("trailing junk", {"Counter32 12x", "", at, "", ""}, false);
    row("two spaces", {"Counter32  12", "", at, "", ""}, false);
    row("junk in the other counter", {"Counter32 12", "lots", at, "", ""}, false);
    row("a local time", {"Counter32 7", "", "2026-07-12T20:31:05.120", "", ""}, false);
    row("not a time", {"Counter32 7", "", "yesterday", "", ""}, false);
    row("no such day", {"Counter32 7", "", "2026-02-30T20:31:05.120Z", "", ""}, false);
    row("a boot after the reading", {"Counter32 7", "", at, "2026-07-13T00:00:00.000Z", ""}, false);
    row("an uptime past 497 days", {"Counter32 7", "", at, "2025-01-01T00:00:00.000Z", ""}, false);
    row("a discontinuity past 32 bits", {"Counter32 7", "", at, boot, "4294967296"}, false);
    row("a negative discontinuity", {"Counter32 7", "", at, boot, "-1"}, false);
}

void TestOctetAccount::savedTexts() {
    QFETCH(QStringList, texts);
    QFETCH(bool, kept);
    const SavedCounters::Texts t{texts[0], texts[1], texts[2], texts[3], texts[4]};
    const auto saved = SavedCounters::FromTexts(t);
    QCOMPARE(bool(saved), kept);
    if (saved) {
        const SavedCounters::Texts again = saved->ToTexts();
        QCOMPARE(QStringList(
                     {again.in, again.out, again.readingTime, again.bootTime, again.discontinuity}),
                 texts);
    }
}

void TestOctetAccount::counterValues_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value"); // -1: no counter
    QTest::addColumn<int>("bits");
    QTest::addRow("Counter32 at its top")
        << tag::Counter32 << "4294967295" << qint64(4294967295) << 32;
    QTest::addRow("Counter32 wider than 32 bits")
        << tag::Counter32 << "4294967296" << qint64(-1) << 0;
    QTest::addRow("Counter32 with no text") << tag::Counter32 << "" << qint64(-1) << 0;
    QTest::addRow("Counter32 with a sign") << tag::Counter32 << "-1" << qint64(-1) << 0;
    QTest::addRow("Counter64") << tag::Counter64 << "4294967296" << qint64(4294967296) << 64;
    QTest::addRow("Counter64 wider than 64 bits")
        << tag::Counter64 << "18446744073709551616" << qint64(-1) << 0;
    QTest::addRow("INTEGER") << tag::Integer << "5" << qint64(-1) << 0;
    QTest::addRow("TimeTicks") << tag::TimeTicks << "5" << qint64(-1) << 0;
}

void TestOctetAccount::counterValues() {
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QFETCH(int, bits);
    const auto count = OctetCountOf(bind(type, text.toStdString()));
    QCOMPARE(bool(count), value >= 0);
    if (count) {
        QCOMPARE(qint64(count->value), value);
        QCOMPARE(int(count->width), bits);
    }
}

// Every build walks a few fixed random lives of a router through the account; the fuzzer walks
// many more.
void TestOctetAccount::randomWalks() {
    std::uint64_t counted = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Seeded bytes(seed);
        vantrel::testing::CountingWalk<Seeded> walk(bytes);
        for (int step = 0; step < 400; ++step) {
            const std::string broken = walk.Step();
            QVERIFY2(broken.empty(), qPrintable(QStringLiteral("seed %1, step %2: %3")
                                                    .arg(seed)
                                                    .arg(step)
                                                    .arg(QString::fromStdString(broken))));
        }
        counted += walk.Counted();
    }
    QVERIFY(counted > 0);
}

QTEST_GUILESS_MAIN(TestOctetAccount)
#include "tst_octetaccount.moc"
