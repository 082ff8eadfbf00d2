// The line history file on its own: what it keeps at full resolution and what it sums up, how a
// graph's columns come out of it (gaps included), an older file brought up to date, a damaged or
// foreign file put aside, a process killed while writing, and the exported text.

#include "history/historycsv.h"
#include "history/historyschema.h"
#include "history/historystore.h"
#include "readonlyfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <optional>

using namespace vantrel::core;
using namespace vantrel::history;

namespace {

using Figure = LineFigure;

const qint64 kNow = QDateTime(QDate(2026, 12, 7), QTime(22, 30), Qt::UTC).toSecsSinceEpoch();
const qint64 kDay = 86400;

LineSample sample(qint64 t, double margin, bool runStart = false) {
    LineSample s;
    s.time = t;
    s.runStart = runStart;
    s.link = 1;
    s.uptime = 100 * (t - (kNow - 400 * kDay));
    s.Figure(Figure::DownMargin) = margin;
    s.Figure(Figure::UpMargin) = 120;
    s.Figure(Figure::DownRate) = 8128000;
    return s;
}

LineSample downSample(qint64 t) {
    LineSample s;
    s.time = t;
    s.runStart = true;
    s.link = 2;
    return s;
}

// Samples every `step` seconds over [from, to), the down margin running 0..14 in tenths.
std::vector<LineSample> series(qint64 from, qint64 to, qint64 step) {
    std::vector<LineSample> out;
    for (qint64 t = from; t < to; t += step)
        out.push_back(sample(t, double((t / step) % 15), t == from));
    return out;
}

struct OpenStore {
    QTemporaryDir dir;
    HistoryStore store{dir.path() + QStringLiteral("/history.sqlite")};
    HistoryStore::OpenResult opened = store.Open(QDateTime::fromSecsSinceEpoch(kNow));
};

void maintainAll(HistoryStore &store, qint64 now) {
    for (int i = 0; i < 1000 && store.Maintain(now, 5000); ++i) {
    }
}

ChartRequest request(qint64 from, qint64 to, int columns) {
    ChartRequest r;
    r.from = from;
    r.to = to;
    r.columns = columns;
    r.figures = {Figure::DownMargin, Figure::UpMargin};
    r.now = kNow;
    return r;
}

// The child of killedWhileWriting: appends until killed, telling the parent each sample that
// is in.
int writeForever(const QString &path) {
    HistoryStore store(path);
    if (!store.Open(QDateTime::currentDateTime()).ok)
        return 2;
    for (qint64 n = 1;; ++n) {
        if (store.Append(sample(kNow + n, 60)) != HistoryStore::Status::Ok)
            return 3;
        std::printf("%lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
}

} // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void summariesAfterFullResolution_data();
    void summariesAfterFullResolution();
    void keepsTwoYears();
    void chartColumns_data();
    void chartColumns();
    void clockSetBack();
    void outages_data();
    void outages();
    void migrationFromFirstVersion();
    void fileMovedAside_data();
    void fileMovedAside();
    void damagedFileKeepsWhatReads();
    void fileThatCannotBeWritten_data();
    void fileThatCannotBeWritten();
    void secondCopyOfTheFile();
    void fullDisk();
    void killedWhileWriting();
    void csv_data();
    void csv();
    void csvHeading_data();
    void csvHeading();
};

void TestHistoryStore::summariesAfterFullResolution_data() {
    QTest::addColumn<qint64>("step");
    QTest::addColumn<qint64>("days");
    QTest::addRow("1-minute samples, 40 days") << qint64(60) << qint64(40);
    QTest::addRow("30-second samples, 33 days") << qint64(30) << qint64(33);
    QTest::addRow("15-minute samples, 35 days") << qint64(900) << qint64(35);
}

void TestHistoryStore::summariesAfterFullResolution() {
    QFETCH(qint64, step);
    QFETCH(qint64, days);
    OpenStore s;
    QVERIFY(s.opened.ok);
    const qint64 start = kNow - days * kDay;
    QCOMPARE(s.store.AppendAll(series(start, kNow, step)), HistoryStore::Status::Ok);
    maintainAll(s.store, kNow);

    // Whole quarters older than 31 days are summed up; the rest stays sample by sample.
    qint64 cutoff = kNow - HistoryStore::FullResolutionSecs;
    cutoff -= cutoff % 900;
    QCOMPARE(s.store.SampleCount(), (kNow - cutoff) / step);
    const std::vector<HistoryRow> rows = s.store.Rows(start, kNow);
    QCOMPARE(qint64(rows.size()), (cutoff - start) / 900 + (kNow - cutoff) / step);
    const qint64 perQuarter = 900 / step;
    for (const HistoryRow &r : rows) {
        if (r.time >= cutoff) {
            QCOMPARE(r.samples, 1);
            continue;
        }
        QCOMPARE(r.time % 900, 0);
        QCOMPARE(qint64(r.samples), perQuarter);
    }
    // The summaries keep minimum, average and maximum: the margin ran 0..14 tenths.
    const ChartData whole = s.store.Chart(request(start, cutoff, 10));
    for (int c = 0; c < 10; ++c) {
        QCOMPARE(whole.Lo(0, c), 0.0);
        QCOMPARE(whole.Hi(0, c), 14.0);
        QCOMPARE(whole.Hi(1, c), 120.0);
    }
    if (perQuarter > 1)
        QCOMPARE(rows.front().figures[std::size_t(Figure::DownMargin)], 7.0);
    // A column a quarter hour wide reads each quarter once.
    const ChartData quarters = s.store.Chart(request(start, cutoff, int((cutoff - start) / 900)));
    QCOMPARE(quarters.rows, (cutoff - start) / 900);
    // Columns of days read the four-hour blocks, with the same minimum and maximum.
    const ChartData byDays = s.store.Chart(request(start, kNow, 5));
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(byDays.Lo(0, c), 0.0);
        QCOMPARE(byDays.Hi(0, c), 14.0);
    }
    QVERIFY(byDays.rows <= (kNow - start) / (4 * 3600) + 1);
    // Across the boundary the graph runs on: only the first column starts a run.
    const ChartData across = s.store.Chart(request(start, kNow, 200));
    int breaks = 0;
    for (const ChartColumn &c : across.columns) {
        QVERIFY(c.samples > 0);
        breaks += c.breakBefore ? 1 : 0;
    }
    QCOMPARE(breaks, 1);
    QVERIFY(across.columns.front().breakBefore);
}

