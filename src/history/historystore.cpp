#include "history/historystore.h"

#include "history/historyschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace vantrel::history {

namespace {

constexpr qint64 kQuarter = HistorySchema::QuarterSecs;
constexpr qint64 kBlock = HistorySchema::BlockSecs;
const double kNone = std::numeric_limits<double>::quiet_NaN();

// SQLite's result codes as the driver reports them.
const QLatin1String kFull("13");
const QLatin1String kCorrupt("11");
const QLatin1String kNotADatabase("26");

std::atomic<int> connectionCount{0};

QVariant nullInteger() {
    return QVariant(QMetaType::fromType<qint64>());
}

// Whole numbers go in as integers, which SQLite keeps in as few bytes as they need.
QVariant figureValue(const std::optional<double> &v) {
    if (!v || !std::isfinite(*v))
        return nullInteger();
    const double whole = std::round(*v);
    if (whole == *v && std::fabs(whole) < 9e15)
        return QVariant(qint64(whole));
    return QVariant(*v);
}

std::optional<double> optionalDouble(const QVariant &v) {
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

std::optional<qint64> optionalInteger(const QVariant &v) {
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    return ok ? std::optional<qint64>(i) : std::nullopt;
}

double orNone(const QVariant &v) {
    return optionalDouble(v).value_or(kNone);
}

// "prefix<column>suffix, ..." for every figure.
QString figureList(const QString &prefix, const QString &suffix = QString()) {
    QStringList list;
    for (const LineFigureInfo &info : LineFigures())
        list << prefix + QLatin1String(info.column) + suffix;
    return list.join(QStringLiteral(", "));
}

QString number(qint64 v) {
    return QString::number(v);
}

void readFigures(const QSqlQuery &q, int first,
                 std::array<std::optional<double>, LineFigureCount> &figures) {
    for (int i = 0; i < LineFigureCount; ++i)
        figures[std::size_t(i)] = optionalDouble(q.value(first + i));
}

} // namespace

double ChartData::Lo(std::size_t figure, int column) const {
    return lo[figure * columns.size() + std::size_t(column)];
}

double ChartData::Hi(std::size_t figure, int column) const {
    return hi[figure * columns.size() + std::size_t(column)];
}

HistoryStore::HistoryStore(QString path)
    : path_(std::move(path)),
      connection_(QStringLiteral("vantrel-history-%1").arg(++connectionCount)) {}

HistoryStore::~HistoryStore() {
    Close();
}

bool HistoryStore::connect() {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(path_);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db_.open()) {
        error_ = db_.lastError().text();
        return false;
    }
    return true;
}

void HistoryStore::disconnect() {
    insertSample_.reset();
    insertEvent_.reset();
    if (db_.isOpen())
        db_.close();
    db_ = QSqlDatabase();
    if (QSqlDatabase::contains(connection_))
        QSqlDatabase::removeDatabase(connection_);
    open_ = false;
}

void HistoryStore::Close() {
    disconnect();
}

HistoryStore::Verdict HistoryStore::inspect() {
    const QFileInfo info(path_);
    if (!info.exists() || info.size() == 0)
        return Verdict::Usable;
    if (!connect())
        return Verdict::Unopenable;
    QSqlQuery q(db_);
    // SQLite reads the file's header only now: text or garbage fails here.
    if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next()) {
        error_ = q.lastError().text();
        const QString code = q.lastError().nativeErrorCode();
        return code == kNotADatabase || code == kCorrupt ? Verdict::Damaged : Verdict::Unopenable;
    }
    const qint64 applicationId = q.value(0).toLongLong();
    q.finish();
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !q.next())
        return Verdict::Damaged;
    const qint64 objects = q.value(0).toLongLong();
    q.finish();
    if (objects == 0 && applicationId == 0)
        return Verdict::Usable; // an empty database: made ours below
    if (applicationId != HistorySchema::ApplicationId)
        return Verdict::Foreign;
    const int version = Version();
    if (version > HistorySchema::Version)
        return Verdict::Newer;
    if (!q.exec(QStringLiteral("PRAGMA quick_check(1)")) || !q.next() ||
        q.value(0).toString() != QLatin1String("ok"))
        return Verdict::Damaged;
    q.finish();
    QStringList needed = {QStringLiteral("sample"), QStringLiteral("event")};
    if (version >= 2)
        needed << QStringLiteral("summary") << QStringLiteral("meta");
    const QStringList tables = db_.tables();
    for (const QString &table : needed)
        if (!tables.contains(table))
            return Verdict::Damaged;
    return Verdict::Usable;
}

