#pragma once

#include "core/queries.h"
#include "core/results.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace vantrel::core {

// What happened to the WAN link, as the connection monitor's polls saw it.
struct LinkEvent {
    enum class Kind {
        Drop,    // the link went down
        Return,  // the link came back
        Blind,   // polls got no answer from when to until (told once answers come again)
        Restart, // the router's uptime went back meanwhile: it restarted at when
    };
    Kind kind = Kind::Drop;
    QDateTime when;  // Restart: invalid when the time is unknown
    QDateTime until; // Blind only
    // Drop and Return: how long the state that ended lasted, in sysUpTime ticks (nothing when
    // the uptime got no answer); Restart: the router's uptime since the restart.
    std::optional<std::int64_t> ticks;
    // Restart: the uptime puts the restart outside the time since the last good reading, so its
    // time is unknown. Drop and Return: a restart (or an uptime that went back) lies within the
    // state that ended, so no duration can be given.
    bool timeUnknown = false;
};

// Tells a restart of the router from its uptime readings: a restart is an uptime that fell and
// then rose from there as the time that passed says; one that fell (or leapt ahead) and then
// carries on the old series was a glitch, and an uptime passing 2^32 ticks (497 days) is no
// restart. The time a restart is told at is unknown when the uptime puts it outside the span
// from the last good reading to the fall.
class RestartWatch {
public:
    struct Fit {
        enum Kind {
            Series,    // carries on the series
            Off,       // off the series: the next reading tells what it was
            Carried,   // a new series from an uptime that leapt ahead: no restart
            Restarted, // a new series from an uptime that fell: the router restarted
        } kind = Series;
        bool droppedOff = false;          // an off reading before this one was no new series
        std::optional<QDateTime> restart; // Restarted: when, where known
    };
    Fit Observe(std::int64_t ticks, const QDateTime &at);
    // An off reading waits for the next one.
    bool Waiting() const { return off_.has_value(); }
    void Reset() { good_.reset(), off_.reset(); }

private:
    struct Mark {
        std::int64_t ticks = 0;
        QDateTime at;
    };
    std::optional<Mark> good_; // the last uptime of the series
    std::optional<Mark> off_;  // an uptime off it, until the next one tells
};

// The WAN link as the connection monitor follows it: up or down, and the drops, returns,
// restarts and stretches without answer that its polls reveal. Every duration is taken from
// the router's own uptime, measured from the last change, and a stretch nobody could see is
// told before anything seen after it. A restart is told once the uptime has fallen and then
// risen from there as the time that passed says (an uptime that jumps back and forth is no
// restart), and no duration spans one.
class LinkModel : public QObject {
    Q_OBJECT
public:
    explicit LinkModel(QObject *parent = nullptr) : QObject(parent) {}

    bool Up() const { return up_; }
    // The request the next poll makes: it reads the uptime on a change and after a blind
    // stretch.
    LinkPollRequest NextPoll() const;
    // One poll's answer. Emits what it reveals, in order; an uptime that is no number ends it
    // there with that conversion error (thrown after what came before was emitted).
    void Take(const LinkPoll &poll);

    // The time from start to now in ticks; a router that restarted since start (its uptime is
    // now the smaller) gives its uptime.
    static std::int64_t TicksSince(std::int64_t start, std::int64_t now);

signals:
    void changed(const vantrel::core::LinkEvent &event);

private:
    // Whether the uptime went off the series the durations count in.
    bool observe(std::int64_t ticks, const QDateTime &at);
    void change(bool up, const LinkPoll &poll, bool off);

    bool up_ = true;
    // The sysUpTime of the last change (0 until one: the router's uptime); nothing when a
    // restart of unknown time lies since.
    std::optional<std::int64_t> lastChange_ = 0;
    RestartWatch restarts_;
    std::optional<std::int64_t> offChange_; // a change's uptime while an off uptime waits
    QDateTime blindFrom_;                   // polls without answer since the last answer
    QDateTime blindTo_;
};

} // namespace vantrel::core