void TestHistoryStore::keepsTwoYears() {
    OpenStore s;
    const qint64 start = kNow - 800 * kDay;
    QCOMPARE(s.store.AppendAll(series(start, start + 2 * kDay, 900)), HistoryStore::Status::Ok);
    QCOMPARE(s.store.AddEvent({start + 100, LineEventKind::Drop, EventSource::Recorder, {}}),
             HistoryStore::Status::Ok);
    QCOMPARE(s.store.AddEvent({kNow - 100, LineEventKind::Drop, EventSource::Recorder, {}}),
             HistoryStore::Status::Ok);
    // Summed up when the clock still stood 780 days ago, then kept only two years.
    maintainAll(s.store, start + 40 * kDay);
    QCOMPARE(s.store.SummaryCount(), qint64(2 * 96));
    QCOMPARE(s.store.SampleCount(), qint64(0));
    maintainAll(s.store, kNow);
    QCOMPARE(s.store.SummaryCount(), qint64(0));
    QCOMPARE(s.store.EventCount(), qint64(1));
}

void TestHistoryStore::chartColumns_data() {
    QTest::addColumn<QList<qint64>>("times");   // seconds after the range starts
    QTest::addColumn<QList<int>>("kinds");      // 0 sample, 1 sample starting a run, 2 down
    QTest::addColumn<QList<double>>("margins"); // per sample
    QTest::addColumn<int>("columns");           // of 60 seconds each
    QTest::addColumn<QStringList>("expected");  // per column: "" empty, else "lo-hi" and "|"
                                                // when no line comes in from the left
    QTest::addRow("min and max of a column")
        << QList<qint64>{0, 10, 20, 70} << QList<int>{1, 0, 0, 0} << QList<double>{60, 40, 50, 30}
        << 2 << QStringList{"|40-60", "30-30"};
    QTest::addRow("empty column between two of a run")
        << QList<qint64>{0, 130} << QList<int>{1, 0} << QList<double>{60, 61} << 3
        << QStringList{"|60-60", "", "61-61"};
    QTest::addRow("drop, then a new run")
        << QList<qint64>{0, 60, 120} << QList<int>{1, 2, 1} << QList<double>{60, 0, 62} << 3
        << QStringList{"|60-60", "|", "|62-62"};
    QTest::addRow("run starts inside a column")
        << QList<qint64>{0, 70, 100} << QList<int>{1, 0, 1} << QList<double>{60, 55, 65} << 2
        << QStringList{"|60-60", "55-65"};
}

