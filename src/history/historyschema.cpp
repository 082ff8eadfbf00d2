#include "history/historyschema.h"

#include "history/historysample.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace vantrel::history {

namespace HistorySchema {

namespace {

QString figureColumns(const QString &prefix) {
    QStringList columns;
    for (const LineFigureInfo &info : LineFigures())
        columns << prefix + QLatin1String(info.column) + QStringLiteral(" INTEGER");
    return columns.join(QStringLiteral(", "));
}

// Version 1: samples and events. Runs were told apart by the time between samples.
QStringList version1() {
    return {
        QStringLiteral("CREATE TABLE sample (id INTEGER PRIMARY KEY, t INTEGER NOT NULL, "
                       "link INTEGER, uptime INTEGER, %1)")
            .arg(figureColumns(QString())),
        QStringLiteral("CREATE INDEX sample_t ON sample (t)"),
        QStringLiteral("CREATE TABLE event (id INTEGER PRIMARY KEY, t INTEGER NOT NULL, "
                       "kind INTEGER NOT NULL, source INTEGER NOT NULL, detail TEXT)"),
        QStringLiteral("CREATE INDEX event_t ON event (t)"),
        QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId),
    };
}

QString summaryColumns() {
    QStringList summary;
    for (const LineFigureInfo &info : LineFigures())
        for (const char *prefix : {"lo_", "av_", "hi_"})
            summary << QLatin1String(prefix) + QLatin1String(info.column) +
                           QStringLiteral(" INTEGER");
    return summary.join(QStringLiteral(", "));
}

// Version 2: the recorder marks where a run starts; quarter-hour summaries keep the history
// beyond the days kept at full resolution.
QStringList version2() {
    return {
        QStringLiteral("ALTER TABLE sample ADD COLUMN brk INTEGER NOT NULL DEFAULT 0"),
        // A sample after half an hour without one, a sample of a link that is not up and the
        // sample after it start a run.
        QStringLiteral("UPDATE sample SET brk = 1 WHERE id IN (SELECT id FROM (SELECT id, link, "
                       "t - LAG(t) OVER w AS dt, LAG(link) OVER w AS before FROM sample WINDOW w "
                       "AS (ORDER BY t, id)) WHERE dt IS NULL OR dt > 1800 OR before IS NOT 1 OR "
                       "link IS NOT 1)"),
        // brk: the quarter's first sample starts a run (no line comes in from the left).
        QStringLiteral("CREATE TABLE summary (t INTEGER PRIMARY KEY, n INTEGER NOT NULL, "
                       "up INTEGER NOT NULL, brk INTEGER NOT NULL, uptime INTEGER, %1)")
            .arg(summaryColumns()),
        QStringLiteral("CREATE TABLE meta (key TEXT PRIMARY KEY, value)"),
        QStringLiteral("INSERT INTO meta (key, value) VALUES ('folded', 0)"),
    };
}

// Version 3: the quarters summed up again by blocks of four hours, so that a year is a few
// thousand rows.
QStringList version3() {
    return {
        QStringLiteral("CREATE TABLE block (t INTEGER PRIMARY KEY, n INTEGER NOT NULL, "
                       "up INTEGER NOT NULL, brk INTEGER NOT NULL, uptime INTEGER, %1)")
            .arg(summaryColumns()),
        QStringLiteral("INSERT INTO block (t, n, up, brk, uptime, ") + SummaryColumns() +
            QStringLiteral(") SELECT t - t % ") + QString::number(BlockSecs) +
            QStringLiteral(", SUM(n), SUM(up), MIN(t * 2 + brk) % 2, MAX(uptime), ") +
            SumsOfQuarters() + QStringLiteral(" FROM summary GROUP BY t - t % ") +
            QString::number(BlockSecs),
    };
}

bool run(QSqlDatabase &db, const QStringList &statements, int version, QString *error) {
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    for (const QString &statement :
         statements + QStringList{QStringLiteral("PRAGMA user_version = %1").arg(version)}) {
        if (!query.exec(statement)) {
            *error = query.lastError().text();
            query.finish();
            db.rollback();
            return false;
        }
    }
    query.finish();
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

} // namespace

QString SummaryColumns() {
    QStringList columns;
    for (const LineFigureInfo &info : LineFigures())
        columns << QStringLiteral("lo_%1, av_%1, hi_%1").arg(QLatin1String(info.column));
    return columns.join(QStringLiteral(", "));
}

QString SumsOfQuarters() {
    // The average of averages, each weighed by its quarter's samples.
    QStringList sums;
    for (const LineFigureInfo &info : LineFigures())
        sums << QStringLiteral("MIN(lo_%1), ROUND(SUM(av_%1 * n) / SUM(CASE WHEN av_%1 IS NULL "
                               "THEN 0 ELSE n END)), MAX(hi_%1)")
                    .arg(QLatin1String(info.column));
    return sums.join(QStringLiteral(", "));
}

bool Migrate(QSqlDatabase &db, int from, int to, QString *error) {
    QString ignored;
    if (error == nullptr)
        error = &ignored;
    using Step = QStringList (*)();
    const Step steps[Version] = {version1, version2, version3};
    for (int v = from; v < to && v < Version; ++v)
        if (!run(db, steps[v](), v + 1, error))
            return false;
    return true;
}

} // namespace HistorySchema

} // namespace vantrel::history
