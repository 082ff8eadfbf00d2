#include "routerstatusmonitor.h"

#include "mainform.h"
#include "routerquery.h"
#include "snmp/snmpsend.h"
#include "snmp/uptime.h"
#include "widgets.h"

#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>

using namespace vantrel::snmp;

namespace {
const char kSysUpTime[] = "1.3.6.1.2.1.1.3.0";
} // namespace

void RouterStatusMonitor::Bind() {
    // Ticks that arrive while the error box of the last tick is open are let pass, so the box
    // does not pile up once per second.
    QObject::connect(form_.Timer("RouterStatus_Timer"), &QTimer::timeout, &form_, [this] {
        if (ticking_)
            return;
        ticking_ = true;
        form_.Run([this] { RouterStatus_TimerTimer(); });
        ticking_ = false;
    });
}

void RouterStatusMonitor::RouterStatus_TimerTimer() {
    QWidget *page = form_.PageControl()->currentWidget();
    if (page == nullptr || page->objectName() != QLatin1String("GenSysInfo"))
        return;
    std::string ticks;
    QLabel *uptime = form_.Label("Uptime_Label");
    if (SnmpGetValue(kSysUpTime, form_.Community(), form_.Host(), ticks,
                     {form_.services().snmpTimeoutMs})) {
        uptime->setText(QString::fromStdString(UptimeText(ticks)));
        return;
    }
    // The router stopped answering: the monitor switches itself off until the user turns it on.
    uptime->setText(RouterQuery::GetFailed);
    form_.SetStatus(RouterQuery::ErrorText);
    SetTimerEnabled(form_.Timer("RouterStatus_Timer"), false);
    form_.Action("Realtimeupdating")->setChecked(false);
    form_.prompter().Beep();
}