QString HistoryStore::moveAside(const QDateTime &now, const QString &word) {
    const QFileInfo info(path_);
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                         QLatin1Char('-') + word + QLatin1Char('-') +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString target = stem + suffix;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = stem + QLatin1Char('-') + QString::number(n) + suffix;
    if (!QFile::rename(path_, target)) {
        error_ = QStringLiteral("cannot rename %1").arg(path_);
        return QString();
    }
    // The log of unfinished writes belongs with its file; the shared-memory index is rebuilt.
    const QString wal = path_ + QStringLiteral("-wal");
    if (QFileInfo::exists(wal) && !QFile::rename(wal, target + QStringLiteral("-wal")))
        QFile::remove(wal);
    QFile::remove(path_ + QStringLiteral("-shm"));
    return target;
}

bool HistoryStore::setUp(OpenResult &result) {
    QSqlQuery q(db_);
    // Each sample is its own transaction; in WAL mode a commit survives the process being
    // killed, and readers never wait for the writer.
    q.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    q.finish();
    const int version = Version();
    if (version < 0) {
        result.error = error_;
        return false;
    }
    result.created = version == 0;
    if (version < HistorySchema::Version &&
        !HistorySchema::Migrate(db_, version, HistorySchema::Version, &result.error))
        return false;

    insertSample_ = std::make_unique<QSqlQuery>(db_);
    QStringList marks;
    for (int i = 0; i < 5 + LineFigureCount; ++i)
        marks << QStringLiteral("?");
    // Arrival numbers are never used twice, not even after the newest samples were removed:
    // what has been summed up is marked by them.
    nextId_ = std::max(scalar(QStringLiteral("SELECT MAX(id) FROM sample")), folded()) + 1;
    if (!insertSample_->prepare(
            QStringLiteral("INSERT INTO sample (id, t, brk, link, uptime, %1) VALUES (%2)")
                .arg(figureList(QString()), marks.join(QLatin1Char(','))))) {
        result.error = insertSample_->lastError().text();
        return false;
    }
    insertEvent_ = std::make_unique<QSqlQuery>(db_);
    if (!insertEvent_->prepare(
            QStringLiteral("INSERT INTO event (t, kind, source, detail) VALUES (?, ?, ?, ?)"))) {
        result.error = insertEvent_->lastError().text();
        return false;
    }
    open_ = true;
    return true;
}

HistoryStore::OpenResult HistoryStore::Open(const QDateTime &now) {
    Close();
    OpenResult result;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const Verdict verdict = inspect();
    if (verdict == Verdict::Unopenable) {
        result.error = error_;
        disconnect();
        return result;
    }
    if (verdict != Verdict::Usable) {
        disconnect();
        QString word;
        switch (verdict) {
        case Verdict::Foreign:
            word = QStringLiteral("foreign");
            result.movedReason = QStringLiteral("is not a Vantrel line history");
            break;
        case Verdict::Newer:
            word = QStringLiteral("newer");
            result.movedReason = QStringLiteral("was written by a newer version of Vantrel");
            break;
        default:
            word = QStringLiteral("damaged");
            result.movedReason = QStringLiteral("is damaged");
            break;
        }
        result.movedTo = moveAside(now, word);
        if (result.movedTo.isEmpty()) {
            result.error = error_;
            return result;
        }
    }
    if (!db_.isOpen() && !connect()) {
        result.error = error_;
        disconnect();
        return result;
    }
    if (!setUp(result)) {
        disconnect();
        return result;
    }
    result.ok = true;
    return result;
}

int HistoryStore::Version() {
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        error_ = q.lastError().text();
        return -1;
    }
    return q.value(0).toInt();
}

HistoryStore::Status HistoryStore::statusOf(const QSqlQuery &query) {
    error_ = query.lastError().text();
    return query.lastError().nativeErrorCode() == kFull ? Status::DiskFull : Status::Failed;
}

bool HistoryStore::recover() {
    // Writing found the file damaged: put it aside and go on in a new one.
    const QDateTime now = QDateTime::currentDateTime();
    disconnect();
    OpenResult result;
    result.movedReason = QStringLiteral("is damaged");
    result.movedTo = moveAside(now, QStringLiteral("damaged"));
    if (result.movedTo.isEmpty() || !connect() || !setUp(result)) {
        disconnect();
        return false;
    }
    result.ok = true;
    movedNotice_ = result;
    return true;
}

