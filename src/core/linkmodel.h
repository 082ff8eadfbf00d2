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
    // An uptime read and when.
    struct Mark {
        std::int64_t ticks = 0;
        QDateTime at;
    };
    // Where an uptime stands against the readings before it.
    enum class Fit { Series, Fallen, Restarted };
    Fit observe(std::int64_t ticks, const QDateTime &at);
    void change(bool up, const LinkPoll &poll, Fit fit);

    bool up_ = true;
    // The sysUpTime of the last change (0 until one: the router's uptime); nothing when a
    // restart of unknown time lies since.
    std::optional<std::int64_t> lastChange_ = 0;
    std::optional<Mark> good_;   // the last uptime of the series the durations count in
    std::optional<Mark> fallen_; // an uptime below it, until the next one tells what it was
    std::optional<std::int64_t> fallenChange_; // a change's uptime while fallen_ waits
    bool changedWhileFallen_ = false;
    QDateTime blindFrom_; // polls without answer since the last answer
    QDateTime blindTo_;
};

} // namespace vantrel::core
