#pragma once

#include "core/results.h"

#include <QObject>
#include <QString>

class QAction;
class QLabel;
class QTimer;
class QWidget;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::monitors {

// Keeps the System page's uptime current while that page shows, and switches itself off when
// the router stops answering.
class RouterStatusMonitor : public QObject {
    Q_OBJECT
public:
    RouterStatusMonitor(ui::PageContext &context, QTimer *timer, QAction *toggle,
                        QWidget *systemPage, QLabel *uptime);
    void RouterStatus_TimerTimer();

private:
    void onUptime(const core::UptimeReading &reading);

    ui::PageContext &context_;
    QTimer *timer_;
    QAction *toggle_;
    QWidget *systemPage_;
    QLabel *uptime_;
};

} // namespace vantrel::monitors
