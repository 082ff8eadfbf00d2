#include "monitors/connectionmonitor.h"

#include "core/clock.h"
#include "core/durations.h"
#include "core/linkmodel.h"
#include "core/regional.h"
#include "core/routermodel.h"
#include "monitors/connectionlog.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"

#include <QTimer>

namespace vantrel::monitors {

namespace RouterQuery = ui::RouterQuery;

QString LinkEventLine(const core::LinkEvent &event) {
    using Kind = core::LinkEvent::Kind;
    const QString unknown = QStringLiteral("time unknown");
    const auto duration = [&event, &unknown] {
        return QStringLiteral("  (") +
               (event.ticks         ? core::ElapsedText(*event.ticks)
                : event.timeUnknown ? unknown
                                    : RouterQuery::GetFailed) +
               QLatin1Char(')');
    };
    switch (event.kind) {
    case Kind::Drop:
        return QStringLiteral("Disconnected: ") + core::DateTimeText(event.when) + duration();
    case Kind::Return:
        return QStringLiteral("Reconnected: ") + core::DateTimeText(event.when) + duration();
    case Kind::Blind:
        return QStringLiteral("No answer from the router: ") + core::DateTimeText(event.when) +
               QStringLiteral(" to ") + core::DateTimeText(event.until);
    case Kind::Restart:
        break;
    }
    if (event.timeUnknown)
        return QStringLiteral("Router restarted: ") + unknown;
    return QStringLiteral("Router restarted: ") + core::DateTimeText(event.when) + duration();
}

ConnectionMonitor::ConnectionMonitor(ui::PageContext &context, QTimer *timer, core::LinkModel &link,
                                     ConnectionLog &log)
    : context_(context), link_(link), log_(log) {
    // A tick while the previous poll is still on its way is dropped by the router model.
    connect(timer, &QTimer::timeout, this,
            [this] { context_.Run([this] { Connect_TimerTimer(); }); });
    connect(&context_.Router(), &core::RouterModel::linkPolled, this,
            [this](const core::LinkPoll &poll) { context_.Run([this, &poll] { onPoll(poll); }); });
    connect(&link_, &core::LinkModel::changed, this,
            [this](const core::LinkEvent &event) { logged(event); });
}

void ConnectionMonitor::Connect_TimerTimer() {
    core::ResultHead head;
    head.requester = core::Requester::Monitor;
    head.trigger = core::Trigger::Timer;
    context_.Router().PollLink(link_.NextPoll(), head);
}

const QString ConnectionMonitor::NothingToWatchText =
    QStringLiteral("Unable to monitor the connection: no DSL line or WAN interface was found on "
                   "the router. Choose one with \"Interfaces...\" on the System page.");

void ConnectionMonitor::SwitchedOn() {
    const core::InterfaceMap map = context_.Router().Interfaces();
    if (map.Discovered && !map.Discovered->LinkInterface())
        nothingToWatch();
}

void ConnectionMonitor::nothingToWatch() {
    if (SwitchOff)
        SwitchOff();
    context_.Prompt().Message(QStringLiteral("Vantrel"), NothingToWatchText);
}

void ConnectionMonitor::onPoll(const core::LinkPoll &poll) {
    if (poll.nothingToWatch) {
        nothingToWatch();
        return;
    }
    const core::Outcome &outcome = poll.head.outcome;
    if (!poll.answered && !outcome.cancelled) {
        context_.SetStatus(RouterQuery::ErrorText);
        if (!outcome.failure.empty())
            context_.SetStatusReason(QString::fromStdString(outcome.failure));
        // A v3 refusal is logged once, until the router answers again or refuses otherwise.
        if (core::IsRefusal(outcome.failureKind) && outcome.failureKind != refusal_) {
            log_.AppendLine(QStringLiteral("Refused: ") +
                            core::DateTimeText(context_.Clock().Now()) + QStringLiteral("  (") +
                            QString::fromStdString(outcome.failure) + QLatin1Char(')'));
            log_.SetUnsaved(true);
        }
        refusal_ = outcome.failureKind;
    } else if (poll.answered) {
        refusal_ = core::LinkFailure::None;
    }
    link_.Take(poll);
}

void ConnectionMonitor::logged(const core::LinkEvent &event) {
    const bool change =
        event.kind == core::LinkEvent::Kind::Drop || event.kind == core::LinkEvent::Kind::Return;
    if (change && !event.ticks && !event.timeUnknown)
        RouterQuery::ReportFailure(context_);
    log_.AppendLine(LinkEventLine(event));
    log_.SetUnsaved(true);
}

} // namespace vantrel::monitors
