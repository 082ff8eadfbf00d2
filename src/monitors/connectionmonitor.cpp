#include "connectionmonitor.h"

#include "core/regional.h"
#include "mainform.h"
#include "routerquery.h"
#include "snmp/convert.h"
#include "snmp/snmpsend.h"
#include "textoutput.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace vantrel::core;

using namespace vantrel::snmp;

namespace {

const char kIfOperStatus[] = "1.3.6.1.2.1.2.2.1.8.";
const char kSysUpTime[] = "1.3.6.1.2.1.1.3.0";

// Clears a flag when the scope ends, also on an exception.
struct FlagGuard {
    explicit FlagGuard(bool &flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    bool &flag_;
};

} // namespace

void ConnectionMonitor::Bind() {
    // A poll whose error box is still open lets the ticks that arrive meanwhile pass, so an
    // unattended window does not pile up one nested box per interval.
    connect(form_.Timer("Connect_Timer"), &QTimer::timeout, this, [this] {
        if (polling_)
            return;
        FlagGuard guard(polling_);
        form_.Run([this] { Connect_TimerTimer(); });
    });
    form_.Memo("LinkLog_Memo")->installEventFilter(this);
}

bool ConnectionMonitor::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        form_.Run([this, key] { LinkLog_MemoKeyDown(key); });
    }
    return QObject::eventFilter(watched, event);
}

void ConnectionMonitor::LinkLog_MemoKeyDown(int key) {
    if (key == Qt::Key_Control)
        form_.LinkLogUnsaved = true;
}

void ConnectionMonitor::Connect_TimerTimer() {
    std::string status;
    if (!SnmpGetValue(kIfOperStatus + form_.Interfaces.WanRow, form_.Community(), form_.Host(),
                      status, {form_.services().snmpTimeoutMs})) {
        form_.SetStatus(RouterQuery::ErrorText);
        return;
    }
    if (status == "2" && form_.WanLinkUp)
        logChange("Disconnected: ", false);
    if (status == "1" && !form_.WanLinkUp)
        logChange("Reconnected: ", true);
}

void ConnectionMonitor::logChange(const char *what, bool up) {
    const QString when = DateTimeText(form_.Now());
    std::string current;
    // A reply that is not a number ends the poll here, before anything is written or changed.
    const QString elapsed = ElapsedUptimeText(lastChange_, current);

    QPlainTextEdit *log = form_.Memo("LinkLog_Memo");
    log->appendPlainText(QString::fromLatin1(what) + when + QStringLiteral("  (") + elapsed +
                         QLatin1Char(')'));
    form_.WanLinkUp = up;
    form_.LinkLogUnsaved = true;
    TextOutput::ScrollMemo(log, TextOutput::ScrollTo::End);
    // The next line measures from this change. Without an uptime for it, the next line shows
    // the router's uptime rather than a figure that spans two states.
    lastChange_ = current.empty() ? std::string("0") : current;
}

QString ConnectionMonitor::ElapsedUptimeText(const std::string &start) {
    std::string current;
    return ElapsedUptimeText(start, current);
}

QString ConnectionMonitor::ElapsedUptimeText(const std::string &start, std::string &current) {
    current.clear();
    std::string reply;
    if (!SnmpGetValue(kSysUpTime, form_.Community(), form_.Host(), reply,
                      {form_.services().snmpTimeoutMs})) {
        form_.SetStatus(RouterQuery::ErrorText);
        form_.prompter().Beep();
        return RouterQuery::GetFailed;
    }
    const std::int64_t now = StrToInt64(reply);
    const std::int64_t from = std::max<std::int64_t>(StrToInt64(start), 0);
    current = std::to_string(now);
    // An uptime below the start means the router restarted (or its 32-bit tick count wrapped)
    // since then: the time since that restart is all that can be known.
    if (now < from)
        return ElapsedText(now);
    return ElapsedText(now - from);
}

QString ConnectionMonitor::ElapsedText(std::int64_t ticks) {
    const std::int64_t d = std::max<std::int64_t>(ticks, 0);
    const std::int64_t days = d / 100 / 60 / 60 / 24;
    const std::int64_t hours = d / 100 / 60 / 60 - 24 * days;
    const std::int64_t minutes = d / 100 / 60 - (1440 * days + 60 * hours);
    const std::int64_t seconds = d / 100 - (86400 * days + 3600 * hours + 60 * minutes);
    // Each field at least two digits; the days as many as they need.
    char text[96];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu:%02llu",
                  static_cast<unsigned long long>(days), static_cast<unsigned long long>(hours),
                  static_cast<unsigned long long>(minutes),
                  static_cast<unsigned long long>(seconds));
    return QString::fromLatin1(text);
}
