// How the window keeps up with the router, measured (not a test; scripts/measure.sh runs it):
//  1. With the router silent and every monitor at its fastest, the longest time between two
//     turns of the window's event loop over 30 seconds.
//  2. With the router answering, the time from "&Update" on the ADSL page to its last label
//     painted, against the same 22 requests sent one after another with nothing around them.

#include "core/queries.h"
#include "formfixture.h"
#include "snmp/snmpsend.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::ui;

namespace {

// A healthy line on the agent: every ADSL object answers.
void adslRouter(tools::LoopbackAgent &agent) {
    const std::string adsl = "1.3.6.1.2.1.10.94.1.1.";
    for (const char *gauge : {"4.1.2.2", "5.1.2.2", "4.1.1.2"})
        agent.SetGauge(adsl + gauge, 8128000);
    for (const char *tenths : {"2.1.7.2", "3.1.4.2", "3.1.5.2", "2.1.4.2", "2.1.5.2", "3.1.7.2"})
        agent.SetInteger(adsl + tenths, 200);
    agent.SetInteger(adsl + "1.1.1.2", 2);
    agent.SetInteger(adsl + "1.1.2.2", 2);
    agent.SetString("1.3.6.1.4.1.763.3.2.2.2", "ADSL2+ Annex A");
    for (const char *counter : {"7.1.1.2", "7.1.2.2", "7.1.3.2", "7.1.4.2", "7.1.16.2", "7.1.21.2",
                                "11.1.3.2", "11.1.4.2", "10.1.3.2", "10.1.4.2"})
        agent.SetCounter(adsl + counter, 42);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void silentRouter(int seconds) {
    FormFixture f;
    f.snmpTimeoutMs = 5000; // as the program has it
    MainForm &form = f.Create(false);
    SetWanRow(form, "2");
    for (int n = 1; n < 100000; ++n)
        f.agent.SetRequestFault(n, tools::AgentFault{});
    form.show();
    for (const char *item :
         {"Recordlog", "N1secondinterval1", "Realtimeupdating", "N1secondupdate1", "MonitorQuota",
          "N1minuteupdate1", "DisplayInRealTime", "N5SecondUpdate"})
        Action(form, item)->trigger();
    // Every monitor at one second, the quota and interfaces timers too.
    for (const char *timer : {"Quota_Timer", "Interfaces_Timer"})
        Timer(form, timer)->setInterval(1000);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    long turns = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed() / 1000;
        longest = std::max(longest, now - last);
        last = now;
        ++turns;
    });
    turn.start();
    while (clock.elapsed() < seconds * 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        // A page switch and an "&Update" now and then, as a user would.
        if (turns % 20000 == 0)
            form.GetValuesButton()->click();
    }
    std::printf("silent router, every monitor at 1 s, %d s: %ld event loop turns, longest gap "
                "%.1f ms, %d requests sent\n",
                seconds, turns, double(longest) / 1000.0, f.agent.RequestCount());
    form.ApproveClose();
}

void answeringRouter(int runs, int agentMs) {
    FormFixture f;
    adslRouter(f.agent);
    // A router's agent takes a while over each answer; the loopback agent none at all.
    if (agentMs > 0)
        f.agent.SetHook([agentMs](const std::string &, tools::AgentValue &) {
            std::this_thread::sleep_for(std::chrono::milliseconds(agentMs));
        });
    MainForm &form = f.Create(false);
    SetWanRow(form, "2");
    form.show();
    form.PageControl()->setCurrentWidget(form.findChild<QWidget *>(QStringLiteral("ADSL")));
    f.Settle();
    std::vector<double> window, bare, shownAt, painting;
    // Woken by the result itself, after the page's own slot has shown it.
    QEventLoop shown;
    QObject::connect(&form.Router(), &core::RouterModel::adslRead, &shown, &QEventLoop::quit);
    for (int i = 0; i < runs; ++i) {
        // New counts each time, so the labels really change and are painted again.
        for (const char *counter : {"7.1.1.2", "7.1.4.2", "11.1.3.2", "11.1.4.2"})
            f.agent.SetCounter("1.3.6.1.2.1.10.94.1.1." + std::string(counter),
                               std::uint64_t(1000 + i));
        QElapsedTimer t;
        t.start();
        form.GetValuesButton()->click();
        shown.exec();
        shownAt.push_back(double(t.nsecsElapsed()) / 1e6);
        // The labels the figures changed are painted (only what changed, as on screen).
        QCoreApplication::processEvents();
        window.push_back(double(t.nsecsElapsed()) / 1e6);
        painting.push_back(window.back() - shownAt.back());
        f.Settle();
    }
    const core::InterfaceMap map = form.Router().Interfaces();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        for (int row = 0; row < core::AdslRowCount; ++row) {
            std::string value;
            snmp::SnmpGetValue(core::AdslOid(core::AdslRow(row), map), "vormel", f.agent.Host(),
                               value);
        }
        bare.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double w = median(window), b = median(bare);
    std::printf("ADSL page, agent answering in %d ms, %d runs: \"&Update\" to the last label "
                "painted %.2f ms median; the same 22 requests bare %.2f ms median (%+.1f %%)\n",
                agentMs, runs, w, b, (w - b) / b * 100.0);
    std::printf("  of which: the figures shown in their labels after %.2f ms, painting %.2f ms\n",
                median(shownAt), median(painting));
    form.ApproveClose();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    answeringRouter(200, 0);
    answeringRouter(50, 2);
    silentRouter(seconds);
    return 0;
}
