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
    QDateTime when;
    QDateTime until; // Blind only
    // Drop and Return: how long the state that ended lasted, in sysUpTime ticks (nothing when
    // the uptime got no answer); Restart: the router's uptime since the restart.
    std::optional<std::int64_t> ticks;
};

// The WAN link as the connection monitor follows it: up or down, and the drops, returns,
// restarts and stretches without answer that its polls reveal. Every duration is taken from
// the router's own uptime, measured from the last change, and a stretch nobody could see is
// told before anything seen after it.
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
    void change(bool up, const LinkPoll &poll);

    bool up_ = true;
    std::int64_t lastChange_ = 0;            // the sysUpTime of the last change (0 until one)
    std::optional<std::int64_t> lastUptime_; // the last uptime read, to see a restart
    QDateTime blindFrom_;                    // polls without answer since the last answer
    QDateTime blindTo_;
};

} // namespace vantrel::core
