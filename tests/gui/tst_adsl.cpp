// The ADSL page against a loopback agent: how each reply is converted, graded and coloured,
// what a reply that is not a number does in the middle of the update, and which sub-page, help
// topic and Update button state each way of starting the update leaves.

#include "app/mainform.h"
#include "formfixture.h"
#include "pages/adslpage.h"
#include "ui/routerquery.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::pages;
using vantrel::core::Trigger;

using namespace vantrel::snmp;
using namespace vantrel::tools;
using namespace vantrel::ui;

namespace {

const std::string kAdsl = "1.3.6.1.2.1.10.94.1.1.";
const std::string kDelay = kAdsl + "4.1.1.2";
const std::string kWanStatus = "1.3.6.1.2.1.2.2.1.8.2";

// The objects in the order the page asks for them (the delay only for interleaved lines).
const std::vector<std::string> kOrder = {
    kAdsl + "4.1.2.2",  kAdsl + "2.1.7.2",  kAdsl + "3.1.4.2",         kAdsl + "3.1.5.2",
    kAdsl + "5.1.2.2",  kAdsl + "2.1.4.2",  kAdsl + "2.1.5.2",         kAdsl + "3.1.7.2",
    kWanStatus,         kAdsl + "1.1.1.2",  "1.3.6.1.4.1.763.3.2.2.2", kAdsl + "1.1.2.2",
    kAdsl + "7.1.1.2",  kAdsl + "7.1.2.2",  kAdsl + "7.1.3.2",         kAdsl + "7.1.4.2",
    kAdsl + "7.1.16.2", kAdsl + "7.1.21.2", kAdsl + "11.1.3.2",        kAdsl + "11.1.4.2",
    kAdsl + "10.1.3.2", kAdsl + "10.1.4.2",
};

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);
const int kAdslPage = 2;

// A healthy line: every object answers with an ordinary value.
void adslRouter(LoopbackAgent &agent) {
    agent.SetGauge(kAdsl + "4.1.2.2", 8128000);
    agent.SetInteger(kAdsl + "2.1.7.2", 122);
    agent.SetInteger(kAdsl + "3.1.4.2", 200);
    agent.SetInteger(kAdsl + "3.1.5.2", 300);
    agent.SetGauge(kAdsl + "5.1.2.2", 832000);
    agent.SetInteger(kAdsl + "2.1.4.2", 120);
    agent.SetInteger(kAdsl + "2.1.5.2", 255);
    agent.SetInteger(kAdsl + "3.1.7.2", 124);
    agent.SetInteger(kAdsl + "1.1.1.2", 2);
    agent.SetString("1.3.6.1.4.1.763.3.2.2.2", "ADSL_G.dmt");
    agent.SetInteger(kAdsl + "1.1.2.2", 2);
    agent.SetGauge(kDelay, 16);
    for (const char *counter : {"7.1.1.2", "7.1.2.2", "7.1.3.2", "7.1.4.2", "7.1.16.2", "7.1.21.2",
                                "11.1.3.2", "11.1.4.2", "10.1.3.2", "10.1.4.2"})
        agent.SetCounter(kAdsl + counter, 42);
}

// A reply as the agent sends it: numbers as INTEGER, anything else as an OCTET STRING.
void setReply(LoopbackAgent &agent, const std::string &oid, const QString &reply) {
    bool number = false;
    const qlonglong v = reply.toLongLong(&number);
    if (number && QString::number(v) == reply)
        agent.SetInteger(oid, v);
    else
        agent.SetString(oid, reply.toStdString());
}

MainForm &createForm(FormFixture &f) {
    adslRouter(f.agent);
    MainForm &form = f.Create(false);
    SetWanRow(form, "2");
    // Onto the ADSL page without running its update.
    form.PageControl()->blockSignals(true);
    form.PageControl()->setCurrentIndex(kAdslPage);
    form.PageControl()->blockSignals(false);
    return form;
}