std::optional<HistoryStore::OpenResult> HistoryStore::TakeMovedNotice() {
    std::optional<OpenResult> notice;
    notice.swap(movedNotice_);
    return notice;
}

HistoryStore::Status HistoryStore::write(const std::vector<LineSample> &samples) {
    const bool batch = samples.size() > 1;
    if (batch && !db_.transaction()) {
        error_ = db_.lastError().text();
        return Status::Failed;
    }
    QSqlQuery &q = *insertSample_;
    const qint64 firstId = nextId_;
    for (const LineSample &s : samples) {
        q.bindValue(0, nextId_);
        q.bindValue(1, s.time);
        q.bindValue(2, s.runStart ? 1 : 0);
        q.bindValue(3, s.link ? QVariant(qint64(*s.link)) : nullInteger());
        q.bindValue(4, s.uptime ? QVariant(*s.uptime) : nullInteger());
        for (int i = 0; i < LineFigureCount; ++i)
            q.bindValue(5 + i, figureValue(s.figures[std::size_t(i)]));
        if (!q.exec()) {
            const Status status = statusOf(q);
            if (batch)
                db_.rollback();
            nextId_ = firstId;
            return status;
        }
        ++nextId_;
    }
    if (batch && !db_.commit()) {
        error_ = db_.lastError().text();
        const bool full = db_.lastError().nativeErrorCode() == kFull;
        db_.rollback();
        nextId_ = firstId;
        return full ? Status::DiskFull : Status::Failed;
    }
    return Status::Ok;
}

HistoryStore::Status HistoryStore::AppendAll(const std::vector<LineSample> &samples) {
    if (!open_)
        return Status::NotOpen;
    if (samples.empty())
        return Status::Ok;
    Status status = write(samples);
    const QString code = insertSample_ ? insertSample_->lastError().nativeErrorCode() : QString();
    if (status == Status::Failed && (code == kCorrupt || code == kNotADatabase) && recover())
        status = write(samples);
    return status;
}

HistoryStore::Status HistoryStore::Append(const LineSample &sample) {
    return AppendAll({sample});
}

HistoryStore::Status HistoryStore::AddEvent(const LineEvent &event) {
    if (!open_)
        return Status::NotOpen;
    QSqlQuery &q = *insertEvent_;
    q.bindValue(0, event.time);
    q.bindValue(1, int(event.kind));
    q.bindValue(2, int(event.source));
    q.bindValue(3, event.detail);
    if (q.exec())
        return Status::Ok;
    // Taken before a recovery replaces the statement.
    const Status status = statusOf(q);
    const QString code = q.lastError().nativeErrorCode();
    if ((code == kCorrupt || code == kNotADatabase) && recover())
        return AddEvent(event);
    return status;
}

qint64 HistoryStore::scalar(const QString &sql, qint64 def) {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(sql) || !q.next() || q.value(0).isNull())
        return def;
    return q.value(0).toLongLong();
}

qint64 HistoryStore::folded() {
    return scalar(QStringLiteral("SELECT value FROM meta WHERE key = 'folded'"));
}

