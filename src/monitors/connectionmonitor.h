#pragma once

#include "core/results.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

class QTimer;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::monitors {

// Polls the WAN link and logs each drop and return in the connection log, with the date and
// time and how long the state that just ended lasted. A stretch of polls without answer is
// logged when answers come back, so a duration is never taken for an outage that nobody saw.
class ConnectionMonitor : public QObject {
    Q_OBJECT
public:
    ConnectionMonitor(ui::PageContext &context, QTimer *timer);

    // One poll: the WAN link's status, and the uptime when the state changes.
    void Connect_TimerTimer();

    bool WanLinkUp() const { return linkUp_; }
    // The sysUpTime of the last logged change ("0" until the first one).
    const std::string &LastChangeUptime() const { return lastChange_; }

    // The time from start to now (sysUpTime ticks as decimal text) as DD:HH:MM:SS. A router
    // that restarted since start (its uptime is now the smaller) gives its uptime. A text that
    // is not a number throws ConvertError.
    static QString ElapsedUptimeText(const std::string &start, const std::string &now);

signals:
    // A line was written to the log (the history and the alerts hear of drops and returns).
    void linkChanged(bool up, const QDateTime &when, const QString &line);

private:
    void onPoll(const core::LinkPoll &poll);
    void logChange(const char *what, bool up, const core::LinkPoll &poll);

    ui::PageContext &context_;
    bool linkUp_ = true;
    std::string lastChange_ = "0";
    std::optional<std::int64_t> lastUptime_; // the last uptime read, to see a restart
    // Polls without answer since the last answer.
    QDateTime blindFrom_;
    QDateTime blindTo_;
};

} // namespace vantrel::monitors