void update(FormFixture &f, Trigger trigger = Trigger::PushButton) {
    MainForm &form = f.form();
    form.Run([&form, trigger] { PartsOf(form).Adsl().ADSLClick(trigger); });
    QVERIFY(f.Settle());
}

QTabWidget *subPages(MainForm &form) {
    return Find<QTabWidget>(form, "ADSL_PageControl");
}

// The background a label was given, or an invalid colour when it has none of its own.
QColor background(QLabel *label) {
    return label->autoFillBackground() ? label->palette().color(QPalette::Window) : QColor();
}

std::vector<std::string> requestedOids(const LoopbackAgent &agent) {
    std::vector<std::string> oids;
    for (const AgentRequest &r : agent.Requests())
        oids.push_back(r.oid);
    return oids;
}

// Fills the log beyond one screen and scrolls it to the top.
QScrollBar *longLogAtTop(MainForm &form) {
    QPlainTextEdit *log = Memo(form, "LinkLog_Memo");
    for (int i = 0; i < 200; ++i)
        log->appendPlainText(QStringLiteral("line %1").arg(i));
    QScrollBar *bar = log->verticalScrollBar();
    bar->setValue(0);
    return bar;
}

} // namespace

class TestAdsl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {}

    void placeholders();
    void figures_data();
    void figures();
    void failedRowKeepsTextGreyedWithoutColour();
    void probeAndMissingObjects();
    void conversionErrorEndsUpdate_data();
    void conversionErrorEndsUpdate();
    void senders_data();
    void senders();
    void subPageChange();
    void updateButtonAndPageSelection();
};

void TestAdsl::placeholders() {
    FormFixture f;
    MainForm &form = f.Create(false);
    for (const char *name : {"DnTxPowerVal_Label", "UpTxPowerVal_Label", "ModeVal_Label"})
        QCOMPARE(Label(form, name)->text(), QStringLiteral("-------"));
    for (const char *name : {"DnSpeedVal_Label", "StatusVal_Label", "DistanceVal_Label"})
        QCOMPARE(Label(form, name)->text(), QStringLiteral("------"));
    QCOMPARE(subPages(form)->tabText(0), QStringLiteral("Connection Info"));
    QCOMPARE(subPages(form)->tabText(1), QStringLiteral("Connection Log"));
    QVERIFY(!Memo(form, "LinkLog_Memo")->isReadOnly());
    QCOMPARE(Memo(form, "LinkLog_Memo")->lineWrapMode(), QPlainTextEdit::NoWrap);
}

