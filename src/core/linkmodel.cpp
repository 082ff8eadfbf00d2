#include "core/linkmodel.h"

#include "core/convert.h"

#include <algorithm>

namespace vantrel::core {

namespace {

constexpr std::int64_t kWrapTicks = 4294967296LL; // sysUpTime passes 2^32 after 497 days

// The ticks the program's clock saw pass from a to b (never below 0).
std::int64_t ticksBetween(const QDateTime &a, const QDateTime &b) {
    return std::max<std::int64_t>(a.msecsTo(b), 0) / 10;
}

// Whether an uptime carries on from an earlier one: it rose by about the time the program's
// clock saw pass (within 30 s and 1 %, or less: the reading's time is taken after the request),
// or passed the top of its 32 bits (after 497 days) by that much.
bool carriesOn(std::int64_t last, const QDateTime &lastAt, std::int64_t now, const QDateTime &at) {
    const std::int64_t passed = ticksBetween(lastAt, at);
    const std::int64_t growth = now >= last ? now - last : now + kWrapTicks - last;
    const std::int64_t tolerance = 3000 + passed / 100;
    return growth <= passed + tolerance && (now >= last || growth >= passed - tolerance);
}

} // namespace

LinkPollRequest LinkModel::NextPoll() const {
    LinkPollRequest request;
    request.linkUp = up_;
    // After a silence, or while an uptime that went back waits for the next one to tell a
    // restart from a glitch, the poll reads the uptime too.
    request.afterBlind = blindFrom_.isValid() || fallen_.has_value();
    return request;
}

std::int64_t LinkModel::TicksSince(std::int64_t start, std::int64_t now) {
    // An uptime below the start means the router restarted (or its 32-bit tick count wrapped)
    // since then: the time since that restart is all that can be known.
    const std::int64_t from = std::max<std::int64_t>(start, 0);
    return now < from ? now : now - from;
}

LinkModel::Fit LinkModel::observe(std::int64_t ticks, const QDateTime &at) {
    const auto from = [&](const Mark &m) { return carriesOn(m.ticks, m.at, ticks, at); };
    if (!good_ || from(*good_)) {
        // The series goes on; an uptime that was off before was a glitch. A change told while
        // it waited has no uptime to measure the next one from.
        if (fallen_ && changedWhileFallen_)
            lastChange_.reset();
        good_ = Mark{ticks, at};
        fallen_.reset();
        changedWhileFallen_ = false;
        return Fit::Series;
    }
    if (!fallen_ || !from(*fallen_)) {
        // Off the series (back, or further on than the time allows): the next uptime tells.
        if (fallen_ && changedWhileFallen_)
            lastChange_.reset();
        fallen_ = Mark{ticks, at};
        changedWhileFallen_ = false;
        return Fit::Fallen;
    }
    // A new series carries on from the uptime that was off. When it went back, the router
    // restarted: at the time its uptime then gives, when that lies between the last good
    // reading and the fall; otherwise that time cannot be trusted.
    const Mark was = *good_;
    const Mark fell = *fallen_;
    const bool restarted = fell.ticks < was.ticks;
    const QDateTime when = fell.at.addMSecs(-fell.ticks * 10);
    const bool known = restarted && when >= was.at && when <= fell.at;
    // Durations count from the restart, or from a change since, in the new series.
    if (changedWhileFallen_)
        lastChange_ = fallenChange_;
    else if (known)
        lastChange_ = 0;
    else
        lastChange_.reset();
    good_ = Mark{ticks, at};
    fallen_.reset();
    changedWhileFallen_ = false;
    if (!restarted)
        return Fit::Series;
    LinkEvent restart;
    restart.kind = LinkEvent::Kind::Restart;
    if (known) {
        restart.when = when;
        restart.ticks = ticks;
    } else {
        restart.timeUnknown = true;
    }
    emit changed(restart);
    return Fit::Restarted;
}

void LinkModel::Take(const LinkPoll &poll) {
    if (poll.head.outcome.cancelled)
        return;
    if (!poll.answered) {
        // The state stays as it was; the blind stretch is told when answers return.
        if (!blindFrom_.isValid())
            blindFrom_ = poll.head.readAt;
        blindTo_ = poll.head.readAt;
        return;
    }
    const bool afterBlind = blindFrom_.isValid();
    if (afterBlind) {
        LinkEvent blind;
        blind.kind = LinkEvent::Kind::Blind;
        blind.when = blindFrom_;
        blind.until = blindTo_;
        blindFrom_ = blindTo_ = QDateTime();
        emit changed(blind);
        if (!poll.uptimeError.empty())
            throw ConvertError(poll.uptimeError);
    }
    const bool change =
        (poll.status == LinkState::Down && up_) || (poll.status == LinkState::Up && !up_);
    // A reply that is not a number ends a change's poll here, before anything is told.
    if (change && !poll.uptimeError.empty())
        throw ConvertError(poll.uptimeError);
    Fit fit = Fit::Series;
    if (poll.uptime)
        fit = observe(*poll.uptime, poll.head.readAt);
    if (change)
        this->change(poll.status == LinkState::Up, poll, fit);
}

void LinkModel::change(bool up, const LinkPoll &poll, Fit fit) {
    LinkEvent event;
    event.kind = up ? LinkEvent::Kind::Return : LinkEvent::Kind::Drop;
    event.when = poll.head.readAt;
    if (poll.uptime) {
        const std::int64_t now = *poll.uptime;
        if (fit == Fit::Fallen || !lastChange_) {
            // The uptime went back, or a restart of unknown time lies since the last change.
            event.timeUnknown = true;
        } else {
            // Within one series: modulo the wrap of the tick count.
            event.ticks = (now - *lastChange_ + kWrapTicks) % kWrapTicks;
        }
        if (fit == Fit::Fallen) {
            changedWhileFallen_ = true;
            fallenChange_ = now;
        } else {
            lastChange_ = now;
        }
    } else {
        // Without an uptime for it, the next one gives the router's uptime rather than a
        // figure that spans two states.
        lastChange_ = 0;
    }
    up_ = up;
    emit changed(event);
}

} // namespace vantrel::core
