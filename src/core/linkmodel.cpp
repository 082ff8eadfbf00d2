#include "core/linkmodel.h"

#include "core/convert.h"

#include <algorithm>

namespace vantrel::core {

LinkPollRequest LinkModel::NextPoll() const {
    LinkPollRequest request;
    request.linkUp = up_;
    request.afterBlind = blindFrom_.isValid();
    return request;
}

std::int64_t LinkModel::TicksSince(std::int64_t start, std::int64_t now) {
    // An uptime below the start means the router restarted (or its 32-bit tick count wrapped)
    // since then: the time since that restart is all that can be known.
    const std::int64_t from = std::max<std::int64_t>(start, 0);
    return now < from ? now : now - from;
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
    if (blindFrom_.isValid()) {
        LinkEvent blind;
        blind.kind = LinkEvent::Kind::Blind;
        blind.when = blindFrom_;
        blind.until = blindTo_;
        blindFrom_ = blindTo_ = QDateTime();
        emit changed(blind);
        if (!poll.uptimeError.empty())
            throw ConvertError(poll.uptimeError);
        // Its uptime went back: the router restarted while nobody could see it.
        if (poll.uptime) {
            const std::int64_t now = *poll.uptime;
            if (lastUptime_ && now < *lastUptime_) {
                LinkEvent restart;
                restart.kind = LinkEvent::Kind::Restart;
                restart.when = poll.head.readAt.addMSecs(-now * 10);
                restart.ticks = now;
                lastChange_ = 0;
                emit changed(restart);
            }
            lastUptime_ = now;
        }
    }
    if (poll.status == LinkState::Down && up_)
        change(false, poll);
    else if (poll.status == LinkState::Up && !up_)
        change(true, poll);
}

void LinkModel::change(bool up, const LinkPoll &poll) {
    // A reply that is not a number ends the poll here, before anything is told.
    if (!poll.uptimeError.empty())
        throw ConvertError(poll.uptimeError);
    LinkEvent event;
    event.kind = up ? LinkEvent::Kind::Return : LinkEvent::Kind::Drop;
    event.when = poll.head.readAt;
    if (poll.uptime)
        event.ticks = TicksSince(lastChange_, *poll.uptime);
    up_ = up;
    // The next change measures from this one. Without an uptime for it, the next one gives
    // the router's uptime rather than a figure that spans two states.
    if (poll.uptime) {
        lastChange_ = *poll.uptime;
        lastUptime_ = *poll.uptime;
    } else {
        lastChange_ = 0;
    }
    emit changed(event);
}

} // namespace vantrel::core
