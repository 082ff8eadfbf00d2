// The line figures of each recorded router: which MIB answers for which figure, the "unknown"
// values and out-of-range replies that must show as not reported, and what a refresh costs.

#include "core/discovery.h"
#include "core/linemib.h"
#include "recording.h"

#include <QTest>

using namespace vantrel::core;
using vantrel::testsupport::Recording;

namespace {

// The reported figures as "Name=value" in the figures' order; the others are not reported.
QString figuresText(const LineFigures &figures) {
    QStringList parts;
    for (std::size_t i = 0; i < LineFigureCount; ++i)
        if (figures.values[i])
            parts << QStringLiteral("%1=%2")
                         .arg(LineFigureName(LineFigure(i)))
                         .arg(*figures.values[i]);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestLineMib : public QObject {
    Q_OBJECT
private slots:
    void eachRecording_data();
    void eachRecording();
    void decodes_data();
    void decodes();
    void noLineWatchesTheWan();
};

void TestLineMib::eachRecording_data() {
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QString>("figures");
    QTest::addColumn<int>("requests");      // the first read
    QTest::addColumn<int>("laterRequests"); // each read after it
    // ADSL-LINE-MIB: line tables at 11, channel tables at 12 (interleaved) and 13 (fast, idle).
    QTest::addRow("ADSL") << "korvane-ka2100-adsl"
                          << "DownRate=8128000 UpRate=832000 DownAttainableRate=9312000 "
                             "UpAttainableRate=1184000 DownMargin=62 UpMargin=110 "
                             "DownAttenuation=415 UpAttenuation=215 DownPower=192 UpPower=125 "
                             "DownDelay=16 UpDelay=8 LineCoding=2 ChannelType=4 LinkStatus=1 "
                             "LossOfFramingSeconds=3 LossOfSignalSeconds=9 LossOfPowerSeconds=0 "
                             "ErroredSeconds=212 CurrentDayErroredSeconds=7 "
                             "PreviousDayErroredSeconds=19 DownCorrectedBlocks=48121 "
                             "DownUncorrectedBlocks=152 UpCorrectedBlocks=187 "
                             "UpUncorrectedBlocks=4"
                          << 33 << 33;
    // Channel tables at the line; the exchange's margin says 0x7FFFFFFF and the downstream
    // delay 4294967295: not reported, as is the modem's power, which the agent lacks.
    QTest::addRow("ADSL2+ with unknowns") << "meridel-m740-adsl2plus"
                                          << "DownRate=18432000 UpRate=1021000 "
                                             "DownAttainableRate=21432000 UpAttainableRate=1236000 "
                                             "DownMargin=98 DownAttenuation=125 UpAttenuation=52 "
                                             "DownPower=121 UpDelay=4 LineCoding=2 ChannelType=3 "
                                             "LinkStatus=1 LossOfFramingSeconds=0 "
                                             "LossOfSignalSeconds=2 LossOfPowerSeconds=0 "
                                             "ErroredSeconds=41 CurrentDayErroredSeconds=3 "
                                             "PreviousDayErroredSeconds=12 "
                                             "DownCorrectedBlocks=3311 DownUncorrectedBlocks=41 "
                                             "UpCorrectedBlocks=12 UpUncorrectedBlocks=0"
                                          << 38 << 22;
    // VDSL2-LINE-MIB only; the whole-direction attenuation is unavailable, so the first band's.
    QTest::addRow("VDSL2") << "tessaro-tv5500-vdsl2"
                           << "DownRate=100000000 UpRate=40000000 DownAttainableRate=112480000 "
                              "UpAttainableRate=38412000 DownMargin=91 UpMargin=123 "
                              "DownAttenuation=112 UpAttenuation=158 DownPower=143 UpPower=59 "
                              "DownDelay=8 UpDelay=0 LinkStatus=1"
                           << 35 << 13;
    // Channel status at the channel ptm0; the modem's power is out of range.
    QTest::addRow("VDSL2 bridge") << "halvik-hb300-vdsl2-bridge"
                                  << "DownRate=54980000 UpRate=9998000 DownAttainableRate=61232000 "
                                     "UpAttainableRate=11876000 DownMargin=87 UpMargin=102 "
                                     "DownAttenuation=169 UpAttenuation=118 DownPower=131 "
                                     "DownDelay=9 UpDelay=0 LinkStatus=1"
                                  << 30 << 12;
    // No line MIB at all: the ATM channel's speed is 0 (unknown), the line's is the rate.
    QTest::addRow("gateway without line MIB") << "orbant-sg60-gateway"
                                              << "DownRate=11987000 LinkStatus=1" << 56 << 2;
    QTest::addRow("ADSL2 at 42") << "quillon-qr18-adsl2"
                                 << "DownRate=11200000 UpRate=1180000 DownAttainableRate=12740000 "
                                    "UpAttainableRate=1310000 DownMargin=64 UpMargin=76 "
                                    "DownAttenuation=388 UpAttenuation=241 UpPower=122 "
                                    "DownDelay=8 UpDelay=8 LineCoding=2 ChannelType=3 "
                                    "LinkStatus=1 LossOfFramingSeconds=1 LossOfSignalSeconds=4 "
                                    "LossOfPowerSeconds=1 ErroredSeconds=96 "
                                    "CurrentDayErroredSeconds=0 PreviousDayErroredSeconds=5 "
                                    "DownCorrectedBlocks=8820 DownUncorrectedBlocks=17 "
                                    "UpCorrectedBlocks=0 UpUncorrectedBlocks=0"
                                 << 26 << 24;
    // Whole dB become tenths; the span's rate serves both directions.
    QTest::addRow("G.SHDSL") << "strela-sr2-shdsl"
                             << "DownRate=2312000 UpRate=2312000 DownAttainableRate=5696000 "
                                "UpAttainableRate=5696000 DownMargin=90 UpMargin=100 "
                                "DownAttenuation=120 UpAttenuation=110 LinkStatus=1 "
                                "ErroredSeconds=14 CurrentDayErroredSeconds=2"
                             << 9 << 9;
}

void TestLineMib::eachRecording() {
    QFETCH(QString, recording);
    QFETCH(QString, figures);
    QFETCH(int, requests);
    QFETCH(int, laterRequests);
    Recording router;
    std::string error;
    QVERIFY2(router.Load(Recording::Path(recording.toStdString()), &error), error.c_str());
    const Discovery d = Discover(DiscoveryInputFromBindings(router.DiscoveryWalks()));

    std::map<std::string, int> asked;
    const LineGet get = [&](const std::string &oid) {
        ++asked[oid];
        return router.Get(oid);
    };
    const std::vector<FigurePlan> plan = LinePlan(d);
    const LineFigures read = ReadLine(plan, get);
    QCOMPARE(figuresText(read), figures);
    for (const auto &[oid, times] : asked)
        QVERIFY2(times == 1, oid.c_str());
    QCOMPARE(int(asked.size()), requests);

    // Later refreshes ask only where the figures were found, and find the same.
    asked.clear();
    const LineFigures again = ReadLine(NarrowPlan(plan, read), get);
    QCOMPARE(figuresText(again), figures);
    QCOMPARE(int(asked.size()), laterRequests);
    // A read the router did not answer narrows nothing.
    QCOMPARE(
        NarrowPlan(plan,
                   ReadLine(plan, [](const std::string &) { return std::optional<std::string>(); }))
            .size(),
        plan.size());
}

void TestLineMib::decodes_data() {
    QTest::addColumn<qint64>("min");
    QTest::addColumn<qint64>("max");
    QTest::addColumn<qint64>("factor");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("value"); // "-": not reported
    auto row = [](const char *name, const Decode &d, const char *reply, const char *value) {
        QTest::addRow("%s", name) << qint64(d.min) << qint64(d.max) << qint64(d.factor)
                                  << QString(reply) << QString(value);
    };
    row("margin", decode::AdslMargin, "65", "65");
    row("negative margin", decode::AdslMargin, "-20", "-20");
    row("margin 0x7FFFFFFF", decode::AdslMargin, "2147483647", "-");
    row("VDSL2 attenuation unavailable", decode::Xdsl2Attenuation, "2147483646", "-");
    row("VDSL2 attenuation at its top", decode::Xdsl2Attenuation, "1270", "1270");
    row("power below the range", decode::AdslPower, "-311", "-");
    row("delay unknown", decode::Delay, "4294967295", "-");
    row("rate 0 is a rate", decode::Rate, "0", "0");
    row("rate all ones", decode::Rate, "4294967295", "-");
    row("ifSpeed 0 is unknown", decode::IfSpeed, "0", "-");
    row("ifSpeed all ones points to ifHighSpeed", decode::IfSpeed, "4294967295", "-");
    row("ifHighSpeed in Mbit/s", decode::IfHighSpeed, "12", "12000000");
    row("G.SHDSL whole dB", decode::ShdslDecibel, "-3", "-30");
    row("empty reply", decode::Count, "", "-");
    row("not a number", decode::Count, "12abc", "-");
    row("a lone minus", decode::AdslMargin, "-", "-");
    row("huge", decode::Count, "99999999999999999999", "-");
}

void TestLineMib::decodes() {
    QFETCH(qint64, min);
    QFETCH(qint64, max);
    QFETCH(qint64, factor);
    QFETCH(QString, reply);
    QFETCH(QString, value);
    const auto v = DecodeReply(Decode{min, max, factor}, reply.toStdString());
    QCOMPARE(v ? QString::number(*v) : QStringLiteral("-"), value);
}

void TestLineMib::noLineWatchesTheWan() {
    Discovery d;
    d.wan = 7;
    const std::vector<FigurePlan> plan = LinePlan(d);
    QCOMPARE(plan.size(), std::size_t(1));
    QCOMPARE(plan[0].figure, LineFigure::LinkStatus);
    QCOMPARE(plan[0].sources[0].oids, std::vector<std::string>{"1.3.6.1.2.1.2.2.1.8.7"});
    QVERIFY(LinePlan(Discovery()).empty());
}

QTEST_GUILESS_MAIN(TestLineMib)
#include "tst_linemib.moc"
