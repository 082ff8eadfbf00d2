// A route table of 5,000 routes from the loopback agent: the bare walk, making the box's text,
// putting it into a shown box, and the IP page's whole refresh and the Debug page's IP dump in
// the real window.
//   bench_tables
// Compare IpPageRefresh with BareWalk: the difference is what the page adds to the round trips.
// window_stall_ms is the longest the window's thread was kept from its events during a refresh
// (it stays small and does not grow with the table when the box is filled in one step).
// queue_delay_ms is how long a job asked right after the refresh waited, once the router had
// answered the refresh's last request, before the router model's thread took it up.

#include "core/tabletext.h"
#include "formfixture.h"
#include "snmp/snmpsend.h"
#include "ui/tablebox.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QThread>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

using namespace vantrel;
using namespace vantrel::tools;

namespace {

const char *const Community = "vormel";
const int Routes = 5000;
const int Columns = 13;
const char RouteTable[] = "1.3.6.1.2.1.4.21";

// 5,000 routes of thirteen columns, as ipRouteTable holds them.
void fillRoutes(LoopbackAgent &agent) {
    for (int r = 0; r < Routes; ++r) {
        const std::string dest =
            "10." + std::to_string(r / 256) + "." + std::to_string(r % 256) + ".0";
        const std::string entry = std::string(RouteTable) + ".1.";
        agent.SetIpAddress(entry + "1." + dest, dest);
        agent.SetInteger(entry + "2." + dest, 4);
        for (int c : {3, 4, 5, 6, 12})
            agent.SetInteger(entry + std::to_string(c) + "." + dest, c == 3 ? 1 : -1);
        agent.SetIpAddress(entry + "7." + dest, "192.168.1.1");
        agent.SetInteger(entry + "8." + dest, 4);
        agent.SetInteger(entry + "9." + dest, 8);
        agent.SetInteger(entry + "10." + dest, r);
        agent.SetIpAddress(entry + "11." + dest, "255.255.255.0");
        agent.SetObjectId(entry + "13." + dest, "0.0");
    }
}

// The same routes as a walk of the table gives them, column after column.
std::vector<core::Binding> routeBindings() {
    std::vector<core::Binding> bindings;
    const std::string entry = std::string(RouteTable) + ".1.";
    for (int c = 1; c <= Columns; ++c)
        for (int r = 0; r < Routes; ++r) {
            const std::string dest =
                "10." + std::to_string(r / 256) + "." + std::to_string(r % 256) + ".0";
            std::string value;
            switch (c) {
            case 1:
                value = dest;
                break;
            case 2:
            case 8:
                value = "4";
                break;
            case 3:
                value = "1";
                break;
            case 7:
                value = "192.168.1.1";
                break;
            case 9:
                value = "8";
                break;
            case 10:
                value = std::to_string(r);
                break;
            case 11:
                value = "255.255.255.0";
                break;
            case 13:
                value = "0.0";
                break;
            default:
                value = "-1";
                break;
            }
            bindings.push_back({entry + std::to_string(c) + "." + dest, 0x02, value});
        }
    return bindings;
}

QString routeText() {
    return core::IpTableText(core::IpTable::Route, RouteTable, routeBindings());
}

void BareWalk(benchmark::State &state) {
    LoopbackAgent agent(Community);
    fillRoutes(agent);
    if (!agent.Start()) {
        state.SkipWithError("the loopback agent did not start");
        return;
    }
    std::vector<std::string> rows;
    for (auto _ : state) {
        agent.ClearRequests();
        if (!snmp::SnmpWalkTable(RouteTable, Community, agent.Host(), rows) ||
            rows.size() != std::size_t(Routes * Columns)) {
            state.SkipWithError("the walk failed");
            return;
        }
    }
    state.counters["rows"] = double(rows.size());
    state.counters["round_trips"] = double(agent.RequestCount());
}
BENCHMARK(BareWalk)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The box's text, made on the router model's thread.
void TableText(benchmark::State &state) {
    const std::vector<core::Binding> bindings = routeBindings();
    qsizetype size = 0;
    for (auto _ : state) {
        const QString text = core::IpTableText(core::IpTable::Route, RouteTable, bindings);
        size = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.counters["characters"] = double(size);
}
BENCHMARK(TableText)->Unit(benchmark::kMillisecond)->UseRealTime();

// On the window's thread: the text into a shown table box, with its layout and paint, until it
// is all in; and a dump of it added to a log that holds one already. longest_pass_ms: the
// longest the window was kept from its other events.
void BoxShow(benchmark::State &state, bool append) {
    const QString text = routeText();
    QPlainTextEdit *box = ui::TableBox::MakeBox(nullptr, "RouteTable_Memo");
    box->resize(600, 400);
    box->show();
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (append)
            box->setPlainText(text);
        state.ResumeTiming();
        QElapsedTimer pass;
        pass.start();
        if (append)
            ui::TableBox::AppendShown(box, text);
        else
            ui::TableBox::Show(box, text);
        do {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            longest = std::max(longest, double(pass.nsecsElapsed()) / 1e6);
            pass.restart();
        } while (box->findChild<QObject *>(QStringLiteral("TableBoxFiller")) != nullptr);
    }
    state.counters["lines"] = double(box->document()->blockCount());
    state.counters["longest_pass_ms"] = longest;
    delete box;
}
BENCHMARK_CAPTURE(BoxShow, show, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BoxShow, append_shown, true)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs the window until every query came back and every box has its text; returns the longest
// time one pass over the window's events took.
double settle(MainForm &form) {
    double longest = 0;
    while (!form.Router().Idle() ||
           form.findChild<QObject *>(QStringLiteral("TableBoxFiller")) != nullptr) {
        QElapsedTimer pass;
        pass.start();
        QCoreApplication::processEvents();
        longest = std::max(longest, double(pass.nsecsElapsed()) / 1e6);
        QThread::usleep(200);
    }
    QElapsedTimer pass;
    pass.start();
    QCoreApplication::processEvents();
    return std::max(longest, double(pass.nsecsElapsed()) / 1e6);
}

// One press of the button on the page, in the real window, until the result is shown.
void inWindow(benchmark::State &state, const char *page, const char *button) {
    FormFixture fixture;
    fillRoutes(fixture.agent);
    fixture.snmpTimeoutMs = 5000;
    MainForm &form = fixture.Create(true);
    form.show();
    form.PageControl()->setCurrentWidget(form.findChild<QWidget *>(QLatin1String(page)));
    settle(form);
    QPushButton *press = button != nullptr ? Button(form, button) : form.GetValuesButton();
    // When the agent served its last object, and when the job behind the refresh started.
    using Clock = std::chrono::steady_clock;
    auto lastServed = std::make_shared<std::atomic<Clock::rep>>(0);
    fixture.agent.SetHook([lastServed](const std::string &, AgentValue &) {
        lastServed->store(Clock::now().time_since_epoch().count());
    });
    double stall = 0;
    double delay = 0;
    for (auto _ : state) {
        fixture.agent.ClearRequests();
        press->click();
        auto started = std::make_shared<Clock::rep>(0);
        struct Probe {
            core::ResultHead head;
        };
        core::ResultHead head;
        head.requester = core::Requester::Monitor;
        form.Router().Submit<Probe>(
            QStringLiteral("bench:probe"), core::RouterModel::JobKind::Background, head,
            [started](core::RouterLink &) {
                *started = Clock::now().time_since_epoch().count();
                return Probe{};
            },
            [](Probe &) {});
        stall = std::max(stall, settle(form));
        const Clock::duration behind(*started - lastServed->load());
        delay = std::max(delay, std::chrono::duration<double, std::milli>(behind).count());
    }
    fixture.agent.SetHook(nullptr);
    state.counters["round_trips"] = double(fixture.agent.RequestCount());
    state.counters["window_stall_ms"] = stall;
    state.counters["queue_delay_ms"] = delay;
    if (button == nullptr)
        state.counters["route_lines"] =
            double(Memo(form, "RouteTable_Memo")->document()->blockCount());
}

void IpPageRefresh(benchmark::State &state) {
    inWindow(state, "IP", nullptr);
}
BENCHMARK(IpPageRefresh)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void DebugIpDump(benchmark::State &state) {
    inWindow(state, "Debug", "IPAddrTable_But");
}
BENCHMARK(DebugIpDump)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
