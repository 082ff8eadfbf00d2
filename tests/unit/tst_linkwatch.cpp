// The link's state as the tray tooltip and the alerts see it: the drops and returns of the link
// model, and the polls without answer, with the time each state began.

#include "core/linkmodel.h"
#include "core/regional.h"
#include "monitors/linkwatch.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

using namespace vantrel;
using monitors::LinkWatch;

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(22, 0, 0));

// The time of poll i, a minute apart.
QDateTime at(int i) {
    return kStart.addSecs(60 * i);
}

core::LinkPoll poll(int i, char step) {
    core::LinkPoll p;
    p.head.readAt = at(i);
    p.answered = step != '-';
    p.status = step == 'u'   ? core::LinkState::Up
               : step == 'd' ? core::LinkState::Down
                             : core::LinkState::Testing;
    return p;
}

} // namespace

class TestLinkWatch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    void polls_data();
    void polls();
};

void TestLinkWatch::polls_data() {
    // One poll a minute: u up, d down, t training, - no answer.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("text");   // "up 0": "Link up since" the time of poll 0
    QTest::addColumn<QString>("alerts"); // S silent, A answering again
    QTest::addRow("nothing yet") << ""
                                 << ""
                                 << "";
    QTest::addRow("up from the first poll") << "uuu"
                                            << "up 0"
                                            << "";
    QTest::addRow("drop") << "uud"
                          << "down 2"
                          << "";
    QTest::addRow("drop and return") << "udtu"
                                     << "up 3"
                                     << "";
    QTest::addRow("training keeps the state") << "uut"
                                              << "up 0"
                                              << "";
    QTest::addRow("one poll without answer") << "uu-"
                                             << "none 2"
                                             << "";
    QTest::addRow("silent after three") << "u---"
                                        << "none 1"
                                        << "S";
    QTest::addRow("silent once however long") << "u-----"
                                              << "none 1"
                                              << "S";
    QTest::addRow("answers again") << "u---u"
                                   << "up 0"
                                   << "SA";
    QTest::addRow("answers again down") << "u---d"
                                        << "down 4"
                                        << "SA";
    QTest::addRow("short silence is no alert") << "u--u"
                                               << "up 0"
                                               << "";
    QTest::addRow("two silences") << "u---u---u"
                                  << "up 0"
                                  << "SASA";
}

void TestLinkWatch::polls() {
    QFETCH(QString, steps);
    QFETCH(QString, text);
    QFETCH(QString, alerts);
    core::LinkModel link;
    LinkWatch watch(link);
    QString told;
    QList<QPair<QDateTime, QDateTime>> answers;
    connect(&watch, &LinkWatch::silent, this, [&told](const QDateTime &) { told += 'S'; });
    connect(&watch, &LinkWatch::answering, this,
            [&told, &answers](const QDateTime &since, const QDateTime &when) {
                told += 'A';
                answers << qMakePair(since, when);
            });
    for (int i = 0; i < steps.size(); ++i) {
        const core::LinkPoll p = poll(i, steps[i].toLatin1());
        // As in the program: the connection monitor gives the poll to the model, the watch
        // takes it from the router model's signal.
        link.Take(p);
        std::optional<bool> up;
        if (p.status != core::LinkState::Testing)
            up = p.status == core::LinkState::Up;
        watch.TakePoll(p.head.readAt, p.answered, p.answered ? up : std::nullopt);
    }
    QString expected;
    if (!text.isEmpty()) {
        const QStringList parts = text.split(' ');
        const QString since = core::DateTimeText(at(parts[1].toInt()));
        expected = (parts[0] == "up"     ? QStringLiteral("Link up since ")
                    : parts[0] == "down" ? QStringLiteral("Link down since ")
                                         : QStringLiteral("No answer from the router since ")) +
                   since;
    }
    QCOMPARE(watch.Text(), expected);
    QCOMPARE(told, alerts);
    // The end of a silence names when it began and when answers came again.
    if (!answers.isEmpty()) {
        QCOMPARE(answers[0].first, at(1));
        QCOMPARE(answers[0].second, at(4));
    }
}

QTEST_GUILESS_MAIN(TestLinkWatch)
#include "tst_linkwatch.moc"
