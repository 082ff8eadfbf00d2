#include "monitors/linkwatch.h"

#include "core/grading.h"
#include "core/linkmodel.h"
#include "core/regional.h"
#include "core/results.h"
#include "core/routermodel.h"

namespace vantrel::monitors {

LinkWatch::LinkWatch(core::LinkModel &link) {
    connect(&link, &core::LinkModel::changed, this, &LinkWatch::onLinkEvent);
}

void LinkWatch::Follow(core::RouterModel &router) {
    connect(&router, &core::RouterModel::linkPolled, this, [this](const core::LinkPoll &poll) {
        if (poll.head.outcome.cancelled)
            return;
        std::optional<bool> up;
        if (poll.status == core::LinkState::Up || poll.status == core::LinkState::Down)
            up = poll.status == core::LinkState::Up;
        TakePoll(poll.head.readAt, poll.answered, up);
    });
}

void LinkWatch::onLinkEvent(const core::LinkEvent &event) {
    using Kind = core::LinkEvent::Kind;
    if (event.kind != Kind::Drop && event.kind != Kind::Return)
        return;
    // The model's time of the change is the one the connection log shows.
    up_ = event.kind == Kind::Return;
    upSince_ = event.when;
    emit changed();
}

void LinkWatch::TakePoll(const QDateTime &when, bool answered, std::optional<bool> up) {
    if (!answered) {
        if (missed_++ == 0)
            silentSince_ = when;
        if (missed_ == 1)
            emit changed();
        if (missed_ == SilentPolls && !toldSilent_) {
            toldSilent_ = true;
            emit silent(silentSince_);
        }
        return;
    }
    const bool wasSilent = missed_ > 0;
    const bool told = toldSilent_;
    const QDateTime since = silentSince_;
    missed_ = 0;
    toldSilent_ = false;
    silentSince_ = QDateTime();
    bool change = wasSilent;
    if (up && up_ != up) {
        up_ = up;
        upSince_ = when;
        change = true;
    }
    if (change)
        emit changed();
    if (told)
        emit answering(since, when);
}

LinkWatch::State LinkWatch::Current() const {
    if (missed_ > 0)
        return State::NoAnswer;
    if (!up_)
        return State::Unknown;
    return *up_ ? State::Up : State::Down;
}

QDateTime LinkWatch::Since() const {
    return missed_ > 0 ? silentSince_ : upSince_;
}

QString LinkWatch::Text() const {
    const QString since = core::DateTimeText(Since().toLocalTime());
    switch (Current()) {
    case State::Up:
        return QStringLiteral("Link up since ") + since;
    case State::Down:
        return QStringLiteral("Link down since ") + since;
    case State::NoAnswer:
        return QStringLiteral("No answer from the router since ") + since;
    case State::Unknown:
        break;
    }
    return QString();
}

} // namespace vantrel::monitors
