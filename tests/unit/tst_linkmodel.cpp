// The WAN link as the connection monitor follows it, poll by poll against a router without
// network: which polls tell a change, what the connection log's line says, how long the figure
// in parentheses measures, what a stretch without answer and a restart look like, and which
// requests each poll makes.

#include "core/convert.h"
#include "core/linkmodel.h"
#include "core/oids.h"
#include "core/regional.h"
#include "fakerouterlink.h"
#include "monitors/connectionmonitor.h"

#include <QLocale>
#include <QTest>

using namespace vantrel;
using core::LinkEvent;
using core::LinkModel;

// A poll as the connection monitor makes it: status "-" is no answer at all, uptime "-" no
// answer to the uptime.
struct Step {
    QDateTime at;
    QString status;
    QString uptime;
};
Q_DECLARE_METATYPE(Step)

namespace {

const std::string kStatus = core::oid::IfCell(core::oid::IfColumn::OperStatus, "2");

// Runs the polls through the model and returns the log's lines (a conversion error ends with
// "error: <message>").
QStringList run(LinkModel &model, FakeRouterLink &link, const QList<Step> &steps) {
    QStringList lines;
    QObject::connect(&model, &LinkModel::changed,
                     [&lines](const LinkEvent &e) { lines << monitors::LinkEventLine(e); });
    link.map.WanRow = "2";
    for (const Step &step : steps) {
        link.Script(kStatus, {step.status == QLatin1String("-")
                                  ? FakeRouterLink::Silent()
                                  : FakeRouterLink::Value(step.status.toStdString())});
        link.Script(core::oid::SysUpTime, {step.uptime == QLatin1String("-")
                                               ? FakeRouterLink::Silent()
                                               : FakeRouterLink::Value(step.uptime.toStdString())});
        core::LinkPoll poll = core::PollLink(link, model.NextPoll());
        poll.head.readAt = step.at;
        link.scripts.clear();
        try {
            model.Take(poll);
        } catch (const core::ConvertError &e) {
            lines << QStringLiteral("error: ") + QString::fromStdString(e.what());
        }
    }
    return lines;
}

const QDateTime kEvening(QDate(2026, 12, 7), QTime(22, 31, 5));

} // namespace

class TestLinkModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Dates and times of the lines in a known regional format.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    void changes_data();
    void changes();
    void lines_data();
    void lines();
    void requests_data();
    void requests();
    void ticksSince_data();
    void ticksSince();
};

// Which polls tell a drop or a return (the lines' first words), and the state at the end.
void TestLinkModel::changes_data() {
    QTest::addColumn<QStringList>("statuses"); // "-": no answer
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<bool>("up");
    const QString down = QStringLiteral("Disconnected:");
    const QString back = QStringLiteral("Reconnected:");
    const QString blind = QStringLiteral("No");
    QTest::addRow("up down down up")
        << QStringList{"1", "2", "2", "1"} << QStringList{down, back} << true;
    QTest::addRow("first poll down") << QStringList{"2"} << QStringList{down} << false;
    QTest::addRow("testing and 7 while down")
        << QStringList{"2", "3", "7", "1"} << QStringList{down, back} << true;
    QTest::addRow("failure while down")
        << QStringList{"2", "-", "1"} << QStringList{down, blind, back} << true;
    QTest::addRow("failure while up")
        << QStringList{"1", "-", "2"} << QStringList{blind, down} << false;
    QTest::addRow("other replies while up")
        << QStringList{"3", "5", "7", ""} << QStringList{} << true;
    QTest::addRow("01 is not up") << QStringList{"2", "01", "1"} << QStringList{down, back} << true;
    QTest::addRow("two drops") << QStringList{"2", "1", "2", "1"}
                               << QStringList{down, back, down, back} << true;
}

void TestLinkModel::changes() {
    QFETCH(QStringList, statuses);
    QFETCH(QStringList, kinds);
    QFETCH(bool, up);
    QList<Step> steps;
    for (const QString &status : statuses)
        steps << Step{kEvening, status, QStringLiteral("100")};
    LinkModel model;
    FakeRouterLink link;
    QStringList firstWords;
    for (const QString &line : run(model, link, steps))
        firstWords << line.section(QLatin1Char(' '), 0, 0);
    QCOMPARE(firstWords, kinds);
    QCOMPARE(model.Up(), up);
}