void TestHistoryStore::chartColumns() {
    QFETCH(QList<qint64>, times);
    QFETCH(QList<int>, kinds);
    QFETCH(QList<double>, margins);
    QFETCH(int, columns);
    QFETCH(QStringList, expected);
    OpenStore s;
    const qint64 from = kNow - kDay;
    for (int i = 0; i < times.size(); ++i)
        QCOMPARE(s.store.Append(kinds[i] == 2 ? downSample(from + times[i])
                                              : sample(from + times[i], margins[i], kinds[i] == 1)),
                 HistoryStore::Status::Ok);
    const ChartData d = s.store.Chart(request(from, from + 60 * columns, columns));
    QStringList got;
    for (int c = 0; c < columns; ++c) {
        const ChartColumn &column = d.columns[std::size_t(c)];
        QString text = column.breakBefore ? QStringLiteral("|") : QString();
        if (!std::isnan(d.Lo(0, c)))
            text += QStringLiteral("%1-%2").arg(d.Lo(0, c)).arg(d.Hi(0, c));
        got << text;
    }
    QCOMPARE(got, expected);
}

void TestHistoryStore::clockSetBack() {
    OpenStore s;
    const qint64 t0 = kNow - 3600;
    for (qint64 t : {t0, t0 + 60, t0 + 120})
        s.store.Append(sample(t, 60, t == t0));
    // The clock goes back 90 seconds: the sample is kept, as the last to arrive, and shown
    // where its time says.
    s.store.Append(sample(t0 + 30, 70, true));
    s.store.Append(sample(t0 + 90, 71));
    QCOMPARE(s.store.LastSample()->time, t0 + 90);
    QList<qint64> times;
    for (const HistoryRow &r : s.store.Rows(t0, kNow))
        times << r.time;
    QCOMPARE(times, (QList<qint64>{t0, t0 + 30, t0 + 60, t0 + 90, t0 + 120}));
    const ChartData d = s.store.Chart(request(t0, t0 + 150, 5));
    QCOMPARE(d.Lo(0, 1), 70.0);
    QCOMPARE(d.Lo(0, 3), 71.0);

    // A sample that lands in a quarter already summed up is taken into it.
    maintainAll(s.store, kNow + 40 * kDay);
    QCOMPARE(s.store.SummaryCount(), qint64(1));
    s.store.Append(sample(t0 + 200, 10, true));
    maintainAll(s.store, kNow + 40 * kDay);
    const std::vector<HistoryRow> rows = s.store.Rows(t0 - 3600, kNow);
    QCOMPARE(rows.size(), std::size_t(1));
    QCOMPARE(rows[0].samples, 6);
    const ChartData merged = s.store.Chart(request(t0 - t0 % 900, t0 - t0 % 900 + 900, 1));
    QCOMPARE(merged.Lo(0, 0), 10.0);
    QCOMPARE(merged.Hi(0, 0), 71.0);
    const qint64 block = t0 - t0 % (4 * 3600);
    const ChartData blocks = s.store.Chart(request(block, block + 4 * 3600, 1));
    QCOMPARE(blocks.Lo(0, 0), 10.0);
    QCOMPARE(blocks.Hi(0, 0), 71.0);
    QCOMPARE(blocks.rows, qint64(1));
}

