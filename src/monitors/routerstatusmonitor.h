#pragma once

#include "core/results.h"

#include <QObject>
#include <QString>

class QTimer;
class QWidget;

namespace vantrel::core {
class RouterInfo;
class SettingsModel;
} // namespace vantrel::core

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::monitors {

// Keeps the router's uptime current while the System page shows, and switches itself off when
// the router stops answering.
class RouterStatusMonitor : public QObject {
    Q_OBJECT
public:
    // systemPage: the page while which shows the monitor polls; settings: where it switches
    // itself off.
    RouterStatusMonitor(ui::PageContext &context, QTimer *timer, core::SettingsModel &settings,
                        const QWidget *systemPage, core::RouterInfo &info);
    void RouterStatus_TimerTimer();

private:
    void onUptime(const core::UptimeReading &reading);

    ui::PageContext &context_;
    QTimer *timer_;
    core::SettingsModel &settings_;
    const QWidget *systemPage_;
    core::RouterInfo &info_;
};

} // namespace vantrel::monitors
