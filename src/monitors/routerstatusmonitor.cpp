#include "monitors/routerstatusmonitor.h"

#include "core/convert.h"
#include "core/routerinfo.h"
#include "core/routermodel.h"
#include "core/settingsmodel.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/widgets.h"

#include <QTimer>

namespace vantrel::monitors {

namespace RouterQuery = ui::RouterQuery;

namespace {
const QString kKey = QStringLiteral("monitor:uptime");
} // namespace

RouterStatusMonitor::RouterStatusMonitor(ui::PageContext &context, QTimer *timer,
                                         core::SettingsModel &settings, const QWidget *systemPage,
                                         core::RouterInfo &info)
    : context_(context), timer_(timer), settings_(settings), systemPage_(systemPage), info_(info) {
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
    if (!reading.head.outcome.conversionError.empty())
        throw core::ConvertError(reading.head.outcome.conversionError);
    if (reading.ticks) {
        info_.TakeUptime(*reading.ticks);
        return;
    }
    // The router stopped answering: the monitor switches itself off until the user turns it on.
    info_.UptimeUnanswered();
    context_.SetStatus(RouterQuery::ErrorText);
    settings_.SetMonitor(core::Monitor::RouterStatus, false);
    context_.Prompt().Beep();
}

} // namespace vantrel::monitors