void TestHistoryStore::outages_data() {
    QTest::addColumn<QList<qint64>>("times"); // of the events, from the range's start
    QTest::addColumn<QString>("kinds");       // D drop, R return, S restart
    QTest::addColumn<QString>("expected");    // "from-to" in seconds from the start, "*" open
    QTest::addRow("drop and return") << QList<qint64>{100, 400} << "DR"
                                     << "100-400";
    QTest::addRow("second drop while down changes nothing") << QList<qint64>{100, 200, 400} << "DDR"
                                                            << "100-400";
    QTest::addRow("still down at the end") << QList<qint64>{100} << "D"
                                           << "100-1000*";
    QTest::addRow("down since before the range") << QList<qint64>{-500, 300} << "DR"
                                                 << "-500-300";
    QTest::addRow("restart is no outage") << QList<qint64>{100, 200} << "SS"
                                          << "";
    QTest::addRow("return without drop") << QList<qint64>{100, 300, 500} << "RDR"
                                         << "300-500";
}

void TestHistoryStore::outages() {
    QFETCH(QList<qint64>, times);
    QFETCH(QString, kinds);
    QFETCH(QString, expected);
    OpenStore s;
    const qint64 from = kNow - 1000;
    for (int i = 0; i < times.size(); ++i) {
        const LineEventKind kind = kinds[i] == QLatin1Char('D')   ? LineEventKind::Drop
                                   : kinds[i] == QLatin1Char('R') ? LineEventKind::Return
                                                                  : LineEventKind::Restart;
        s.store.AddEvent({from + times[i], kind, EventSource::Recorder, {}});
    }
    QStringList got;
    for (const Outage &o : s.store.Outages(from, kNow + 500, kNow))
        got << QStringLiteral("%1-%2%3")
                   .arg(o.from - from)
                   .arg(o.to - from)
                   .arg(o.open ? QStringLiteral("*") : QString());
    QCOMPARE(got.join(QLatin1Char(' ')), expected);
}

void TestHistoryStore::migrationFromFirstVersion() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/history.sqlite");
    const qint64 t0 = kNow - 2 * kDay;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "v1");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QString error;
        QVERIFY2(HistorySchema::Migrate(db, 0, 1, &error), qPrintable(error));
        QSqlQuery q(db);
        // A run, an hour without samples, a run with a drop in it.
        const QList<QPair<qint64, int>> rows = {{0, 1},    {60, 1},   {120, 1}, {3720, 1},
                                                {3780, 2}, {3840, 1}, {3900, 1}};
        for (const auto &row : rows)
            QVERIFY(q.exec(QStringLiteral("INSERT INTO sample (t, link, dn_margin) VALUES (%1, "
                                          "%2, %3)")
                               .arg(t0 + row.first)
                               .arg(row.second)
                               .arg(row.second == 1 ? QStringLiteral("65") : "NULL")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO event (t, kind, source) VALUES (%1, 1, 0)")
                           .arg(t0 + 3780)));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase("v1");

    HistoryStore store(path);
    const HistoryStore::OpenResult opened = store.Open(QDateTime::fromSecsSinceEpoch(kNow));
    QVERIFY2(opened.ok, qPrintable(opened.error));
    QVERIFY(opened.movedTo.isEmpty());
    QCOMPARE(store.Version(), HistorySchema::Version);
    QCOMPARE(store.SampleCount(), qint64(7));
    QCOMPARE(store.EventCount(), qint64(1));
    // Runs start at the first sample, after the hour without samples and after the drop.
    const ChartData d = store.Chart(request(t0, t0 + 3960, 66));
    QStringList starts;
    for (int c = 0; c < 66; ++c)
        if (d.columns[std::size_t(c)].breakBefore)
            starts << QString::number(c);
    QCOMPARE(starts, (QStringList{"0", "62", "63", "64"}));
    // New samples and the upkeep work on the migrated file.
    QCOMPARE(store.Append(sample(kNow, 70)), HistoryStore::Status::Ok);
    maintainAll(store, kNow + 40 * kDay);
    QVERIFY(store.SummaryCount() > 0);
}