void TestLinkModel::lines_data() {
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QStringList>("lines");
    const QDateTime later = kEvening.addSecs(3600);
    const QDateTime midnight(QDate(2026, 12, 8), QTime(0, 0, 0));
    const QDateTime start(QDate(2026, 12, 7), QTime(22, 31, 0));

    QTest::addRow("first line shows the router's uptime")
        << QList<Step>{{kEvening, "2", "12345678"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (01:10:17:36)"};
    QTest::addRow("return shows how long the drop lasted")
        << QList<Step>{{kEvening, "2", "12345678"}, {later, "1", "12705678"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (01:10:17:36)",
                       "Reconnected: 07/12/2026 23:31:05  (00:01:00:00)"};
    QTest::addRow("polls without a change do not move the start")
        << QList<Step>{{kEvening, "2", "1000"},
                       {kEvening.addSecs(40), "2", "5000"},
                       {kEvening.addSecs(60), "1", "7000"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:00:10)",
                       "Reconnected: 07/12/2026 22:32:05  (00:00:01:00)"};
    QTest::addRow("midnight leaves out the time")
        << QList<Step>{{midnight, "2", "12345678"}}
        << QStringList{"Disconnected: 08/12/2026  (01:10:17:36)"};
    // The uptime went back: a restart lies in the drop, which has no duration; the next
    // uptime rising from there tells the restart, and durations count from it.
    QTest::addRow("router restarted in between")
        << QList<Step>{{kEvening, "2", "12345678"},
                       {later, "1", "6000"},
                       {later.addSecs(60), "1", "12000"},
                       {later.addSecs(120), "2", "18000"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (01:10:17:36)",
                       "Reconnected: 07/12/2026 23:31:05  (time unknown)",
                       "Router restarted: 07/12/2026 23:30:05  (00:00:02:00)",
                       "Disconnected: 07/12/2026 23:33:05  (00:00:02:00)"};
    // 41 polls, every other one silent, the uptime back near zero at every second answer.
    QList<Step> jumping{{kEvening, "2", "100000"}};
    QStringList jumpingLines{"Disconnected: 07/12/2026 22:31:05  (00:00:16:40)"};
    for (int i = 1; i < 40; ++i) {
        const QDateTime at = kEvening.addSecs(60 * i);
        const qint64 ticks = i % 4 == 2 ? 50 + i : 100000 + 6000 * i;
        jumping << Step{at, i % 2 ? "-" : "2", i % 2 ? "-" : QString::number(ticks)};
        if (i % 2)
            jumpingLines << QStringLiteral("No answer from the router: %1 to %1")
                                .arg(vantrel::core::DateTimeText(at));
    }
    jumping << Step{kEvening.addSecs(2400), "1", "340000"};
    jumpingLines << "Reconnected: 07/12/2026 23:11:05  (00:00:40:00)";
    QTest::addRow("an uptime that jumps back and forth is no restart") << jumping << jumpingLines;
    QTest::addRow("an uptime that jumps ahead gives no duration")
        << QList<Step>{{kEvening, "2", "100000"},
                       {kEvening.addSecs(60), "1", "90000000"},
                       {kEvening.addSecs(120), "1", "90006000"},
                       {kEvening.addSecs(180), "2", "90012000"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:16:40)",
                       "Reconnected: 07/12/2026 22:32:05  (time unknown)",
                       "Disconnected: 07/12/2026 22:34:05  (00:00:02:00)"};
    QTest::addRow("a restart before the last good reading is of unknown time")
        << QList<Step>{{kEvening, "2", "100000"},
                       {kEvening.addSecs(60), "1", "50000"},
                       {kEvening.addSecs(120), "1", "56000"},
                       {kEvening.addSecs(180), "2", "62000"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:16:40)",
                       "Reconnected: 07/12/2026 22:32:05  (time unknown)",
                       "Router restarted: time unknown",
                       "Disconnected: 07/12/2026 22:34:05  (00:00:02:00)"};
    QTest::addRow("sysUpTime passing 2^32 is no restart")
        << QList<Step>{{kEvening, "2", "4294960000"}, {kEvening.addSecs(120), "1", "4704"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (497:02:26:40)",
                       "Reconnected: 07/12/2026 22:33:05  (00:00:02:00)"};
    // Without the uptime of a change, the next line falls back to the router's uptime.
    QTest::addRow("uptime not answered")
        << QList<Step>{{kEvening, "2", "100000"}, {later, "1", "-"}, {later, "2", "460000"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:05  (00:00:16:40)",
                       "Reconnected: 07/12/2026 23:31:05  (Get failed)",
                       "Disconnected: 07/12/2026 23:31:05  (00:01:16:40)"};
    QTest::addRow("silence between a drop and the return")
        << QList<Step>{{start, "2", "100000"},
                       {start.addSecs(60), "-", "-"},
                       {start.addSecs(120), "-", "-"},
                       {start.addSecs(180), "1", "118000"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:00  (00:00:16:40)",
                       "No answer from the router: 07/12/2026 22:32:00 to 07/12/2026 22:33:00",
                       "Reconnected: 07/12/2026 22:34:00  (00:00:03:00)"};
    QTest::addRow("the router restarted meanwhile")
        << QList<Step>{{start, "2", "100000"},
                       {start.addSecs(60), "-", "-"},
                       {start.addSecs(120), "1", "6000"},
                       {start.addSecs(180), "1", "12000"}}
        << QStringList{"Disconnected: 07/12/2026 22:31:00  (00:00:16:40)",
                       "No answer from the router: 07/12/2026 22:32:00 to 07/12/2026 22:32:00",
                       "Reconnected: 07/12/2026 22:33:00  (time unknown)",
                       "Router restarted: 07/12/2026 22:32:00  (00:00:02:00)"};
    // An uptime that is no number ends the poll before its change; the next drop is told as
    // the first one would have been.
    QTest::addRow("uptime not a number")
        << QList<Step>{{kEvening, "2", "soon"}, {kEvening, "2", "6000"}}
        << QStringList{"error: 'soon' is not a valid integer value",
                       "Disconnected: 07/12/2026 22:31:05  (00:00:01:00)"};
    QTest::addRow("uptime not a number after a silence")
        << QList<Step>{{start, "-", "-"}, {start.addSecs(60), "2", "soon"}}
        << QStringList{"No answer from the router: 07/12/2026 22:31:00 to 07/12/2026 22:31:00",
                       "error: 'soon' is not a valid integer value"};
}

void TestLinkModel::lines() {
    QFETCH(QList<Step>, steps);
    QFETCH(QStringList, lines);
    LinkModel model;
    FakeRouterLink link;
    QCOMPARE(run(model, link, steps), lines);
}

// What each poll asks: the status always, the uptime only on a change or after a silence.
void TestLinkModel::requests_data() {
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<QList<int>>("requests"); // per poll
    QTest::addRow("no change asks the status only") << QStringList{"1", "1"} << QList<int>{1, 1};
    QTest::addRow("a change asks the uptime") << QStringList{"2", "2", "1"} << QList<int>{2, 1, 2};
    QTest::addRow("answers after a silence ask the uptime")
        << QStringList{"1", "-", "1"} << QList<int>{1, 1, 2};
}

void TestLinkModel::requests() {
    QFETCH(QStringList, statuses);
    QFETCH(QList<int>, requests);
    LinkModel model;
    FakeRouterLink link;
    QList<int> made;
    for (const QString &status : statuses) {
        const std::size_t before = link.requests.size();
        run(model, link, {Step{kEvening, status, QStringLiteral("100")}});
        made << int(link.requests.size() - before);
        QCOMPARE(link.requests[before], kStatus);
    }
    QCOMPARE(made, requests);
}

void TestLinkModel::ticksSince_data() {
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<QString>("text");
    QTest::addRow("one day") << qint64(0) << qint64(8640000) << "01:00:00:00";
    QTest::addRow("under a second") << qint64(0) << qint64(99) << "00:00:00:00";
    QTest::addRow("days in full") << qint64(0) << qint64(1066150600) << "123:09:31:46";
    QTest::addRow("largest time ticks") << qint64(0) << qint64(4294967295) << "497:02:27:52";
    QTest::addRow("from a later start") << qint64(6000) << qint64(366000) << "00:01:00:00";
    QTest::addRow("start is now") << qint64(6000) << qint64(6000) << "00:00:00:00";
    QTest::addRow("router restarted since the start")
        << qint64(500000) << qint64(6000) << "00:00:01:00";
}

void TestLinkModel::ticksSince() {
    QFETCH(qint64, start);
    QFETCH(qint64, now);
    QFETCH(QString, text);
    LinkEvent event;
    event.kind = LinkEvent::Kind::Drop;
    event.when = kEvening;
    event.ticks = LinkModel::TicksSince(start, now);
    QCOMPARE(monitors::LinkEventLine(event),
             QStringLiteral("Disconnected: 07/12/2026 22:31:05  (%1)").arg(text));
}

QTEST_GUILESS_MAIN(TestLinkModel)
#include "tst_linkmodel.moc"
