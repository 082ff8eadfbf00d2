// The router model's queue when one job holds it long: the monitors' polls waiting behind it
// run between its requests once it has had its share, and see the interface map as the last
// finished job left it; other jobs keep their places, and a short job changes no order. Each
// request of the scripted router takes one second on the model's clock.

#include "agent/loopbackagent.h"
#include "core/routermodel.h"
#include "fakerouterlink.h"

#include <QTest>
#include <future>

using namespace vantrel::core;

namespace {

struct Done {
    ResultHead head;
};

} // namespace

class TestRouterModel : public QObject {
    Q_OBJECT
private slots:
    void pollsRunWithinTheirShare_data();
    void pollsRunWithinTheirShare();
    void pollRunsBetweenTheStepsOfAWalk_data();
    void pollRunsBetweenTheStepsOfAWalk();
};

void TestRouterModel::pollsRunWithinTheirShare_data() {
    QTest::addColumn<int>("shareMs");
    QTest::addColumn<int>("longRequests");
    QTest::addColumn<bool>("longIsPoll");
    QTest::addColumn<QStringList>("expected"); // the requests in the order the router saw them

    // The long job, a page job B and a poll P are queued in that order; the long job empties the
    // WAN row while it works ("half") and sets it at its end ("done"); P asks for the WAN row.
    QTest::addRow("short job: order as queued")
        << 3000 << 2 << false << QStringList{"L1", "L2", "B", "P.done"};
    QTest::addRow("long job: the poll runs after its share, the page job waits its turn")
        << 3000 << 6 << false << QStringList{"L1", "L2", "L3", "P.7", "L4", "L5", "L6", "B"};
    QTest::addRow("share exactly used up: order as queued")
        << 3000 << 3 << false << QStringList{"L1", "L2", "L3", "B", "P.done"};
    QTest::addRow("sharing off: order as queued")
        << -1 << 6 << false << QStringList{"L1", "L2", "L3", "L4", "L5", "L6", "B", "P.done"};
    QTest::addRow("a long poll lets no other poll ahead")
        << 3000 << 6 << true << QStringList{"L1", "L2", "L3", "L4", "L5", "L6", "B", "P.done"};
}

void TestRouterModel::pollsRunWithinTheirShare() {
    QFETCH(int, shareMs);
    QFETCH(int, longRequests);
    QFETCH(bool, longIsPoll);
    QFETCH(QStringList, expected);

    FakeRouterLink router;
    router.map.WanRow = "7";
    RouterModel::Options options;
    options.link = &router;
    options.shareMs = shareMs;
    options.elapsedMs = [&router] { return qint64(router.requests.size()) * 1000; };
    RouterModel model(options);

    // Everything is queued before the first request goes out.
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
    using Job = std::function<Done(RouterLink &)>;
    auto submit = [&model](const QString &key, RouterModel::JobKind kind, Job run) {
        QVERIFY(model.Submit<Done>(key, kind, ResultHead{}, std::move(run), [](Done &) {}));
    };
    submit("gate", RouterModel::JobKind::Background, [opened](RouterLink &) {
        opened.wait();
        return Done{};
    });
    submit("long", longIsPoll ? RouterModel::JobKind::Poll : RouterModel::JobKind::Background,
           [longRequests](RouterLink &link) {
               std::string value;
               link.Interfaces().WanRow = "half";
               for (int n = 1; n <= longRequests; ++n)
                   link.Get("L" + std::to_string(n), value);
               link.Interfaces().WanRow = "done";
               return Done{};
           });
    submit("B", RouterModel::JobKind::Page, [](RouterLink &link) {
        std::string value;
        link.Get("B", value);
        return Done{};
    });
    submit("P", RouterModel::JobKind::Poll, [](RouterLink &link) {
        std::string value;
        link.Get("P." + link.Interfaces().WanRow, value);
        link.Interfaces().WanRow = "poll"; // a poll's own change to the map does not outlive it
        return Done{};
    });
    open.set_value();
    QTRY_VERIFY(model.Idle());

    QStringList asked;
    for (const std::string &request : router.requests)
        asked << QString::fromStdString(request);
    QCOMPARE(asked, expected);
    // The long job's map is what it left, unless the poll ran after it.
    QCOMPARE(model.Interfaces().WanRow, expected.last() == "P.done" ? "poll" : "done");
}

void TestRouterModel::pollRunsBetweenTheStepsOfAWalk_data() {
    QTest::addColumn<bool>("v2c");
    QTest::addRow("v1, a fresh socket per walk") << false;
    QTest::addRow("v2c, the kept client mid-walk") << true;
}

// A walk of a slow router is one query of many steps: the status poll runs between them, and
// the walk goes on where it was and reads every row.
void TestRouterModel::pollRunsBetweenTheStepsOfAWalk() {
    QFETCH(bool, v2c);
    const std::string descr = "1.3.6.1.2.1.2.2.1.2";
    const std::string uptime = "1.3.6.1.2.1.1.3.0";
    vantrel::tools::LoopbackAgent agent;
    QVERIFY(agent.Start());
    agent.SetMaxResponseSize(200); // a few rows per GetBulk answer
    for (int n = 1; n <= 40; ++n)
        agent.SetString(descr + "." + std::to_string(n), "if" + std::to_string(n));
    agent.SetTimeTicks(uptime, 4242);

    RouterModel::Options options;
    options.timeoutMs = 2000;
    options.elapsedMs = [&agent] { return qint64(agent.RequestCount()) * 1000; };
    RouterModel model(options);
    model.SetTarget(agent.Host(), "public");
    RouterAccess access;
    access.version = v2c ? RouterAccess::Version::V2c : RouterAccess::Version::V1;
    model.SetAccess(access);

    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
    QVERIFY(model.Submit<Done>(
        "gate", RouterModel::JobKind::Background, ResultHead{},
        [opened](RouterLink &) {
            opened.wait();
            return Done{};
        },
        [](Done &) {}));
    std::vector<Binding> rows;
    QVERIFY(model.Submit<Done>(
        "walk", RouterModel::JobKind::Page, ResultHead{},
        [&rows, descr](RouterLink &link) {
            link.WalkBindings(descr, rows);
            return Done{};
        },
        [](Done &) {}));
    std::vector<UptimeReading> polled;
    QObject::connect(&model, &RouterModel::uptimeRead,
                     [&polled](const QString &, const UptimeReading &u) { polled.push_back(u); });
    QVERIFY(model.ReadUptime("monitor:status", ResultHead{}));
    open.set_value();
    QTRY_VERIFY(model.Idle());

    QCOMPARE(rows.size(), std::size_t(40));
    QCOMPARE(rows.back().value, std::string("if40"));
    QCOMPARE(polled.size(), std::size_t(1));
    QCOMPARE(polled[0].ticks, std::optional<std::int64_t>(4242));
    const std::vector<vantrel::tools::AgentRequest> asked = agent.Requests();
    std::size_t at = 0;
    while (at < asked.size() && asked[at].oid != uptime)
        ++at;
    QVERIFY2(at >= 3 && at + 1 < asked.size(), "the poll ran after the share, inside the walk");
}

QTEST_GUILESS_MAIN(TestRouterModel)
#include "tst_routermodel.moc"