void TestHistoryStore::fileMovedAside_data() {
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("word"); // in the moved file's name; "" when nothing is moved
    QTest::addRow("text") << QByteArray("text") << "damaged";
    QTest::addRow("cut short") << QByteArray("truncated") << "damaged";
    QTest::addRow("another program's database") << QByteArray("foreign") << "foreign";
    QTest::addRow("written by a newer version") << QByteArray("newer") << "newer";
    QTest::addRow("empty file") << QByteArray("empty") << "";
}

void TestHistoryStore::fileMovedAside() {
    QFETCH(QByteArray, kind);
    QFETCH(QString, word);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/history.sqlite");
    if (kind == "truncated" || kind == "newer") {
        HistoryStore store(path);
        QVERIFY(store.Open(QDateTime::currentDateTime()).ok);
        store.AppendAll(series(kNow - 5 * kDay, kNow, 60));
        store.Close();
    }
    {
        QFile file(path);
        if (kind == "truncated") {
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.resize(file.size() / 3));
            file.seek(5000);
            file.write(QByteArray(3000, '\x5a'));
        } else if (kind == "text") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Options]\nnot a database at all\n");
        } else if (kind == "empty") {
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    if (kind == "foreign" || kind == "newer") {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        if (kind == "foreign")
            QVERIFY(q.exec("CREATE TABLE notes (id INTEGER PRIMARY KEY, text TEXT)"));
        else
            QVERIFY(q.exec("PRAGMA user_version = 99"));
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("other");
    }
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();

    HistoryStore store(path);
    const QDateTime when(QDate(2026, 12, 7), QTime(22, 31, 5));
    const HistoryStore::OpenResult opened = store.Open(when);
    QVERIFY2(opened.ok, qPrintable(opened.error));
    // A damaged file's readable rows, when there are any, go on in the new file.
    QCOMPARE(opened.created, opened.kept.isEmpty());
    const qint64 kept = store.SampleCount();
    if (word.isEmpty()) {
        QVERIFY(opened.movedTo.isEmpty());
    } else {
        QCOMPARE(QFileInfo(opened.movedTo).fileName(),
                 QStringLiteral("history-%1-20261207-223105.sqlite").arg(word));
        QFile moved(opened.movedTo);
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), bytes);
        QVERIFY(!opened.movedReason.isEmpty());
    }
    QCOMPARE(store.Append(sample(kNow, 60, true)), HistoryStore::Status::Ok);
    QCOMPARE(store.SampleCount(), kept + 1);
    // The next start finds the new file sound and keeps it.
    store.Close();
    const HistoryStore::OpenResult again = store.Open(when);
    QVERIFY(again.ok);
    QVERIFY(again.movedTo.isEmpty());
    QCOMPARE(store.SampleCount(), kept + 1);
}

void TestHistoryStore::damagedFileKeepsWhatReads() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/history.sqlite");
    qint64 samples = 0;
    {
        HistoryStore store(path);
        QVERIFY(store.Open(QDateTime::currentDateTime()).ok);
        QCOMPARE(store.AppendAll(series(kNow - 5 * kDay, kNow, 60)), HistoryStore::Status::Ok);
        for (int i = 1; i <= 3; ++i)
            store.AddEvent({kNow - i * kDay, LineEventKind::Drop, EventSource::Recorder, {}});
        samples = store.SampleCount();
    }
    // Three bytes flipped in one page in the middle of the file, as a failing disk does.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 page = (file.size() / 4096 / 2) * 4096;
    for (const qint64 at : {page, page + 100, page + 2000}) {
        QVERIFY(file.seek(at));
        char byte = 0;
        QVERIFY(file.getChar(&byte));
        QVERIFY(file.seek(at));
        QVERIFY(file.putChar(char(byte ^ 0xFF)));
    }
    file.close();

    HistoryStore store(path);
    const HistoryStore::OpenResult opened = store.Open(QDateTime::currentDateTime());
    QVERIFY2(opened.ok, qPrintable(opened.error));
    QVERIFY(!opened.movedTo.isEmpty()); // the damaged file itself is kept aside
    QVERIFY2(opened.kept.contains(QStringLiteral("%1 samples").arg(store.SampleCount())),
             qPrintable(opened.kept));
    QVERIFY2(store.SampleCount() >= samples * 9 / 10 && store.SampleCount() <= samples,
             qPrintable(QStringLiteral("%1 of %2").arg(store.SampleCount()).arg(samples)));
    QCOMPARE(store.EventCount(), qint64(3));
    QCOMPARE(store.Append(sample(kNow, 60, true)), HistoryStore::Status::Ok);
}

