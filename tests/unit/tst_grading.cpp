// What the router's codes and figures mean, decided in one place: link states from their exact
// texts, line coding and channel type, the margin and attenuation grades at their edges, the
// distance, the quota's levels and the tray's lights.

#include "core/grading.h"

#include <QTest>

using namespace vantrel::core;

Q_DECLARE_METATYPE(vantrel::core::LinkState)
Q_DECLARE_METATYPE(vantrel::core::Grade)
Q_DECLARE_METATYPE(vantrel::core::QuotaLevel)

class TestGrading : public QObject {
    Q_OBJECT
private slots:
    void linkState_data();
    void linkState();
    void lineCodes_data();
    void lineCodes();
    void grades_data();
    void grades();
    void quotaLevelAndLights_data();
    void quotaLevelAndLights();
};

void TestGrading::linkState_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QString>("lineWord");      // the ADSL page's
    QTest::addColumn<QString>("interfaceWord"); // the Interfaces page's; empty: none
    QTest::addRow("1 up") << QByteArray("1") << LinkState::Up << "Up"
                          << "UP";
    QTest::addRow("2 down") << QByteArray("2") << LinkState::Down << "Down"
                            << "DOWN";
    QTest::addRow("3 training") << QByteArray("3") << LinkState::Testing << "Training"
                                << "TESTING";
    QTest::addRow("7 lower layer down")
        << QByteArray("7") << LinkState::Other << "Down" << QString();
    QTest::addRow("01 is no 1") << QByteArray("01") << LinkState::Other << "Down" << QString();
    QTest::addRow("+1 is no 1") << QByteArray("+1") << LinkState::Other << "Down" << QString();
    QTest::addRow("blank after") << QByteArray("1 ") << LinkState::Other << "Down" << QString();
    QTest::addRow("empty (an error answer)")
        << QByteArray() << LinkState::Other << "Down" << QString();
    QTest::addRow("minus") << QByteArray("-") << LinkState::Other << "Down" << QString();
    QTest::addRow("word") << QByteArray("up") << LinkState::Other << "Down" << QString();
}

void TestGrading::linkState() {
    QFETCH(QByteArray, reply);
    QFETCH(LinkState, state);
    QFETCH(QString, lineWord);
    QFETCH(QString, interfaceWord);
    QCOMPARE(LinkStateOf(reply.toStdString()), state);
    QCOMPARE(QString::fromLatin1(LineStatusWord(state)), lineWord);
    const char *word = InterfaceStatusWord(state);
    QCOMPARE(word != nullptr ? QString::fromLatin1(word) : QString(), interfaceWord);
}

void TestGrading::lineCodes_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("coding");
    QTest::addColumn<QString>("type"); // empty: a type the page does not name
    QTest::addRow("0") << QByteArray("0") << "qam" << QString();
    QTest::addRow("1") << QByteArray("1") << "other"
                       << "noChannel";
    QTest::addRow("2") << QByteArray("2") << "dmt"
                       << "Fast";
    QTest::addRow("3") << QByteArray("3") << "cap"
                       << "Interleaved";
    QTest::addRow("4") << QByteArray("4") << "qam"
                       << "Fast/Interleaved";
    QTest::addRow("5") << QByteArray("5") << "qam"
                       << "Fast + Interleaved";
    QTest::addRow("6") << QByteArray("6") << "qam" << QString();
    QTest::addRow("02 is no 2") << QByteArray("02") << "qam" << QString();
    QTest::addRow("text") << QByteArray("dmt") << "qam" << QString();
}

void TestGrading::lineCodes() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, coding);
    QFETCH(QString, type);
    QCOMPARE(QString::fromLatin1(LineCodingName(LineCodingOf(reply.toStdString()))), coding);
    const char *name = ChannelTypeName(ChannelTypeOf(reply.toStdString()));
    QCOMPARE(name != nullptr ? QString::fromLatin1(name) : QString(), type);
}

void TestGrading::grades_data() {
    QTest::addColumn<double>("tenths");
    QTest::addColumn<Grade>("margin");
    QTest::addColumn<Grade>("attenuation");
    QTest::addColumn<double>("km"); // -1: no distance
    QTest::addRow("-5") << -5.0 << Grade::Poor << Grade::Good << -1.0;
    QTest::addRow("0") << 0.0 << Grade::Poor << Grade::Good << -1.0;
    QTest::addRow("109") << 109.0 << Grade::Poor << Grade::Good << 109 / 13.81 / 10;
    QTest::addRow("110") << 110.0 << Grade::Fair << Grade::Good << 110 / 13.81 / 10;
    QTest::addRow("190") << 190.0 << Grade::Fair << Grade::Good << 190 / 13.81 / 10;
    QTest::addRow("191") << 191.0 << Grade::Good << Grade::Good << 191 / 13.81 / 10;
    QTest::addRow("409.9") << 409.9 << Grade::Good << Grade::Good << 409.9 / 13.81 / 10;
    QTest::addRow("410") << 410.0 << Grade::Good << Grade::Fair << 410 / 13.81 / 10;
    QTest::addRow("490") << 490.0 << Grade::Good << Grade::Fair << 490 / 13.81 / 10;
    QTest::addRow("490.5") << 490.5 << Grade::Good << Grade::Poor << 490.5 / 13.81 / 10;
    QTest::addRow("1381 is ten km") << 1381.0 << Grade::Good << Grade::Poor << 10.0;
}

void TestGrading::grades() {
    QFETCH(double, tenths);
    QFETCH(Grade, margin);
    QFETCH(Grade, attenuation);
    QFETCH(double, km);
    QCOMPARE(MarginGrade(tenths), margin);
    QCOMPARE(AttenuationGrade(tenths), attenuation);
    const std::optional<double> distance = DistanceKm(tenths);
    QCOMPARE(distance.value_or(-1.0), km);
}

void TestGrading::quotaLevelAndLights_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<QuotaLevel>("level");
    QTest::addColumn<int>("lightsWhenUp");
    QTest::addRow("0") << 0 << QuotaLevel::Normal << int(TrayLights::Up);
    QTest::addRow("64") << 64 << QuotaLevel::Normal << int(TrayLights::Up);
    QTest::addRow("65") << 65 << QuotaLevel::High << int(TrayLights::UpHigh);
    QTest::addRow("84") << 84 << QuotaLevel::High << int(TrayLights::UpHigh);
    QTest::addRow("85") << 85 << QuotaLevel::Critical << int(TrayLights::UpCritical);
    QTest::addRow("100") << 100 << QuotaLevel::Critical << int(TrayLights::UpCritical);
}

void TestGrading::quotaLevelAndLights() {
    QFETCH(int, percent);
    QFETCH(QuotaLevel, level);
    QFETCH(int, lightsWhenUp);
    QCOMPARE(QuotaLevelOf(percent), level);
    QCOMPARE(int(*TrayLightsFor(true, LinkState::Up, level)), lightsWhenUp);
    // Only the link's light pattern counts while it is not up; no answer puts every light out.
    QCOMPARE(int(*TrayLightsFor(true, LinkState::Down, level)), int(TrayLights::Down));
    QCOMPARE(int(*TrayLightsFor(true, LinkState::Testing, level)), int(TrayLights::Training));
    QCOMPARE(int(*TrayLightsFor(false, LinkState::Up, level)), int(TrayLights::NoAnswer));
    QVERIFY(!TrayLightsFor(true, LinkState::Other, level));
}

QTEST_GUILESS_MAIN(TestGrading)
#include "tst_grading.moc"
