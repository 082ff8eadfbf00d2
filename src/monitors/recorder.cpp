#include "monitors/recorder.h"

#include "core/linkmodel.h"
#include "core/routermodel.h"
#include "history/historyquery.h"
#include "history/historyservice.h"
#include "ui/pagecontext.h"
#include "ui/widgets.h"

#include <QDateTime>
#include <QTimer>
#include <algorithm>

namespace vantrel::monitors {

using history::EventSource;
using history::HistoryStore;
using history::LineEvent;
using history::LineEventKind;
using history::LineSample;

const QString Recorder::PausedText = QStringLiteral(" Line history paused: the disk is full");
const QString Recorder::FailedText =
    QStringLiteral(" Line history paused: the history file cannot be written");
const QString Recorder::ResumedText = QStringLiteral(" Line history recording again");

namespace {

const QString kSampleKey = QStringLiteral("recorder:sample");
// A router whose boot time moved later by more than this restarted while nobody watched (the
// computer's clock may drift a little between runs).
constexpr qint64 kRestartSlackSecs = 600;
// Events kept in memory while the file cannot take them.
constexpr std::size_t kMaxUnstoredEvents = 200;

} // namespace

Recorder::Recorder(ui::PageContext &context, history::HistoryService &history, QTimer *timer)
    : context_(context), history_(history), timer_(timer) {
    timer_->setInterval(interval_ * 1000);
    connect(timer_, &QTimer::timeout, this,
            [this] { context_.Run([this] { History_TimerTimer(); }); });
    updateTimer();
}

void Recorder::updateTimer() {
    ui::SetTimerEnabled(timer_, recording_ && !editing_);
}

void Recorder::SetRecording(bool on) {
    if (on && !recording_)
        needBreak_ = true;
    recording_ = on;
    updateTimer();
}

void Recorder::SetInterval(int seconds) {
    interval_ = std::max(1, seconds);
    timer_->setInterval(interval_ * 1000);
}

void Recorder::SetTargetEditing(bool editing) {
    editing_ = editing;
    updateTimer();
}

void Recorder::History_TimerTimer() {
    if (!recording_ || editing_)
        return;
    core::ResultHead head;
    head.requester = core::Requester::Recorder;
    head.trigger = core::Trigger::Timer;
    // A tick while the last sample is still on its way is dropped by the router model.
    context_.Router().Submit<history::LineReading>(
        kSampleKey, core::RouterModel::JobKind::Poll, head, history::ReadLine,
        [this](history::LineReading &reading) {
            context_.Run([this, &reading] { onReading(reading); });
        });
}

void Recorder::onReading(const history::LineReading &reading) {
    const core::Outcome &outcome = reading.head.outcome;
    // No answer, an odd reply, or a target that changed meanwhile: no sample, and the next
    // one starts a run.
    if (!outcome.Completed()) {
        needBreak_ = true;
        return;
    }
    LineSample s = history::SampleOf(reading, reading.head.readAt.toSecsSinceEpoch());

    if (s.uptime) {
        const qint64 boot = s.time - *s.uptime / 100;
        const QDateTime at = QDateTime::fromSecsSinceEpoch(s.time);
        std::optional<LineEvent> restart;
        if (lastFromEarlierRun_) {
            // Across runs the router's boot time stays put unless it restarted (the uptime
            // fell, or rose by clearly less than the time that passed).
            if (lastUptime_ &&
                (*s.uptime < *lastUptime_ || (lastBoot_ && boot > *lastBoot_ + kRestartSlackSecs)))
                restart =
                    LineEvent{std::max(boot, lastTime_.value_or(boot)), LineEventKind::Restart,
                              EventSource::Recorder, QStringLiteral("Router restarted")};
            restarts_.Reset();
            restarts_.Observe(*s.uptime, at);
        } else {
            // Within a run: an uptime that fell and then rose from there as the time says (one
            // that jumps back and forth is no restart). A sample off the series starts a run.
            const core::RestartWatch::Fit fit = restarts_.Observe(*s.uptime, at);
            if (fit.kind == core::RestartWatch::Fit::Off)
                needBreak_ = true;
            if (fit.kind == core::RestartWatch::Fit::Restarted)
                restart = fit.restart
                              ? LineEvent{fit.restart->toSecsSinceEpoch(), LineEventKind::Restart,
                                          EventSource::Recorder, QStringLiteral("Router restarted")}
                              : LineEvent{lastTime_.value_or(s.time), LineEventKind::Restart,
                                          EventSource::Recorder,
                                          QStringLiteral("Router restarted (time unknown)")};
        }
        if (restart) {
            record(*restart);
            emit lineEvent(*restart, -1);
        }
        lastUptime_ = s.uptime;
        lastBoot_ = boot;
        lastFromEarlierRun_ = false;
    }
    // Samples too far apart (the computer slept) or out of order (the clock was set back)
    // are not joined.
    if (lastTime_) {
        const qint64 apart = s.time - *lastTime_;
        if (apart < 0 || apart * 2 > 5 * qint64(std::max(interval_, lastInterval_)))
            needBreak_ = true;
    }
    const std::optional<core::LinkState> state =
        s.link ? std::optional(core::LinkStateOfCode(*s.link)) : std::nullopt;
    if (state == core::LinkState::Up)
        setLink(true, s.time, EventSource::Recorder, QString());
    else if (state && *state != core::LinkState::Testing) // training is neither up nor a drop
        setLink(false, s.time, EventSource::Recorder, QString());

    const bool lineUp = !state || *state == core::LinkState::Up;
    s.runStart = needBreak_ || !lineUp;
    needBreak_ = !lineUp;
    lastTime_ = s.time;
    lastInterval_ = interval_;
    latest_ = s;
    emit sampleTaken(s);
    store(s);
}

void Recorder::setLink(bool up, qint64 time, EventSource source, const QString &detail) {
    if (linkUp_ && *linkUp_ == up)
        return;
    // Up is what a run starts from; only a link seen down is news.
    if (!linkUp_ && up) {
        linkUp_ = true;
        return;
    }
    qint64 downSeconds = -1;
    if (up && downSince_ && !downSinceEarlierRun_)
        downSeconds = std::max<qint64>(0, time - *downSince_);
    if (up) {
        downSince_.reset();
    } else {
        downSince_ = time;
        downSinceEarlierRun_ = false;
        needBreak_ = true;
    }
    linkUp_ = up;
    const LineEvent event{time, up ? LineEventKind::Return : LineEventKind::Drop, source, detail};
    record(event);
    emit lineEvent(event, downSeconds);
}

void Recorder::LinkChanged(bool up, const QDateTime &when, const QString &line) {
    setLink(up, when.toSecsSinceEpoch(), EventSource::ConnectionMonitor, line);
}

void Recorder::record(const LineEvent &event) {
    if (!recording_)
        return;
    if (paused_) {
        if (unstoredEvents_.size() < kMaxUnstoredEvents)
            unstoredEvents_.push_back(event);
        return;
    }
    history_.Run<HistoryStore::Status>(
        this, [event](HistoryStore &store) { return store.AddEvent(event); },
        [this, event](HistoryStore::Status &status) {
            if (status != HistoryStore::Status::Ok && status != HistoryStore::Status::NotOpen &&
                unstoredEvents_.size() < kMaxUnstoredEvents)
                unstoredEvents_.push_back(event);
        });
}

void Recorder::flushEvents() {
    std::vector<LineEvent> events;
    events.swap(unstoredEvents_);
    for (const LineEvent &e : events)
        history_.Run<HistoryStore::Status>(
            this, [e](HistoryStore &store) { return store.AddEvent(e); },
            [this, e](HistoryStore::Status &status) {
                if (status != HistoryStore::Status::Ok &&
                    unstoredEvents_.size() < kMaxUnstoredEvents)
                    unstoredEvents_.push_back(e);
            });
}

void Recorder::store(const LineSample &sample) {
    history_.Run<HistoryStore::Status>(
        this, [sample](HistoryStore &store) { return store.Append(sample); },
        [this, sample](HistoryStore::Status &status) { stored(status, sample); });
}

void Recorder::stored(HistoryStore::Status status, const LineSample &sample) {
    if (status == HistoryStore::Status::Ok) {
        if (paused_) {
            paused_ = false;
            context_.SetStatus(ResumedText);
        }
        if (!unstoredEvents_.empty())
            flushEvents();
        emit sampleStored(sample);
        return;
    }
    if (status == HistoryStore::Status::NotOpen)
        return;
    // The file takes nothing: reading goes on (the alerts need it) and every sample tries
    // again; the first one that goes in starts a run.
    needBreak_ = true;
    if (!paused_) {
        paused_ = true;
        context_.SetStatus(status == HistoryStore::Status::DiskFull ? PausedText : FailedText);
    }
}

void Recorder::Restore(const std::optional<LineSample> &last,
                       const std::optional<LineEvent> &lastLinkEvent) {
    // What this run has seen already counts for more.
    if (last && !lastTime_) {
        lastTime_ = last->time;
        if (last->uptime) {
            lastUptime_ = last->uptime;
            lastBoot_ = last->time - *last->uptime / 100;
            lastFromEarlierRun_ = true;
        }
    }
    // A link that was down when the program last ran: its return is logged when it is seen,
    // without a length (the program did not see when it came back).
    if (lastLinkEvent && lastLinkEvent->kind == LineEventKind::Drop && !linkUp_) {
        linkUp_ = false;
        downSince_ = lastLinkEvent->time;
        downSinceEarlierRun_ = true;
    }
    needBreak_ = true;
}

} // namespace vantrel::monitors