void TestHistoryStore::fileThatCannotBeWritten_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("shown"); // opened for reading, its samples there
    QTest::addColumn<QString>("reasonPart");
    QTest::addRow("read-only folder") << "folder" << true << "folder may not be written";
    QTest::addRow("read-only file") << "file" << true << "file may not be written";
    QTest::addRow("read-only folder, no file")
        << "empty folder" << false << "folder may not be written";
    QTest::addRow("a folder in its place") << "in place" << false << "a folder is in its place";
}

void TestHistoryStore::fileThatCannotBeWritten() {
    QFETCH(QString, kind);
    QFETCH(bool, shown);
    QFETCH(QString, reasonPart);
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/data");
    const QString path = folder + QStringLiteral("/history.sqlite");
    QVERIFY(QDir().mkpath(kind == QLatin1String("in place") ? path : folder));
    if (shown) {
        HistoryStore writer(path);
        QVERIFY(writer.Open(QDateTime::currentDateTime()).ok);
        QCOMPARE(writer.AppendAll(series(kNow - kDay, kNow, 60)), HistoryStore::Status::Ok);
    }
    std::optional<ReadOnlyFolder> readOnlyFolder;
    std::optional<CapabilitiesDropped> noOverride;
    if (kind == QLatin1String("file")) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        noOverride.emplace();
    } else if (kind != QLatin1String("in place")) {
        readOnlyFolder.emplace(folder);
    }
    HistoryStore store(path);
    const HistoryStore::OpenResult opened = store.Open(QDateTime::currentDateTime());
    QCOMPARE(opened.ok, shown);
    QCOMPARE(opened.readOnly, shown);
    const QString reason = shown ? opened.readOnlyReason : opened.error;
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
    if (shown) {
        QCOMPARE(store.SampleCount(), qint64(1440));
        QCOMPARE(store.Rows(kNow - kDay, kNow).size(), std::size_t(1440));
        QCOMPARE(store.Append(sample(kNow, 60)), HistoryStore::Status::NotOpen);
    }
    store.Close();
}

void TestHistoryStore::secondCopyOfTheFile() {
    OpenStore first;
    QCOMPARE(first.store.AppendAll(series(kNow - kDay, kNow, 60)), HistoryStore::Status::Ok);
    HistoryStore second(first.store.Path());
    const HistoryStore::OpenResult opened = second.Open(QDateTime::currentDateTime());
    QVERIFY(opened.ok);
    QVERIFY(opened.readOnly);
    QVERIFY2(opened.readOnlyReason.contains(QStringLiteral("another copy")),
             qPrintable(opened.readOnlyReason));
    QCOMPARE(second.Append(sample(kNow, 60)), HistoryStore::Status::NotOpen);
    QCOMPARE(first.store.Append(sample(kNow, 60)), HistoryStore::Status::Ok);
    QCOMPARE(second.SampleCount(), qint64(1441)); // the other copy's samples are shown

    // A program that writes into the file beside the store takes the next row number: the
    // store's next sample still goes in.
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "beside");
        other.setDatabaseName(first.store.Path());
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec("INSERT INTO sample (id, t, brk) SELECT MAX(id) + 1, 1, 0 FROM sample"));
        q.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase("beside");
    QCOMPARE(first.store.Append(sample(kNow + 60, 60)), HistoryStore::Status::Ok);
    QCOMPARE(first.store.SampleCount(), qint64(1443));

    // Once the first copy has ended, the next start records.
    first.store.Close();
    second.Close();
    const HistoryStore::OpenResult later = second.Open(QDateTime::currentDateTime());
    QVERIFY(later.ok);
    QVERIFY(!later.readOnly);
}