// Sums up the samples that arrived since the last time, by quarter hour. A quarter that is
// still running waits; so does every sample that arrived after the first one of it, so the
// mark of what is summed up stays a simple arrival number. A summary that a late sample (the
// clock was set back) lands in takes it in. A quarter's brk says whether its first sample
// starts a run, so a graph of quarters breaks where a graph of samples would.
int HistoryStore::fold(qint64 now, int maxRows) {
    const qint64 done = folded();
    const qint64 running = now - now % kQuarter;
    const qint64 stop = scalar(QStringLiteral("SELECT MIN(id) FROM sample WHERE id > %1 AND "
                                              "t >= %2 AND t < %3")
                                   .arg(number(done), number(running), number(now + kQuarter)));
    qint64 upTo = stop > 0 ? stop - 1 : scalar(QStringLiteral("SELECT MAX(id) FROM sample"));
    upTo = std::min(upTo, done + qint64(maxRows));
    if (upTo <= done)
        return 0;

    QStringList select;
    QStringList merge;
    for (const LineFigureInfo &info : LineFigures()) {
        const QString c = QLatin1String(info.column);
        select << QStringLiteral("MIN(%1), ROUND(AVG(%1)), MAX(%1)").arg(c);
        merge << QStringLiteral("lo_%1 = MIN(COALESCE(lo_%1, excluded.lo_%1), "
                                "COALESCE(excluded.lo_%1, lo_%1))")
                     .arg(c)
              << QStringLiteral("hi_%1 = MAX(COALESCE(hi_%1, excluded.hi_%1), "
                                "COALESCE(excluded.hi_%1, hi_%1))")
                     .arg(c)
              << QStringLiteral("av_%1 = CASE WHEN av_%1 IS NULL THEN excluded.av_%1 WHEN "
                                "excluded.av_%1 IS NULL THEN av_%1 ELSE ROUND((av_%1 * n + "
                                "excluded.av_%1 * excluded.n) / (n + excluded.n)) END")
                     .arg(c);
    }
    const QString sql =
        QStringLiteral(
            "INSERT INTO summary (t, n, up, brk, uptime, %1) SELECT t - t %% %2, COUNT(*), "
            "SUM(CASE WHEN link = 1 THEN 1 ELSE 0 END), MIN(t * 2 + brk) %% 2, MAX(uptime), %3 "
            "FROM sample "
            "WHERE id > %4 AND id <= %5 GROUP BY t - t %% %2 ON CONFLICT (t) DO UPDATE SET "
            "n = n + excluded.n, up = up + excluded.up, brk = MAX(brk, excluded.brk), "
            "uptime = MAX(COALESCE(uptime, excluded.uptime), COALESCE(excluded.uptime, uptime)), "
            "%6")
            .arg(HistorySchema::SummaryColumns(), number(kQuarter),
                 select.join(QStringLiteral(", ")), number(done), number(upTo),
                 merge.join(QStringLiteral(", ")))
            .replace(QStringLiteral("%%"), QStringLiteral("%"));
    // The blocks of the quarters that changed are summed up afresh from their quarters.
    const QString touched =
        QStringLiteral("SELECT DISTINCT t - t %% %1 AS b FROM sample WHERE id > %2 AND id <= %3")
            .arg(number(kBlock), number(done), number(upTo));
    const QString dropBlocks = QStringLiteral("DELETE FROM block WHERE t IN (%1)")
                                   .arg(touched)
                                   .replace(QStringLiteral("%%"), QStringLiteral("%"));
    const QString sumBlocks =
        QStringLiteral(
            "INSERT INTO block (t, n, up, brk, uptime, %1) SELECT k.b, SUM(n), SUM(up), "
            "MIN(s.t * 2 + brk) % 2, MAX(uptime), %2 FROM summary s JOIN (%3) k ON s.t >= k.b AND "
            "s.t < k.b + %4 GROUP BY k.b")
            .arg(HistorySchema::SummaryColumns(), HistorySchema::SumsOfQuarters(), touched,
                 number(kBlock))
            .replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (!db_.transaction())
        return 0;
    QSqlQuery q(db_);
    if (!q.exec(sql) || !q.exec(dropBlocks) || !q.exec(sumBlocks) ||
        !q.exec(QStringLiteral("UPDATE meta SET value = %1 WHERE key = 'folded'").arg(upTo))) {
        error_ = q.lastError().text();
        q.finish();
        db_.rollback();
        return 0;
    }
    q.finish();
    if (!db_.commit()) {
        db_.rollback();
        return 0;
    }
    return int(upTo - done);
}

int HistoryStore::prune(qint64 now, int maxRows) {
    qint64 cutoff = now - FullResolutionSecs;
    cutoff -= cutoff % kQuarter; // whole quarters go, so a quarter is either summed up or whole
    const qint64 keep = now - KeepSecs;
    const QString statements[] = {
        QStringLiteral("DELETE FROM sample WHERE id IN (SELECT id FROM sample WHERE t < %1 AND "
                       "id <= %2 LIMIT %3)")
            .arg(number(cutoff), number(folded()), number(maxRows)),
        QStringLiteral("DELETE FROM summary WHERE t IN (SELECT t FROM summary WHERE t < %1 "
                       "LIMIT %2)")
            .arg(number(keep), number(maxRows)),
        QStringLiteral("DELETE FROM event WHERE id IN (SELECT id FROM event WHERE t < %1 LIMIT "
                       "%2)")
            .arg(number(keep), number(maxRows)),
        QStringLiteral("DELETE FROM block WHERE t IN (SELECT t FROM block WHERE t < %1 LIMIT %2)")
            .arg(number(keep - keep % kBlock), number(maxRows)),
    };
    int removed = 0;
    QSqlQuery q(db_);
    for (const QString &sql : statements)
        if (q.exec(sql))
            removed = std::max(removed, q.numRowsAffected());
    return removed;
}

