// The line history's figures: storing one sample, and a year of 1-minute samples opened in the
// history window's year range, from the query to the painted graphs, with the file's size and
// the program's resident memory meanwhile. Run by hand (CI only builds it):
//   bench_history
//   bench_history --benchmark_filter=Append

#include "app/historymenu.h"
#include "formfixture.h"
#include "history/historyservice.h"
#include "history/historystore.h"
#include "historydata.h"
#include "historyview/historychart.h"
#include "historyview/historywindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

using namespace vantrel;
using namespace vantrel::core;
using namespace vantrel::history;
using Steady = std::chrono::steady_clock;

namespace {

const qint64 kNow = QDateTime(QDate(2026, 12, 7), QTime(22, 30), Qt::UTC).toSecsSinceEpoch();

double megabytes(const QString &path) {
    qint64 bytes = 0;
    for (const char *suffix : {"", "-wal"})
        bytes += QFileInfo(path + QLatin1String(suffix)).size();
    return double(bytes) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One Append, as the recorder does for each sample, into a file that holds a day already.
void AppendSample(benchmark::State &state) {
    QTemporaryDir dir;
    HistoryStore store(dir.path() + QStringLiteral("/history.sqlite"));
    store.Open(QDateTime::currentDateTime());
    store.AppendAll(GenerateHistory(kNow, 1, 60, false).samples);
    LineSample sample = store.LastSample().value_or(LineSample());
    std::vector<double> micros;
    qint64 t = kNow;
    for (auto _ : state) {
        sample.time = t += 60;
        const auto start = Steady::now();
        benchmark::DoNotOptimize(store.Append(sample));
        micros.push_back(std::chrono::duration<double, std::micro>(Steady::now() - start).count());
    }
    state.counters["median_us"] = median(micros);
    std::sort(micros.begin(), micros.end());
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}
BENCHMARK(AppendSample)->Iterations(3000)->Unit(benchmark::kMicrosecond);

// The window of the program on a year of samples, made once for every repetition.
struct YearWindow {
    std::unique_ptr<FormFixture> fixture;
    historyview::HistoryWindow *window = nullptr;
    double fileMegabytes = 0;
    double fullResolutionMegabytes = 0;
    qint64 samples = 0;
};
YearWindow *year = nullptr;

bool settle(historyview::HistoryWindow *window, history::HistoryService &service) {
    return WaitFor([&] { return !window->Loading() && service.Idle(); }, 60000);
}

YearWindow &yearWindow() {
    if (year != nullptr)
        return *year;
    year = new YearWindow;
    year->fixture = std::make_unique<FormFixture>();
    const GeneratedHistory history = GenerateHistory(kNow, 365, 60);
    year->samples = qint64(history.samples.size());
    {
        // The same year kept at full resolution, for the size of the worst case.
        QTemporaryDir dir;
        const QString raw = dir.path() + QStringLiteral("/raw.sqlite");
        HistoryStore store(raw);
        store.Open(QDateTime::currentDateTime());
        store.AppendAll(history.samples);
        store.Close();
        year->fullResolutionMegabytes = megabytes(raw);
    }
    const QString path = app::HistoryFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (!WriteHistory(path, history, kNow, &error))
        qFatal("cannot write the year: %s", qPrintable(error));
    year->fileMegabytes = megabytes(path);
    year->fixture->clock.Set(QDateTime::fromSecsSinceEpoch(kNow));
    MainForm &form = year->fixture->Create(false);
    app::Composition &parts = app::PartsOf(form);
    parts.HistoryService().WaitIdle(60000);
    parts.History().ShowHistory();
    year->window = parts.History().Window();
    year->window->resize(1200, 900);
    settle(year->window, parts.HistoryService());
    return *year;
}

void YearRange(benchmark::State &state) {
    YearWindow &y = yearWindow();
    history::HistoryService &service = app::PartsOf(y.fixture->form()).HistoryService();
    historyview::HistoryChart *chart = y.window->Chart();
    for (auto _ : state) {
        // From the day back to the year each time, so every round reads the year afresh.
        y.window->ShowRange(historyview::HistoryWindow::Range::Day);
        settle(y.window, service);
        const auto start = Steady::now();
        y.window->ShowRange(historyview::HistoryWindow::Range::Year);
        if (!settle(y.window, service)) {
            state.SkipWithError("the year was not read within a minute");
            return;
        }
        chart->repaint();
        state.SetIterationTime(std::chrono::duration<double>(Steady::now() - start).count());
    }
    // The two halves on their own: the reading in the history's thread, and the painting.
    const history::ChartRequest request = chart->Data().request;
    double queryMs = 0;
    service.Run<bool>(
        nullptr,
        [request, &queryMs](HistoryStore &store) {
            const auto start = Steady::now();
            benchmark::DoNotOptimize(store.Chart(request));
            queryMs = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
            return true;
        },
        nullptr);
    service.WaitIdle();
    const auto paintStart = Steady::now();
    chart->repaint();
    state.counters["query_ms"] = queryMs;
    state.counters["paint_ms"] =
        std::chrono::duration<double, std::milli>(Steady::now() - paintStart).count();
    state.counters["samples_generated"] = double(y.samples);
    state.counters["file_MB"] = y.fileMegabytes;
    state.counters["full_resolution_file_MB"] = y.fullResolutionMegabytes;
    state.counters["rows_read"] = double(chart->Data().rows);
    state.counters["columns"] = double(chart->Columns());
    state.counters["resident_MB"] = ResidentMegabytes();
}
BENCHMARK(YearRange)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(false)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (year != nullptr) {
        year->fixture->form().ApproveClose();
        delete year;
    }
    return 0;
}
