#pragma once

#include "core/results.h"

#include <QObject>
#include <QString>
#include <functional>

class QTimer;

namespace vantrel::core {
class LinkModel;
struct LinkEvent;
} // namespace vantrel::core

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::monitors {

class ConnectionLog;

// The line the connection log gets for a change of the link: "Disconnected: <when>  (<how
// long it was up>)", "Reconnected: ...", "No answer from the router: <from> to <until>",
// "Router restarted: <when>  (<its uptime>)"; durations as DD:HH:MM:SS, "Get failed" when the
// uptime got no answer.
QString LinkEventLine(const core::LinkEvent &event);

// Polls the WAN link for the link model, and logs each change the model sees in the connection
// log, with the date and time and how long the state that just ended lasted.
class ConnectionMonitor : public QObject {
    Q_OBJECT
public:
    ConnectionMonitor(ui::PageContext &context, QTimer *timer, core::LinkModel &link,
                      ConnectionLog &log);

    // One poll: the WAN link's status, and the uptime when the state changes.
    void Connect_TimerTimer();
    // "Monitor connection" was checked: a router found by walking that has neither a line nor
    // a WAN interface leaves nothing to watch; the user is told why and SwitchOff called.
    void SwitchedOn();
    std::function<void()> SwitchOff;

    static const QString NothingToWatchText;

private:
    void nothingToWatch();
    void onPoll(const core::LinkPoll &poll);
    void logged(const core::LinkEvent &event);

    ui::PageContext &context_;
    core::LinkModel &link_;
    ConnectionLog &log_;
    core::LinkFailure refusal_ = core::LinkFailure::None; // the refusal logged last
};

} // namespace vantrel::monitors