// How each kind of figure is shown: its text, its colour and the distance. Where the grades and
// the words change is the core's business (tst_grading); these rows show that the page paints
// what the core decides.
void TestAdsl::figures_data() {
    QTest::addColumn<QString>("object"); // OID below the ADSL line MIB, or a full OID
    QTest::addColumn<QString>("reply");  // "+silent delay": the delay object does not answer
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");    // invalid: the label keeps no colour of its own
    QTest::addColumn<QString>("distance"); // empty: not checked

    const QColor none;
    const char *any = "";
    const char *status = kWanStatus.c_str();
    auto row = [](const char *name, const char *object, const char *reply, const char *label,
                  const char *text, const QColor &colour, const char *distance) {
        QTest::addRow("%s", name) << QString::fromLatin1(object) << QString::fromLatin1(reply)
                                  << QString::fromLatin1(label) << QString::fromLatin1(text)
                                  << colour << QString::fromLatin1(distance);
    };
    row("rate 8128000", "4.1.2.2", "8128000", "DnSpeedVal_Label", "8128 Kbps", none, any);
    row("rate 999", "4.1.2.2", "999", "DnSpeedVal_Label", "0 Kbps", none, any);
    row("rate empty", "5.1.2.2", "", "UpSpeedVal_Label", "0 Kbps", none, any);
    row("power -15", "2.1.7.2", "-15", "DnTxPowerVal_Label", "-1 dBm", none, any);
    row("margin 109", "3.1.4.2", "109", "DnSNRVal_Label", "10.9 dB", kRed, any);
    row("attenuation 0", "3.1.5.2", "0", "DnAttVal_Label", "0 dB", kGreen, "------");
    row("attenuation 409", "3.1.5.2", "409", "DnAttVal_Label", "40.9 dB", kGreen, "2.96 km");
    // Values no line can have are not reported, never coloured as readings.
    row("attenuation -214748364.8", "3.1.5.2", "-2147483648", "DnAttVal_Label", "not reported",
        none, "not reported");
    row("margin 0x7FFFFFFF", "3.1.4.2", "2147483647", "DnSNRVal_Label", "not reported", none, any);
    row("upstream margin not graded", "2.1.4.2", "65", "UpSNRVal_Label", "6.5 dB", none, any);
    row("upstream attenuation not graded", "2.1.5.2", "600", "UpAttVal_Label", "60 dB", none, any);
    row("status 3", status, "3", "StatusVal_Label", "Training", kYellow, any);
    row("status 7", status, "7", "StatusVal_Label", "Down", kRed, any);
    row("coding 2", "1.1.1.2", "2", "CodingVal_Label", "dmt", none, any);
    row("type 3 delay 16", "1.1.2.2", "3", "ModeVal_Label", "Interleaved\rDelay 16ms", none, any);
    row("type 3 delay failing", "1.1.2.2", "3+silent delay", "ModeVal_Label", "Interleaved", none,
        any);
    row("type 6 unchanged", "1.1.2.2", "6", "ModeVal_Label", "-------", none, any);
    row("modulation verbatim", "1.3.6.1.4.1.763.3.2.2.2", "G.992.5 Annex A", "ModulationVal_Label",
        "G.992.5 Annex A", none, any);
    row("counter verbatim", "11.1.4.2", "123456", "DnUncorrBlksVal_Label", "123456", none, any);
}

void TestAdsl::figures() {
    QFETCH(QString, object);
    QFETCH(QString, reply);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QFETCH(QString, distance);

    FormFixture f;
    MainForm &form = createForm(f);
    const std::string oid = object.startsWith(QLatin1String("1.3.6"))
                                ? object.toStdString()
                                : kAdsl + object.toStdString();
    if (reply.endsWith(QLatin1String("+silent delay"))) {
        reply.chop(int(qstrlen("+silent delay")));
        f.agent.SetFault(kDelay, AgentFault{});
    }
    setReply(f.agent, oid, reply);

    update(f);
    QCOMPARE(f.prompter.Texts("error"), QStringList());
    QLabel *value = Label(form, label.toLatin1().constData());
    QCOMPARE(value->text(), text);
    QCOMPARE(background(value), colour);
    if (!distance.isEmpty())
        QCOMPARE(Label(form, "DistanceVal_Label")->text(), distance);
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
    QCOMPARE(f.prompter.beeps, 0);
}

void TestAdsl::failedRowKeepsTextGreyedWithoutColour() {
    FormFixture f;
    MainForm &form = createForm(f);
    f.agent.SetInteger(kAdsl + "3.1.4.2", 109);
    f.agent.SetInteger(kAdsl + "3.1.5.2", 409);
    update(f);
    QCOMPARE(Label(form, "DnSNRVal_Label")->text(), QStringLiteral("10.9 dB"));

    // Next time the margin and the attenuation do not answer; the rows after them still do.
    f.agent.SetFault(kAdsl + "3.1.4.2", AgentFault{});
    f.agent.SetFault(kAdsl + "3.1.5.2", AgentFault{});
    f.agent.SetCounter(kAdsl + "10.1.4.2", 7);
    update(f);
    QCOMPARE(Label(form, "DnSNRVal_Label")->text(), QStringLiteral("10.9 dB"));
    // Greyed on the plain background: the alarm colour was the old reading's.
    QVERIFY(!Label(form, "DnSNRVal_Label")->isEnabled());
    QVERIFY(background(Label(form, "DnSNRVal_Label")) != kRed);
    QCOMPARE(Label(form, "DnAttVal_Label")->text(), QStringLiteral("40.9 dB"));
    QCOMPARE(Label(form, "DistanceVal_Label")->text(), QStringLiteral("2.96 km"));
    QVERIFY(!Label(form, "DistanceVal_Label")->isEnabled());
    QCOMPARE(Label(form, "UpUnCorrBlksVal_Label")->text(), QStringLiteral("7"));
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
    QCOMPARE(f.prompter.beeps, 0);
    QVERIFY(f.prompter.shown.isEmpty());
    // What the router did not answer this time is drawn greyed; the fresh figures are not.
    QVERIFY(IsStale(Label(form, "DnSNRVal_Label")));
    QVERIFY(IsStale(Label(form, "DnAttVal_Label")));
    QVERIFY(!IsStale(Label(form, "UpUnCorrBlksVal_Label")));
    // The next answer makes it current again.
    f.agent.ClearFaults();
    update(f);
    QVERIFY(!IsStale(Label(form, "DnSNRVal_Label")));
}

