#pragma once
// The line history file: samples at full resolution for 31 days, quarter-hour summaries
// (minimum, average, maximum) for two years, and the link's drops, returns and restarts. One
// store is used from one thread only; HistoryService runs it off the window's thread.

#include "history/historysample.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QSqlQuery;

namespace vantrel::history {

// What a graph asks for: the figures of a time range reduced to one column per pixel.
struct ChartRequest {
    qint64 from = 0; // seconds since 1970, UTC; the range is [from, to)
    qint64 to = 0;
    int columns = 1;
    std::vector<LineFigure> figures;
    qint64 now = 0; // an outage without return ends here
};

struct ChartColumn {
    int samples = 0;          // rows that fell into the column (samples or summaries)
    bool breakBefore = false; // its first row starts a run: no line comes in from the left
};

// At most one minimum and one maximum per figure and column.
struct ChartData {
    ChartRequest request;
    std::vector<ChartColumn> columns;
    std::vector<double> lo; // figure index * columns + column; NaN where there is none
    std::vector<double> hi;
    std::vector<Outage> outages; // overlapping the range, in time order
    std::vector<qint64> restarts;
    qint64 rows = 0; // samples and summaries read

    double Lo(std::size_t figure, int column) const;
    double Hi(std::size_t figure, int column) const;
};

class HistoryStore {
public:
    // Samples older than this are summed up and removed; summaries and events older than
    // KeepSecs are removed.
    static constexpr qint64 FullResolutionSecs = 31 * 86400;
    static constexpr qint64 KeepSecs = 730 * 86400;

    enum class Status { Ok, DiskFull, Failed, NotOpen };

    struct OpenResult {
        bool ok = false;
        bool created = false; // a new file was started
        QString movedTo;      // where a damaged or foreign file was put aside
        QString movedReason;  // why, for the user
        QString kept;         // what of a damaged file could be read and was kept, for the user
        QString error;        // why the file could not be opened at all
        // Opened for reading only (ok is true): the history is shown, nothing is recorded.
        bool readOnly = false;
        QString readOnlyReason;
    };

    explicit HistoryStore(QString path);
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    const QString &Path() const { return path_; }

    // Opens the file, creating or migrating it. A file that is damaged, is another program's,
    // or was written by a newer version is renamed aside with now's date in its name and a new
    // one is started; what of a damaged file can still be read is copied into the new one
    // first. A file that cannot be written (its folder is read-only, or another copy of the
    // program records into it) is opened for reading only.
    OpenResult Open(const QDateTime &now);
    void Close();
    bool IsOpen() const { return open_; }
    bool IsReadOnly() const { return readOnly_; }
    int Version();

    // Writing to a file open for reading only gives NotOpen.
    Status Append(const LineSample &sample);
    // Many samples in one transaction (generated histories).
    Status AppendAll(const std::vector<LineSample> &samples);
    Status AddEvent(const LineEvent &event);
    // A damaged file found while writing is put aside and replaced; here is the notice of it,
    // once.
    std::optional<OpenResult> TakeMovedNotice();

    // Sums up the quarters that are complete at now and removes what is past keeping, at most
    // about maxRows rows per call; true when there is more to do.
    bool Maintain(qint64 now, int maxRows = 20000);

    ChartData Chart(const ChartRequest &request);
    // Rows of [from, to): the samples, and the summaries of quarters no sample is left of.
    std::vector<HistoryRow> Rows(qint64 from, qint64 to);
    std::vector<LineEvent> Events(qint64 from, qint64 to);
    std::vector<Outage> Outages(qint64 from, qint64 to, qint64 now);

    // The sample that arrived last, and the last drop or return stored.
    std::optional<LineSample> LastSample();
    std::optional<LineEvent> LastLinkEvent();
    qint64 SampleCount();
    qint64 SummaryCount();
    qint64 EventCount();

    // Caps the file at this many pages (0: no cap), the way a full disk stops it.
    void LimitPages(qint64 pages);
    QString LastError() const { return error_; }

private:
    enum class Verdict { Usable, Damaged, Foreign, Newer, Unopenable };
    Verdict inspect();
    bool connect(bool readOnly = false, bool immutable = false);
    void disconnect();
    bool setUp(OpenResult &result);
    bool openReadOnly(OpenResult &result, const QString &reason);
    QString moveAside(const QDateTime &now, const QString &word);
    // Puts a damaged file aside and starts a new one holding what of it can still be read.
    bool replaceDamaged(const QDateTime &now, OpenResult &result);
    bool salvage(const QString &target, QString &kept);
    bool lockForWriting();
    void unlock();
    Status statusOf(const QSqlQuery &query);
    Status write(const std::vector<LineSample> &samples);
    bool recover();
    qint64 scalar(const QString &sql, qint64 def = 0);
    qint64 folded();
    int fold(qint64 now, int maxRows);
    int prune(qint64 now, int maxRows);

    QString path_;
    QString connection_;
    QSqlDatabase db_;
    std::unique_ptr<QSqlQuery> insertSample_;
    std::unique_ptr<QSqlQuery> insertEvent_;
    bool open_ = false;
    bool readOnly_ = false;
    int lockFd_ = -1; // held while this store records into the file
    QString error_;
    std::optional<OpenResult> movedNotice_;
};

} // namespace vantrel::history
