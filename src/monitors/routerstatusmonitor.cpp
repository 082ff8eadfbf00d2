#include "monitors/routerstatusmonitor.h"

#include "app/pagecontext.h"
#include "app/prompter.h"
#include "app/routerquery.h"
#include "app/widgets.h"
#include "core/routermodel.h"
#include "snmp/uptime.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

namespace vantrel::monitors {

namespace RouterQuery = app::RouterQuery;

namespace {
const QString kKey = QStringLiteral("monitor:uptime");
} // namespace

RouterStatusMonitor::RouterStatusMonitor(app::PageContext &context, QTimer *timer, QAction *toggle,
                                         QWidget *systemPage, QLabel *uptime)
    : context_(context), timer_(timer), toggle_(toggle), systemPage_(systemPage), uptime_(uptime) {
    connect(timer_, &QTimer::timeout, this,
            [this] { context_.Run([this] { RouterStatus_TimerTimer(); }); });
    connect(&context_.Router(), &core::RouterModel::uptimeRead, this,
            [this](const QString &key, const core::UptimeReading &reading) {
                if (key == kKey)
                    context_.Run([this, &reading] { onUptime(reading); });
            });
}

void RouterStatusMonitor::RouterStatus_TimerTimer() {
    if (!context_.IsActivePage(systemPage_))
        return;
    core::ResultHead head;
    head.requester = core::Requester::Monitor;
    head.trigger = core::Trigger::Timer;
    context_.Router().ReadUptime(kKey, head);
}

void RouterStatusMonitor::onUptime(const core::UptimeReading &reading) {
    if (reading.head.outcome.cancelled)
        return;
    if (reading.ticks) {
        uptime_->setText(QString::fromStdString(snmp::UptimeText(*reading.ticks)));
        app::SetStale(uptime_, false);
        return;
    }
    // The router stopped answering: the monitor switches itself off until the user turns it on.
    uptime_->setText(RouterQuery::GetFailed);
    app::SetStale(uptime_, false);
    context_.SetStatus(RouterQuery::ErrorText);
    app::SetTimerEnabled(timer_, false);
    toggle_->setChecked(false);
    context_.Prompt().Beep();
}

} // namespace vantrel::monitors