bool HistoryStore::Maintain(qint64 now, int maxRows) {
    if (!open_)
        return false;
    const int summed = fold(now, maxRows);
    const int removed = prune(now, maxRows);
    return summed >= maxRows || removed >= maxRows;
}

ChartData HistoryStore::Chart(const ChartRequest &request) {
    ChartData d;
    d.request = request;
    const int columns = std::max(1, request.columns);
    d.request.columns = columns;
    d.columns.resize(std::size_t(columns));
    const std::size_t figures = request.figures.size();
    d.lo.assign(figures * std::size_t(columns), kNone);
    d.hi.assign(figures * std::size_t(columns), kNone);
    if (!open_ || request.to <= request.from)
        return d;

    const qint64 span = request.to - request.from;
    // Where a column spans four hours or more the blocks serve, where it spans a quarter hour the
    // quarters, each with the samples not yet summed up. Finer columns read the samples, and the
    // quarters only where no sample is left.
    const bool coarse = span / columns >= kQuarter;
    const qint64 size = span / columns >= kBlock ? kBlock : kQuarter;
    QStringList outer;
    QStringList fromSummary;
    QStringList fromSample;
    for (LineFigure f : request.figures) {
        const QString c = QLatin1String(FigureInfo(f).column);
        outer << QStringLiteral(", MIN(l_%1), MAX(h_%1)").arg(c);
        fromSummary << QStringLiteral(", lo_%1 AS l_%1, hi_%1 AS h_%1").arg(c);
        fromSample << QStringLiteral(", %1, %1").arg(c);
    }
    const QString from = number(request.from);
    const QString to = number(request.to);
    // A block or quarter that began before the range and reaches into it counts to the first
    // column.
    QString summaries = QStringLiteral("SELECT t, brk") + fromSummary.join(QString()) +
                        QStringLiteral(" FROM ") +
                        (size == kBlock ? QStringLiteral("block") : QStringLiteral("summary")) +
                        QStringLiteral(" s WHERE t > ") + number(request.from - size) +
                        QStringLiteral(" AND t < ") + to;
    if (!coarse)
        summaries += QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM sample WHERE sample.t >= s.t "
                                    "AND sample.t < s.t + ") +
                     number(kQuarter) + QLatin1Char(')');
    QString samples = QStringLiteral("SELECT t, brk") + fromSample.join(QString()) +
                      QStringLiteral(" FROM sample WHERE t >= ") + from +
                      QStringLiteral(" AND t < ") + to;
    if (coarse)
        samples += QStringLiteral(" AND id > ") + number(folded());
    const QString sql = QStringLiteral("SELECT (MAX(t, ") + from + QStringLiteral(") - ") + from +
                        QStringLiteral(") * ") + number(columns) + QStringLiteral(" / ") +
                        number(span) + QStringLiteral(" AS b, COUNT(*), MIN(t * 2 + brk) % 2") +
                        outer.join(QString()) + QStringLiteral(" FROM (") + summaries +
                        QStringLiteral(" UNION ALL ") + samples + QStringLiteral(") GROUP BY b");
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        error_ = q.lastError().text();
        return d;
    }
    while (q.next()) {
        const qint64 b = q.value(0).toLongLong();
        if (b < 0 || b >= columns)
            continue;
        ChartColumn &column = d.columns[std::size_t(b)];
        column.samples = q.value(1).toInt();
        column.breakBefore = q.value(2).toInt() == 1;
        d.rows += column.samples;
        for (std::size_t i = 0; i < figures; ++i) {
            d.lo[i * std::size_t(columns) + std::size_t(b)] = orNone(q.value(3 + int(2 * i)));
            d.hi[i * std::size_t(columns) + std::size_t(b)] = orNone(q.value(4 + int(2 * i)));
        }
    }
    d.outages = Outages(request.from, request.to, request.now);
    for (const LineEvent &e : Events(request.from, request.to))
        if (e.kind == LineEventKind::Restart)
            d.restarts.push_back(e.time);
    return d;
}

