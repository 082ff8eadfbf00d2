#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

class MainForm;

// Polls the WAN link and logs each drop and return in the connection log, with the date and
// time and how long the state that just ended lasted.
class ConnectionMonitor : public QObject {
    Q_OBJECT
public:
    explicit ConnectionMonitor(MainForm &form) : form_(form) {}
    void Bind();
    void Connect_TimerTimer();
    // The Ctrl key in the log marks it modified, so the close offers to save it.
    void LinkLog_MemoKeyDown(int key);

    // The time from start (sysUpTime ticks as decimal text) to the router's sysUpTime now, as
    // DD:HH:MM:SS, or "Get failed" after the error text and a beep. A router that restarted
    // since start (its uptime is now the smaller) gives its uptime. A reply that is not a
    // number throws ConvertError.
    QString ElapsedUptimeText(const std::string &start);
    // The same; current receives the sysUpTime read, or "" when the query failed.
    QString ElapsedUptimeText(const std::string &start, std::string &current);
    // DD:HH:MM:SS of a number of ticks (hundredths of a second).
    static QString ElapsedText(std::int64_t ticks);

    // The sysUpTime of the last logged change ("0" until the first one).
    const std::string &LastChangeUptime() const { return lastChange_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void logChange(const char *what, bool up);

    MainForm &form_;
    std::string lastChange_ = "0";
    bool polling_ = false;
};