void TestHistoryStore::fullDisk() {
    OpenStore s;
    s.store.AppendAll(series(kNow - kDay, kNow, 60));
    s.store.LimitPages(1);
    HistoryStore::Status status = HistoryStore::Status::Ok;
    for (int i = 0; i < 2000 && status == HistoryStore::Status::Ok; ++i)
        status = s.store.Append(sample(kNow + i, 60));
    QCOMPARE(status, HistoryStore::Status::DiskFull);
    QCOMPARE(s.store.AddEvent({kNow, LineEventKind::Drop, EventSource::Recorder,
                               QString(10000, QLatin1Char('x'))}),
             HistoryStore::Status::DiskFull);
    const qint64 kept = s.store.SampleCount();
    s.store.LimitPages(0);
    QCOMPARE(s.store.Append(sample(kNow + 5000, 60, true)), HistoryStore::Status::Ok);
    QCOMPARE(s.store.SampleCount(), kept + 1);
}

void TestHistoryStore::killedWhileWriting() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/history.sqlite");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--write-forever"), path});
    QVERIFY(child.waitForStarted());
    // Let it write a while, then kill it in the middle of whatever it is doing.
    qint64 confirmed = 0;
    QByteArray pending;
    while (confirmed < 300 && child.waitForReadyRead(5000)) {
        pending += child.readAllStandardOutput();
        const QList<QByteArray> lines = pending.split('\n');
        for (int i = 0; i + 1 < lines.size(); ++i)
            confirmed = std::max(confirmed, lines[i].toLongLong());
        pending = lines.last();
    }
    child.kill();
    child.waitForFinished();
    pending += child.readAllStandardOutput();
    for (const QByteArray &line : pending.split('\n'))
        confirmed = std::max(confirmed, line.toLongLong());
    QVERIFY(confirmed >= 300);

    HistoryStore store(path);
    const HistoryStore::OpenResult opened = store.Open(QDateTime::currentDateTime());
    QVERIFY2(opened.ok, qPrintable(opened.error));
    QVERIFY(opened.movedTo.isEmpty());
    // Every sample it confirmed is there; at most the one it was writing is not.
    const qint64 count = store.SampleCount();
    QVERIFY2(count >= confirmed && count <= confirmed + 1,
             qPrintable(QStringLiteral("%1 of %2").arg(count).arg(confirmed)));
}

void TestHistoryStore::csv_data() {
    QTest::addColumn<qint64>("time");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("link"); // ifOperStatus; the figures are there while it is 1
    QTest::addColumn<QByteArray>("line");
    const qint64 t = QDateTime(QDate(2026, 12, 7), QTime(22, 31, 5), Qt::UTC).toSecsSinceEpoch();
    QTest::addRow("sample") << t << 1 << 1
                            << QByteArray("2026-12-07T22:31:05+00:00,1,up,123456.78,8128,832,6.5,"
                                          "12,40.9,,,,,,,,17,,,,,123456789");
    QTest::addRow("link down") << t << 1 << 2
                               << QByteArray("2026-12-07T22:31:05+00:00,1,down,123456.78" +
                                             QByteArray(18, ','));
    QTest::addRow("line training")
        << t << 1 << 3
        << QByteArray("2026-12-07T22:31:05+00:00,1,testing,123456.78" + QByteArray(18, ','));
    QTest::addRow("status no one knows")
        << t << 1 << 9
        << QByteArray("2026-12-07T22:31:05+00:00,1,9,123456.78" + QByteArray(18, ','));
    QTest::addRow("quarter summed up") << t - 5 << 15 << 1
                                       << QByteArray("2026-12-07T22:31:00+00:00,15,up,123456.78,"
                                                     "8128,832,6.5,12,40.9,,,,,,,,17,,,,,"
                                                     "123456789");
}