std::vector<HistoryRow> HistoryStore::Rows(qint64 from, qint64 to) {
    std::vector<HistoryRow> rows;
    if (!open_)
        return rows;
    const QString sql =
        QStringLiteral(
            "SELECT t, 1, link, uptime, brk, %1 FROM sample WHERE t >= %3 AND t < %4 UNION ALL "
            "SELECT t, n, NULL, uptime, brk, %2 FROM summary s WHERE t >= %3 AND t < %4 AND NOT "
            "EXISTS (SELECT 1 FROM sample WHERE sample.t >= s.t AND sample.t < s.t + %5) "
            "ORDER BY 1")
            .arg(figureList(QString()), figureList(QStringLiteral("av_")), number(from), number(to),
                 number(kQuarter));
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        error_ = q.lastError().text();
        return rows;
    }
    while (q.next()) {
        HistoryRow r;
        r.time = q.value(0).toLongLong();
        r.samples = q.value(1).toInt();
        if (const auto link = optionalInteger(q.value(2)))
            r.link = int(*link);
        r.uptime = optionalInteger(q.value(3));
        r.runStart = q.value(4).toInt() != 0;
        readFigures(q, 5, r.figures);
        rows.push_back(r);
    }
    return rows;
}

std::vector<LineEvent> HistoryStore::Events(qint64 from, qint64 to) {
    std::vector<LineEvent> events;
    if (!open_)
        return events;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT t, kind, source, detail FROM event WHERE t >= %1 AND "
                               "t < %2 ORDER BY t, id")
                    .arg(number(from), number(to))))
        return events;
    while (q.next())
        events.push_back({q.value(0).toLongLong(), LineEventKind(q.value(1).toInt()),
                          EventSource(q.value(2).toInt()), q.value(3).toString()});
    return events;
}

std::vector<Outage> HistoryStore::Outages(qint64 from, qint64 to, qint64 now) {
    std::vector<Outage> outages;
    if (!open_)
        return outages;
    // The state at the start of the range is that of the last drop or return before it.
    std::optional<qint64> down;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT t, kind FROM event WHERE kind IN (1, 2) AND t < %1 ORDER "
                              "BY t DESC, id DESC LIMIT 1")
                   .arg(number(from))) &&
        q.next() && q.value(1).toInt() == int(LineEventKind::Drop))
        down = q.value(0).toLongLong();
    q.finish();
    if (!q.exec(QStringLiteral("SELECT t, kind FROM event WHERE kind IN (1, 2) AND t >= %1 AND "
                               "t < %2 ORDER BY t, id")
                    .arg(number(from), number(to))))
        return outages;
    while (q.next()) {
        const qint64 t = q.value(0).toLongLong();
        if (LineEventKind(q.value(1).toInt()) == LineEventKind::Drop) {
            if (!down) // a second drop while down (a restart of the program) changes nothing
                down = t;
        } else if (down) {
            outages.push_back({*down, t, false});
            down.reset();
        }
    }
    if (down) {
        const qint64 end = std::min(to, std::max(now, *down));
        outages.push_back({*down, end, true});
    }
    return outages;
}

std::optional<LineSample> HistoryStore::LastSample() {
    if (!open_)
        return std::nullopt;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT t, brk, link, uptime, %1 FROM sample ORDER BY id DESC "
                               "LIMIT 1")
                    .arg(figureList(QString()))) ||
        !q.next())
        return std::nullopt;
    LineSample s;
    s.time = q.value(0).toLongLong();
    s.runStart = q.value(1).toInt() != 0;
    if (const auto link = optionalInteger(q.value(2)))
        s.link = int(*link);
    s.uptime = optionalInteger(q.value(3));
    readFigures(q, 4, s.figures);
    return s;
}

std::optional<LineEvent> HistoryStore::LastLinkEvent() {
    if (!open_)
        return std::nullopt;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT t, kind, source, detail FROM event WHERE kind IN (1, 2) "
                               "ORDER BY id DESC LIMIT 1")) ||
        !q.next())
        return std::nullopt;
    return LineEvent{q.value(0).toLongLong(), LineEventKind(q.value(1).toInt()),
                     EventSource(q.value(2).toInt()), q.value(3).toString()};
}

qint64 HistoryStore::SampleCount() {
    return open_ ? scalar(QStringLiteral("SELECT COUNT(*) FROM sample")) : 0;
}

qint64 HistoryStore::SummaryCount() {
    return open_ ? scalar(QStringLiteral("SELECT COUNT(*) FROM summary")) : 0;
}

qint64 HistoryStore::EventCount() {
    return open_ ? scalar(QStringLiteral("SELECT COUNT(*) FROM event")) : 0;
}

void HistoryStore::LimitPages(qint64 pages) {
    if (!open_)
        return;
    QSqlQuery q(db_);
    q.exec(
        QStringLiteral("PRAGMA max_page_count = %1").arg(pages > 0 ? pages : qint64(4294967294LL)));
}

} // namespace vantrel::history
