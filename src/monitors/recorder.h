#pragma once

#include "core/linkmodel.h"
#include "history/historysample.h"
#include "history/historystore.h"

#include <QObject>
#include <QString>
#include <optional>
#include <vector>

class QDateTime;
class QTimer;

namespace vantrel::history {
class HistoryService;
struct LineReading;
} // namespace vantrel::history

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::monitors {

// Records the line's history: at each tick of its timer it reads what the ADSL page reads, with
// the link status and the router's uptime, and stores it; it stores the link's drops and
// returns (its own and the connection monitor's) and the router's restarts. A sample that is
// not stored right after the one before it (the router did not answer, the link was down, the
// router restarted, the program did not run) starts a new run, so graphs leave a gap there.
class Recorder : public QObject {
    Q_OBJECT
public:
    // timer: History_Timer, whose every tick takes one sample.
    Recorder(ui::PageContext &context, history::HistoryService &history, QTimer *timer);

    QTimer *Timer() const { return timer_; }
    void History_TimerTimer();

    void SetRecording(bool on);
    bool Recording() const { return recording_; }
    void SetInterval(int seconds);
    int Interval() const { return interval_; }
    // While the user edits the router's address or community, no sample is taken.
    void SetTargetEditing(bool editing);

    // A drop or return the connection monitor logged.
    void LinkChanged(bool up, const QDateTime &when, const QString &line);
    // What the file knew when it was opened: the last sample and the last drop or return.
    void Restore(const std::optional<history::LineSample> &last,
                 const std::optional<history::LineEvent> &lastLinkEvent);

    // The file is full (or cannot be written): samples are read but not stored.
    bool Paused() const { return paused_; }
    // The last sample read, stored or not.
    const std::optional<history::LineSample> &Latest() const { return latest_; }
    std::optional<bool> LinkUp() const { return linkUp_; }

    static const QString PausedText;
    static const QString FailedText;
    static const QString ResumedText;

signals:
    void sampleTaken(const vantrel::history::LineSample &sample);
    void sampleStored(const vantrel::history::LineSample &sample);
    // A drop, return or restart; downSeconds: how long the link was down before a return
    // (-1 when not known).
    void lineEvent(const vantrel::history::LineEvent &event, qint64 downSeconds);

private:
    void onReading(const history::LineReading &reading);
    void setLink(bool up, qint64 time, history::EventSource source, const QString &detail);
    void record(const history::LineEvent &event);
    void store(const history::LineSample &sample);
    void stored(history::HistoryStore::Status status, const history::LineSample &sample);
    void flushEvents();
    void updateTimer();

    ui::PageContext &context_;
    history::HistoryService &history_;
    QTimer *timer_;
    bool recording_ = true;
    bool editing_ = false;
    int interval_ = 60;

    bool needBreak_ = true; // the next sample starts a run
    bool paused_ = false;
    std::optional<history::LineSample> latest_;
    std::optional<bool> linkUp_;
    std::optional<qint64> downSince_;
    bool downSinceEarlierRun_ = false;
    std::optional<qint64> lastTime_;
    int lastInterval_ = 60;
    std::optional<qint64> lastUptime_;
    std::optional<qint64> lastBoot_;
    bool lastFromEarlierRun_ = false;
    core::RestartWatch restarts_; // within a run
    std::vector<history::LineEvent> unstoredEvents_;
};

} // namespace vantrel::monitors
