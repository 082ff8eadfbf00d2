#include "monitors/connectionmonitor.h"

#include "core/convert.h"
#include "core/durations.h"
#include "core/regional.h"
#include "core/routermodel.h"
#include "monitors/connectionlog.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"

#include <QTimer>

namespace vantrel::monitors {

namespace RouterQuery = ui::RouterQuery;

ConnectionMonitor::ConnectionMonitor(ui::PageContext &context, QTimer *timer) : context_(context) {
    // A tick while the previous poll is still on its way is dropped by the router model.
    connect(timer, &QTimer::timeout, this,
            [this] { context_.Run([this] { Connect_TimerTimer(); }); });
    connect(&context_.Router(), &core::RouterModel::linkPolled, this,
            [this](const core::LinkPoll &poll) { context_.Run([this, &poll] { onPoll(poll); }); });
}

void ConnectionMonitor::Connect_TimerTimer() {
    core::LinkPollRequest request;
    request.linkUp = linkUp_;
    request.afterBlind = blindFrom_.isValid();
    core::ResultHead head;
    head.requester = core::Requester::Monitor;
    head.trigger = core::Trigger::Timer;
    context_.Router().PollLink(request, head);
}

void ConnectionMonitor::onPoll(const core::LinkPoll &poll) {
    if (poll.head.outcome.cancelled)
        return;
    if (!poll.answered) {
        // The state stays as it was; the blind stretch is logged when answers return.
        context_.SetStatus(RouterQuery::ErrorText);
        if (!blindFrom_.isValid())
            blindFrom_ = poll.head.readAt;
        blindTo_ = poll.head.readAt;
        return;
    }
    monitors::ConnectionLog &log = context_.Log();
    if (blindFrom_.isValid()) {
        log.AppendLine(QStringLiteral("No answer from the router: ") +
                       core::DateTimeText(blindFrom_) + QStringLiteral(" to ") +
                       core::DateTimeText(blindTo_));
        log.SetUnsaved(true);
        blindFrom_ = blindTo_ = QDateTime();
        // Its uptime went back: the router restarted while nobody could see it.
        if (!poll.uptimeError.empty())
            throw core::ConvertError(poll.uptimeError);
        if (poll.uptime) {
            const std::int64_t now = *poll.uptime;
            if (lastUptime_ && now < *lastUptime_) {
                log.AppendLine(QStringLiteral("Router restarted: ") +
                               core::DateTimeText(poll.head.readAt.addMSecs(-now * 10)) +
                               QStringLiteral("  (") + core::ElapsedText(now) + QLatin1Char(')'));
                lastChange_ = "0";
            }
            lastUptime_ = now;
        }
    }
    if (poll.status == core::LinkState::Down && linkUp_)
        logChange("Disconnected: ", false, poll);
    else if (poll.status == core::LinkState::Up && !linkUp_)
        logChange("Reconnected: ", true, poll);
}

void ConnectionMonitor::logChange(const char *what, bool up, const core::LinkPoll &poll) {
    const QString when = core::DateTimeText(poll.head.readAt);
    QString elapsed;
    // A reply that is not a number ends the poll here, before anything is written.
    if (!poll.uptimeError.empty())
        throw core::ConvertError(poll.uptimeError);
    if (poll.uptime) {
        elapsed = ElapsedUptimeText(lastChange_, std::to_string(*poll.uptime));
    } else {
        elapsed = RouterQuery::GetFailed;
        RouterQuery::ReportFailure(context_);
    }
    const QString line =
        QString::fromLatin1(what) + when + QStringLiteral("  (") + elapsed + QLatin1Char(')');
    monitors::ConnectionLog &log = context_.Log();
    log.AppendLine(line);
    log.SetUnsaved(true);
    linkUp_ = up;
    // The next line measures from this change. Without an uptime for it, the next line shows
    // the router's uptime rather than a figure that spans two states.
    if (poll.uptime) {
        lastChange_ = std::to_string(*poll.uptime);
        lastUptime_ = *poll.uptime;
    } else {
        lastChange_ = "0";
    }
    emit linkChanged(up, poll.head.readAt, line);
}

QString ConnectionMonitor::ElapsedUptimeText(const std::string &start, const std::string &now) {
    const std::int64_t current = core::StrToInt64(now);
    const std::int64_t from = std::max<std::int64_t>(core::StrToInt64(start), 0);
    // An uptime below the start means the router restarted (or its 32-bit tick count wrapped)
    // since then: the time since that restart is all that can be known.
    if (current < from)
        return core::ElapsedText(current);
    return core::ElapsedText(current - from);
}

} // namespace vantrel::monitors
