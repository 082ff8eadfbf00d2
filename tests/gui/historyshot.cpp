// Pictures of the history window on a made-up line history, for looking at it as a user sees
// it: vantrel-historyshot <folder> [days] [range]; range is one of 24h, 7d, 31d, 1y (default
// 31d), or from:to in days before now (15.8:15.2). Writes history-<range>.png (the window) and
// history-report.pdf (the report), and tells how long the range took to show and the program's
// resident memory. Not a test.

#include "app/historymenu.h"
#include "formfixture.h"
#include "history/historyservice.h"
#include "historydata.h"
#include "historyview/historychart.h"
#include "historyview/historywindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>
#include <cstdio>

using namespace vantrel;
using namespace vantrel::app;
using namespace vantrel::history;
using namespace vantrel::ui;
using namespace vantrel::historyview;

namespace {

bool settle(HistoryWindow *window, history::HistoryService &service) {
    return WaitFor([&] { return !window->Loading() && service.Idle(); }, 60000);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const int days = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 31;
    const QString rangeName = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("31d");
    const struct {
        const char *name;
        HistoryWindow::Range range;
    } ranges[] = {{"24h", HistoryWindow::Range::Day},
                  {"7d", HistoryWindow::Range::Week},
                  {"31d", HistoryWindow::Range::Month},
                  {"1y", HistoryWindow::Range::Year}};
    HistoryWindow::Range range = HistoryWindow::Range::Month;
    for (const auto &r : ranges)
        if (rangeName == QLatin1String(r.name))
            range = r.range;
    QDir().mkpath(folder);

    // The window of the program against the loopback agent, with a history file of its own.
    FormFixture fixture;
    const QDateTime now(QDate(2026, 12, 7), QTime(22, 31, 5));
    fixture.clock.Set(now);
    const QString path = HistoryFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        // Written and let go before the window comes, so the memory figure is the program's.
        const GeneratedHistory history = GenerateHistory(now.toSecsSinceEpoch(), days, 60);
        QString error;
        if (!WriteHistory(path, history, now.toSecsSinceEpoch(), &error)) {
            std::fprintf(stderr, "cannot write the history: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%zu samples, %d drops, file %.1f MB\n", history.samples.size(), history.drops,
                    double(QFileInfo(path).size() + QFileInfo(path + "-wal").size()) / 1e6);
    }
    std::printf("resident memory before the window %.0f MB\n", ResidentMegabytes());

    MainForm &form = fixture.Create(true);
    form.show();
    Composition &parts = PartsOf(form);
    parts.HistoryService().WaitIdle(60000);
    parts.History().ShowHistory();
    HistoryWindow *window = parts.History().Window();
    window->resize(1100, 860);
    settle(window, parts.HistoryService());
    QTest::qWait(300);

    QElapsedTimer shown;
    shown.start();
    if (rangeName.contains(QLatin1Char(':'))) {
        const QStringList ago = rangeName.split(QLatin1Char(':'));
        window->ShowFree(now.addSecs(qint64(-ago[0].toDouble() * 86400)),
                         now.addSecs(qint64(-ago[1].toDouble() * 86400)));
    } else {
        window->ShowRange(range);
    }
    settle(window, parts.HistoryService());
    window->Chart()->repaint();
    std::printf("%s shown in %lld ms (%lld rows read, %d columns); resident memory %.0f MB\n",
                qPrintable(rangeName), static_cast<long long>(shown.elapsed()),
                static_cast<long long>(window->Chart()->Data().rows), window->Chart()->Columns(),
                ResidentMegabytes());
    QTest::qWait(300);
    window->grab().save(
        folder +
        QStringLiteral("/history-%1.png").arg(QString(rangeName).replace(QLatin1Char(':'), '-')));

    QPdfWriter pdf(folder + QStringLiteral("/history-report.pdf"));
    pdf.setResolution(300);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&pdf);
    window->PaintReport(painter, QRect(0, 0, pdf.width(), pdf.height()));
    painter.end();
    for (const auto &shownBox : fixture.prompter.shown)
        std::printf("%s: %s\n", qPrintable(shownBox.kind), qPrintable(shownBox.text));
    form.ApproveClose();
    return 0;
}
