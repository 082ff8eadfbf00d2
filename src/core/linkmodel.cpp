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
    request.afterBlind = blindFrom_.isValid() || restarts_.Waiting();
    return request;
}

std::int64_t LinkModel::TicksSince(std::int64_t start, std::int64_t now) {
    // An uptime below the start means the router restarted (or its 32-bit tick count wrapped)
    // since then: the time since that restart is all that can be known.
    const std::int64_t from = std::max<std::int64_t>(start, 0);
    return now < from ? now : now - from;
}

RestartWatch::Fit RestartWatch::Observe(std::int64_t ticks, const QDateTime &at) {
    const auto from = [&](const Mark &m) { return carriesOn(m.ticks, m.at, ticks, at); };
    Fit fit;
    fit.droppedOff = off_.has_value();
    if (!good_ || from(*good_)) {
        good_ = Mark{ticks, at};
        off_.reset();
        return fit;
    }
    if (!off_ || !from(*off_)) {
        off_ = Mark{ticks, at};
        fit.kind = Fit::Off;
        return fit;
    }
    // A new series carries on from the off uptime. When it fell, the router restarted: at the
    // time its uptime then gives, when that lies between the last good reading and the fall.
    fit.droppedOff = false;
    const Mark was = *good_;
    const Mark off = *off_;
    good_ = Mark{ticks, at};
    off_.reset();
    if (off.ticks >= was.ticks) {
        fit.kind = Fit::Carried;
        return fit;
    }
    fit.kind = Fit::Restarted;
    const QDateTime when = off.at.addMSecs(-off.ticks * 10);
    if (when >= was.at && when <= off.at)
        fit.restart = when;
    return fit;
}

bool LinkModel::observe(std::int64_t ticks, const QDateTime &at) {
    const RestartWatch::Fit fit = restarts_.Observe(ticks, at);
    // A change told while an off uptime waited has no uptime to measure the next one from,
    // unless that uptime began the new series.
    if (fit.droppedOff && offChange_)
        lastChange_.reset();
    if (fit.kind == RestartWatch::Fit::Series || fit.kind == RestartWatch::Fit::Off) {
        offChange_.reset();
        return fit.kind == RestartWatch::Fit::Off;
    }
    const bool known = fit.restart.has_value();
    if (offChange_)
        lastChange_ = offChange_;
    else if (fit.kind == RestartWatch::Fit::Restarted && known)
        lastChange_ = 0; // durations count from the restart
    else
        lastChange_.reset();
    offChange_.reset();
    if (fit.kind == RestartWatch::Fit::Restarted) {
        LinkEvent restart;
        restart.kind = LinkEvent::Kind::Restart;
        if (known) {
            restart.when = *fit.restart;
            restart.ticks = ticks;
        } else {
            restart.timeUnknown = true;
        }
        emit changed(restart);
    }
    return false;
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
    const bool off = poll.uptime && observe(*poll.uptime, poll.head.readAt);
    if (change)
        this->change(poll.status == LinkState::Up, poll, off);
}

void LinkModel::change(bool up, const LinkPoll &poll, bool off) {
    LinkEvent event;
    event.kind = up ? LinkEvent::Kind::Return : LinkEvent::Kind::Drop;
    event.when = poll.head.readAt;
    if (poll.uptime) {
        const std::int64_t now = *poll.uptime;
        if (off || !lastChange_) {
            // The uptime went back, or a restart of unknown time lies since the last change.
            event.timeUnknown = true;
        } else {
            // Within one series: modulo the wrap of the tick count.
            event.ticks = (now - *lastChange_ + kWrapTicks) % kWrapTicks;
        }
        if (off)
            offChange_ = now;
        else
            lastChange_ = now;
    } else {
        // Without an uptime for it, the next one gives the router's uptime rather than a
        // figure that spans two states.
        lastChange_ = 0;
    }
    up_ = up;
    emit changed(event);
}

} // namespace vantrel::core