void TestAdsl::probeAndMissingObjects() {
    FormFixture f;
    MainForm &form = createForm(f);
    update(f);
    QCOMPARE(Label(form, "ESVal_Label")->text(), QStringLiteral("42"));

    // A router that does not answer at all: the first request is the probe, and its failure
    // is reported at once instead of 22 time-outs and " Ready".
    f.agent.SetFault(kOrder[0], AgentFault{});
    f.agent.ClearRequests();
    update(f);
    QCOMPARE(f.agent.RequestCount(), 1);
    QCOMPARE(Label(form, "DnSpeedVal_Label")->text(), RouterQuery::GetFailed);
    QCOMPARE(form.Status(), RouterQuery::ErrorText);
    QCOMPARE(f.prompter.beeps, 1);
    QCOMPARE(Label(form, "ESVal_Label")->text(), QStringLiteral("42"));
    QVERIFY(IsStale(Label(form, "ESVal_Label")));

    // An object this router lacks (the agent answers noSuchName) is passed over like one that
    // did not answer, never a conversion error; the rest of the page is refreshed.
    f.agent.ClearFaults();
    f.agent.Remove(kAdsl + "2.1.7.2");
    f.agent.SetCounter(kAdsl + "7.1.4.2", 43);
    f.prompter.Reset();
    update(f);
    QVERIFY(f.prompter.shown.isEmpty());
    QCOMPARE(Label(form, "DnTxPowerVal_Label")->text(), QStringLiteral("12 dBm"));
    QCOMPARE(Label(form, "ESVal_Label")->text(), QStringLiteral("43"));
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
    QCOMPARE(f.prompter.beeps, 0);
}

void TestAdsl::conversionErrorEndsUpdate_data() {
    QTest::addColumn<int>("row"); // index into kOrder
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("message");

    auto row = [](const char *name, int index, const char *reply, const char *message) {
        QTest::addRow("%s", name) << index << QString::fromLatin1(reply)
                                  << QString::fromLatin1(message);
    };
    row("margin not a number", 2, "abc", "'abc' is not a valid floating point value.");
    row("empty power", 1, "", "'' is not a valid integer value.");
    row("upstream rate not a number", 4, "fast", "'fast' is not a valid integer value.");
    row("rate beyond 32 bits", 0, "4294967296", "'4294967296' is not a valid integer value.");
    row("empty upstream power", 7, "", "'' is not a valid integer value.");
}