void TestHistoryStore::csv() {
    QFETCH(qint64, time);
    QFETCH(int, samples);
    QFETCH(int, link);
    QFETCH(QByteArray, line);
    HistoryRow r;
    r.time = time;
    r.samples = samples;
    r.link = link;
    r.uptime = 12345678;
    if (link == 1) {
        r.figures[std::size_t(Figure::DownRate)] = 8128000;
        r.figures[std::size_t(Figure::UpRate)] = 832000;
        r.figures[std::size_t(Figure::DownMargin)] = 65;
        r.figures[std::size_t(Figure::UpMargin)] = 120;
        r.figures[std::size_t(Figure::DownAttenuation)] = 409;
        r.figures[std::size_t(Figure::ErroredToday)] = 17;
        r.figures[std::size_t(Figure::UpUncorrected)] = 123456789;
    }
    QList<QByteArray> lines = HistoryCsv({r}, ExportSource{}).split('\n');
    while (!lines.isEmpty() && lines.front().startsWith('#'))
        lines.removeFirst();
    QCOMPARE(lines.size(), 3); // header, the row, and nothing after the last line end
    QVERIFY(lines[0].startsWith("time,samples,link,uptime_s,down_rate_kbps,up_rate_kbps,"
                                "down_margin_db"));
    QCOMPARE(lines[0].count(','), 21);
    QCOMPARE(lines[1], line + '\r');
    QVERIFY(lines[2].isEmpty());
}

void TestHistoryStore::csvHeading_data() {
    // Times in Europe/London; the range is one day from `from` (UTC).
    QTest::addColumn<QString>("description");
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QString>("router"); // the heading's second and third lines
    QTest::addColumn<QString>("range");
    const QDateTime winter(QDate(2026, 12, 7), QTime(20, 0), Qt::UTC);
    const QString winterRange =
        "From 07/12/2026 20:00:00 to 08/12/2026 20:00:00, Europe/London time (UTC+00:00)";
    QTest::addRow("winter") << "DSL router 2.1" << winter << "DSL router 2.1" << winterRange;
    QTest::addRow("summer time")
        << "DSL router 2.1" << QDateTime(QDate(2026, 7, 7), QTime(20, 0), Qt::UTC)
        << "DSL router 2.1"
        << "From 07/07/2026 21:00:00 to 08/07/2026 21:00:00, Europe/London time (UTC+01:00)";
    QTest::addRow("summer time ends in the range")
        << "DSL router 2.1" << QDateTime(QDate(2026, 10, 24), QTime(20, 0), Qt::UTC)
        << "DSL router 2.1"
        << "From 24/10/2026 21:00:00 to 25/10/2026 20:00:00, Europe/London time (UTC+01:00 at "
           "the start, UTC+00:00 at the end)";
    // The router's own bytes: a line break must not end the comment and start a data line.
    QTest::addRow("line breaks in the description")
        << "Model X\r\nFirmware 2\x0b" + QString("1") << winter << "Model X Firmware 2 1"
        << winterRange;
    QTest::addRow("never read") << "" << winter << "(description not read)" << winterRange;
}

void TestHistoryStore::csvHeading() {
    QFETCH(QString, description);
    QFETCH(QDateTime, from);
    QFETCH(QString, router);
    QFETCH(QString, range);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/London");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    ExportSource source{description, QStringLiteral("127.0.0.1:16161"), from.toSecsSinceEpoch(),
                        from.toSecsSinceEpoch() + kDay};
    const QStringList lines = QString::fromUtf8(HistoryCsv({}, source)).split("\r\n");
    qputenv("TZ", zone);
    QLocale::setDefault(QLocale::c());
    const QString utc = from.toString(Qt::ISODate).replace("Z", "+00:00");
    const QString utcEnd = from.addDays(1).toString(Qt::ISODate).replace("Z", "+00:00");
    QCOMPARE(
        lines.mid(0, 4),
        (QStringList{"# Vantrel line history", "# Router: " + router + ", address 127.0.0.1:16161",
                     "# " + range, "# The times below are in UTC: " + utc + " to " + utcEnd}));
    QVERIFY(lines.value(4).startsWith("time,"));
}

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--write-forever") == 0)
        return writeForever(QString::fromLocal8Bit(argv[2]));
    TestHistoryStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_historystore.moc"
