#include "history/historystore.h"

#include "history/historyschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <unistd.h>

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

// Whether this process may write into folder and, when it exists, into file: tried for real,
// since root passes every permission test and yet a read-only mount refuses it.
bool folderWritable(const QString &folder) {
    QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.vantrel-probe-XXXXXX"));
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

bool fileWritable(const QString &file) {
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool fileReadable(const QString &file) {
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// "1234 samples", "1 sample"
QString count(qint64 n, const char *one, const char *many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// The tables a file of each version holds.
QStringList tablesOf(int version) {
    QStringList tables = {QStringLiteral("sample"), QStringLiteral("event")};
    if (version >= 2)
        tables << QStringLiteral("summary") << QStringLiteral("meta");
    if (version >= 3)
        tables << QStringLiteral("block");
    return tables;
}

// Copies the rows of table that can still be read from one database into the other, in the
// order of their row numbers. Where a part of the table cannot be read the copy goes on after
// it: the next place a read can start from is found by looking further and further ahead, then
// back again by halves.
qint64 copyReadable(QSqlDatabase &from, QSqlDatabase &to, const QString &table) {
    constexpr qint64 kChunk = 256;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr int kMaxRounds = 200000; // bounds the work on a thoroughly damaged file
    const QString read = QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid >= ? ORDER BY rowid "
                                        "LIMIT %2")
                             .arg(table);
    QSqlQuery q(from);
    q.setForwardOnly(true);
    QSqlQuery insert(to);
    bool prepared = false;
    qint64 copied = 0;
    // Reads up to limit rows from start on, copying each; false when a read failed.
    auto copyFrom = [&](qint64 start, qint64 limit, qint64 &rows, qint64 &next) {
        rows = 0;
        if (!q.prepare(read.arg(limit)))
            return false;
        q.addBindValue(start);
        if (!q.exec())
            return false;
        while (q.next()) {
            const QSqlRecord record = q.record();
            if (!prepared) {
                QStringList marks;
                for (int i = 1; i < record.count(); ++i)
                    marks << QStringLiteral("?");
                prepared = insert.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 VALUES (%2)")
                                              .arg(table, marks.join(QLatin1Char(','))));
            }
            for (int i = 1; i < record.count(); ++i)
                insert.bindValue(i - 1, record.value(i));
            if (prepared && insert.exec())
                ++copied;
            next = q.value(0).toLongLong() + 1;
            ++rows;
        }
        const bool ok = !q.lastError().isValid();
        q.finish();
        return ok;
    };
    // Whether a read from start on gets its first row (or finds none).
    auto readsFrom = [&](qint64 start) {
        if (!q.prepare(read.arg(1)))
            return false;
        q.addBindValue(start);
        const bool ok = q.exec() && (q.next() || !q.lastError().isValid());
        q.finish();
        return ok;
    };
    qint64 next = std::numeric_limits<qint64>::min();
    for (int round = 0; round < kMaxRounds; ++round) {
        qint64 rows = 0;
        const bool ok = copyFrom(next, kChunk, rows, next);
        if (ok && rows < kChunk)
            return copied; // the end of the table
        if (ok)
            continue;
        // A read from next on fails: look ahead for a start that reads.
        qint64 bad = next;
        qint64 step = 1;
        std::optional<qint64> good;
        while (bad <= kMax - step) {
            if (readsFrom(bad + step)) {
                good = bad + step;
                break;
            }
            bad += step;
            if (step > kMax / 2)
                break;
            step *= 2;
        }
        if (!good)
            return copied;
        while (*good - bad > 1) {
            const qint64 middle = bad + (*good - bad) / 2;
            if (readsFrom(middle))
                good = middle;
            else
                bad = middle;
        }
        next = *good;
    }
    return copied;
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

bool HistoryStore::connect(bool readOnly, bool immutable) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000");
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (immutable) {
        // A file in a folder nobody may write lacks its shared-memory index, and SQLite reads it
        // then only when told that nothing changes it meanwhile.
        options += QStringLiteral(";QSQLITE_OPEN_URI");
        db_.setDatabaseName(QString::fromLatin1(QUrl::fromLocalFile(path_).toEncoded()) +
                            QStringLiteral("?immutable=1"));
    } else {
        db_.setDatabaseName(path_);
    }
    db_.setConnectOptions(options);
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
    readOnly_ = false;
    unlock();
}

bool HistoryStore::lockForWriting() {
    if (lockFd_ >= 0)
        return true;
    // A lock the system lets go when its process ends, however it ends.
    const int fd = ::open(QFile::encodeName(path_ + QStringLiteral(".lock")).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // nothing to hold: nobody else can hold it either
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    lockFd_ = fd;
    return true;
}

void HistoryStore::unlock() {
    if (lockFd_ >= 0)
        ::close(lockFd_);
    lockFd_ = -1;
}

bool HistoryStore::openReadOnly(OpenResult &result, const QString &reason) {
    disconnect();
    if (!QFileInfo::exists(path_)) {
        result.error = reason;
        return false;
    }
    // Where the folder is read-only, only an unchangeable file can be read.
    for (const bool immutable : {false, true}) {
        disconnect();
        if (!connect(true, immutable))
            continue;
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
            continue;
        const qint64 applicationId = q.value(0).toLongLong();
        q.finish();
        const int version = Version();
        if (applicationId != HistorySchema::ApplicationId || version != HistorySchema::Version) {
            result.error = reason + QStringLiteral(", and it is not a line history this version "
                                                   "of Vantrel can show as it is");
            disconnect();
            return false;
        }
        open_ = true;
        readOnly_ = true;
        result.ok = true;
        result.readOnly = true;
        result.readOnlyReason = reason;
        return true;
    }
    result.error = reason + QStringLiteral(", and it cannot be read: ") + error_;
    disconnect();
    return false;
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
    for (int i = 0; i < 4 + LineFigureCount; ++i)
        marks << QStringLiteral("?");
    // The file numbers each sample as it goes in, so that a program writing beside this one
    // cannot collide with it. Arrival numbers are never used twice, not even after the newest
    // samples were removed: what has been summed up is marked by them.
    if (!insertSample_->prepare(
            QStringLiteral("INSERT INTO sample (id, t, brk, link, uptime, %1) SELECT "
                           "MAX(IFNULL((SELECT MAX(id) FROM sample), 0), IFNULL((SELECT value "
                           "FROM meta WHERE key = 'folded'), 0)) + 1, %2")
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
    const QFileInfo info(path_);
    if (info.exists() && !info.isFile()) {
        result.error = info.isDir() ? QStringLiteral("a folder is in its place")
                                    : QStringLiteral("something that is no file is in its place");
        return result;
    }
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("its folder cannot be made");
        return result;
    }
    const bool exists = info.exists();
    if (exists && !fileReadable(path_)) {
        result.error = QStringLiteral("the file may not be read");
        return result;
    }
    if (!folderWritable(folder)) {
        openReadOnly(result, QStringLiteral("its folder may not be written"));
        return result;
    }
    if (exists && !fileWritable(path_)) {
        openReadOnly(result, QStringLiteral("the file may not be written"));
        return result;
    }
    if (!lockForWriting()) {
        openReadOnly(result, QStringLiteral("another copy of Vantrel is recording into it"));
        return result;
    }
    const Verdict verdict = inspect();
    if (verdict == Verdict::Unopenable) {
        result.error = error_;
        disconnect();
        unlock();
        return result;
    }
    if (verdict == Verdict::Damaged) {
        if (!replaceDamaged(now, result)) {
            disconnect();
            unlock();
            return result;
        }
    } else if (verdict != Verdict::Usable) {
        disconnect();
        QString word;
        if (verdict == Verdict::Foreign) {
            word = QStringLiteral("foreign");
            result.movedReason = QStringLiteral("is not a Vantrel line history");
        } else {
            word = QStringLiteral("newer");
            result.movedReason = QStringLiteral("was written by a newer version of Vantrel");
        }
        result.movedTo = moveAside(now, word);
        if (result.movedTo.isEmpty()) {
            result.error = error_;
            unlock();
            return result;
        }
    }
    if (!db_.isOpen() && !connect()) {
        result.error = error_;
        disconnect();
        unlock();
        return result;
    }
    if (!setUp(result)) {
        disconnect();
        unlock();
        return result;
    }
    result.ok = true;
    return result;
}

bool HistoryStore::replaceDamaged(const QDateTime &now, OpenResult &result) {
    result.movedReason = QStringLiteral("is damaged");
    // What can still be read goes into a new file beside it first.
    const QString salvaged = path_ + QStringLiteral(".salvage");
    for (const QString &leftover :
         {salvaged, salvaged + QStringLiteral("-journal"), salvaged + QStringLiteral("-wal")})
        QFile::remove(leftover);
    QString kept;
    const bool anyKept = db_.isOpen() && salvage(salvaged, kept);
    disconnect();
    result.movedTo = moveAside(now, QStringLiteral("damaged"));
    if (result.movedTo.isEmpty()) {
        result.error = error_;
        QFile::remove(salvaged);
        return false;
    }
    if (anyKept) {
        if (QFile::rename(salvaged, path_))
            result.kept = kept;
        else
            QFile::remove(salvaged);
    } else {
        QFile::remove(salvaged);
    }
    return true;
}

bool HistoryStore::salvage(const QString &target, QString &kept) {
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return false;
    const int version = q.value(0).toInt();
    q.finish();
    if (version < 1 || version > HistorySchema::Version)
        return false;
    const QString name = connection_ + QStringLiteral("-salvage");
    qint64 samples = 0, summaries = 0, events = 0;
    bool ok = false;
    {
        QSqlDatabase to = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        to.setDatabaseName(target);
        // The new file starts at the damaged one's version, so their columns match; it is
        // brought up to date after the copy.
        if (to.open() && HistorySchema::Migrate(to, 0, version, nullptr) && to.transaction()) {
            for (const QString &table : tablesOf(version)) {
                const qint64 n = copyReadable(db_, to, table);
                if (table == QLatin1String("sample"))
                    samples = n;
                else if (table == QLatin1String("summary"))
                    summaries = n;
                else if (table == QLatin1String("event"))
                    events = n;
            }
            ok =
                to.commit() && HistorySchema::Migrate(to, version, HistorySchema::Version, nullptr);
        }
        to.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok || samples + summaries + events == 0)
        return false;
    kept = count(samples, "sample", "samples") + QStringLiteral(", ") +
           count(summaries, "quarter-hour summary", "quarter-hour summaries") +
           QStringLiteral(" and ") + count(events, "link event", "link events");
    return true;
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
    // Writing found the file damaged: put it aside and go on in a new one, with what of it
    // can still be read.
    const QDateTime now = QDateTime::currentDateTime();
    insertSample_.reset();
    insertEvent_.reset();
    OpenResult result;
    if (!replaceDamaged(now, result) || !connect() || !setUp(result)) {
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
    for (const LineSample &s : samples) {
        q.bindValue(0, s.time);
        q.bindValue(1, s.runStart ? 1 : 0);
        q.bindValue(2, s.link ? QVariant(qint64(*s.link)) : nullInteger());
        q.bindValue(3, s.uptime ? QVariant(*s.uptime) : nullInteger());
        for (int i = 0; i < LineFigureCount; ++i)
            q.bindValue(4 + i, figureValue(s.figures[std::size_t(i)]));
        if (!q.exec()) {
            const Status status = statusOf(q);
            if (batch)
                db_.rollback();
            return status;
        }
    }
    if (batch && !db_.commit()) {
        error_ = db_.lastError().text();
        const bool full = db_.lastError().nativeErrorCode() == kFull;
        db_.rollback();
        return full ? Status::DiskFull : Status::Failed;
    }
    return Status::Ok;
}

HistoryStore::Status HistoryStore::AppendAll(const std::vector<LineSample> &samples) {
    if (!open_ || readOnly_)
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
    if (!open_ || readOnly_)
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
    if (!open_ || readOnly_)
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
    if (!open_ || readOnly_)
        return;
    QSqlQuery q(db_);
    q.exec(
        QStringLiteral("PRAGMA max_page_count = %1").arg(pages > 0 ? pages : qint64(4294967294LL)));
}

} // namespace vantrel::history