void TestAdsl::conversionErrorEndsUpdate() {
    QFETCH(int, row);
    QFETCH(QString, reply);
    QFETCH(QString, message);

    FormFixture f;
    MainForm &form = createForm(f);
    form.show();
    subPages(form)->setCurrentIndex(AdslPage::ConnectionLog);
    QScrollBar *bar = longLogAtTop(form);
    QVERIFY(bar->maximum() > 0);
    f.agent.SetString(kOrder[size_t(row)], reply.toStdString());
    f.agent.ClearRequests();

    update(f);
    QCOMPARE(f.prompter.Texts("error"), QStringList{message});
    QCOMPARE(f.prompter.shown.first().caption, QStringLiteral("Vantrel"));
    // The rows after the bad one were not asked for.
    const std::vector<std::string> expected(kOrder.begin(), kOrder.begin() + row + 1);
    QCOMPARE(requestedOids(f.agent), expected);
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
    QVERIFY(!form.BusyCursor());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestAdsl::senders_data() {
    QTest::addColumn<int>("trigger");
    QTest::addColumn<int>("subPageBefore");
    QTest::addColumn<int>("subPageAfter");
    QTest::addColumn<int>("help"); // 999: left as it was

    const int info = AdslPage::ConnectionInfo;
    const int log = AdslPage::ConnectionLog;
    QTest::addRow("button on info keeps info") << int(Trigger::PushButton) << info << info << 999;
    QTest::addRow("button on log keeps log") << int(Trigger::PushButton) << log << log << 999;
    QTest::addRow("page selection brings info") << int(Trigger::PageControl) << log << info << 130;
    QTest::addRow("timer brings info") << int(Trigger::Timer) << log << info << 130;
}

void TestAdsl::senders() {
    QFETCH(int, trigger);
    QFETCH(int, subPageBefore);
    QFETCH(int, subPageAfter);
    QFETCH(int, help);

    FormFixture f;
    MainForm &form = createForm(f);
    subPages(form)->setCurrentIndex(subPageBefore);
    form.SetHelpContext(999);
    f.agent.ClearRequests();
    update(f, Trigger(trigger));
    QCOMPARE(subPages(form)->currentIndex(), subPageAfter);
    QCOMPARE(form.HelpContext(), help);
    QCOMPARE(form.GetValuesButton()->isEnabled(), subPageAfter == AdslPage::ConnectionInfo);
    QCOMPARE(f.agent.RequestCount(), int(kOrder.size()));
    QCOMPARE(form.Status(), RouterQuery::ReadyText);
}

void TestAdsl::subPageChange() {
    FormFixture f;
    MainForm &form = createForm(f);
    form.show();
    subPages(form)->setCurrentIndex(AdslPage::ConnectionLog);
    QScrollBar *bar = longLogAtTop(form);
    subPages(form)->setCurrentIndex(AdslPage::ConnectionInfo);
    QCOMPARE(form.HelpContext(), 130);
    QVERIFY(form.GetValuesButton()->isEnabled());
    QCOMPARE(bar->value(), 0); // only the log tab scrolls the log

    f.agent.ClearRequests();
    subPages(form)->setCurrentIndex(AdslPage::ConnectionLog);
    QCOMPARE(form.HelpContext(), 131);
    QVERIFY(!form.GetValuesButton()->isEnabled());
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(f.agent.RequestCount(), 0); // changing sub-page asks the router nothing
}

void TestAdsl::updateButtonAndPageSelection() {
    FormFixture f;
    adslRouter(f.agent);
    MainForm &form = f.Create(false);
    SetWanRow(form, "2");
    subPages(form)->setCurrentIndex(AdslPage::ConnectionLog);

    // Selecting the page runs the update and brings Connection Info to the front.
    form.PageControl()->setCurrentIndex(kAdslPage);
    QVERIFY(f.Settle());
    QCOMPARE(subPages(form)->currentIndex(), int(AdslPage::ConnectionInfo));
    QCOMPARE(Label(form, "DnSpeedVal_Label")->text(), QStringLiteral("8128 Kbps"));
    QCOMPARE(Label(form, "StatusVal_Label")->text(), QStringLiteral("Up"));

    // Update runs it again on the sub-page that shows.
    f.agent.SetGauge(kAdsl + "4.1.2.2", 4000000);
    form.GetValuesButton()->click();
    QVERIFY(f.Settle());
    QCOMPARE(Label(form, "DnSpeedVal_Label")->text(), QStringLiteral("4000 Kbps"));
    QCOMPARE(subPages(form)->currentIndex(), int(AdslPage::ConnectionInfo));
    QCOMPARE(form.HelpContext(), 130);
}

QTEST_MAIN(TestAdsl)
#include "tst_adsl.moc"
