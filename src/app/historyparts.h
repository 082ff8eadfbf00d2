#pragma once

#include "core/settings.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QMenu;

namespace vantrel::core {
class LinkModel;
class QuotaModel;
} // namespace vantrel::core

namespace vantrel::history {
class HistoryService;
}

namespace vantrel::monitors {
class Alerts;
class ConnectionMonitor;
class DesktopNotifier;
class Notifier;
class Recorder;
} // namespace vantrel::monitors

namespace vantrel::historyview {
class AlertsDialog;
class HistoryWindow;
class MetricsDialog;
} // namespace vantrel::historyview

namespace vantrel::app {

class MainForm;
class MetricsServer;

// The line history as the window has it: the menu Options > "Line history", the history file
// and its recorder, the alerts, the metrics endpoint, the history window and the two dialogs,
// and their stored settings (section "Line history").
class HistoryParts : public QObject {
    Q_OBJECT
public:
    // path: the history file (DefaultPath() when empty).
    HistoryParts(MainForm &form, const core::LinkModel &link, const core::QuotaModel &quota,
                 const QString &path = QString());
    ~HistoryParts() override;

    // $XDG_DATA_HOME/vantrel/history.sqlite
    static QString DefaultPath();

    // Opens the history window (made on first use) on the last 24 hours.
    void ShowHistory();
    void OpenAlertsDialog();
    void OpenMetricsDialog();
    // While the target is edited no sample is taken.
    void SetTargetEditing(bool editing);
    // Where alerts go (tests put a list here); the desktop when not set.
    void SetNotifier(monitors::Notifier *notifier);

    history::HistoryService &Service() { return *service_; }
    monitors::Recorder &Recorder() { return *recorder_; }
    monitors::Alerts &Alerts() { return *alerts_; }
    MetricsServer &Metrics() { return *metrics_; }
    // The window and the dialogs while they exist.
    historyview::HistoryWindow *Window() const;
    historyview::AlertsDialog *OpenAlerts() const;
    historyview::MetricsDialog *OpenMetrics() const;
    QMenu *Menu() const { return menu_; }

    // What the settings load read of the line history, and what the save writes.
    void ApplySettings(const core::SettingsFile::LoadResult &loaded);
    void CollectSettings(core::SettingsValues &values);

private:
    void buildMenu();
    void opened(bool ok, const QString &error, const QString &movedTo, const QString &reason);
    void serveMetrics(bool serve, const QString &address, int port, bool fromDialog);
    QByteArray metricsText() const;

    MainForm &form_;
    const core::QuotaModel &quota_;
    std::unique_ptr<history::HistoryService> service_;
    std::unique_ptr<monitors::Recorder> recorder_;
    std::unique_ptr<monitors::Alerts> alerts_;
    std::unique_ptr<monitors::DesktopNotifier> desktop_;
    MetricsServer *metrics_;
    QMenu *menu_ = nullptr;
    QAction *record_ = nullptr;
    QPointer<historyview::HistoryWindow> window_;
    QPointer<historyview::AlertsDialog> alertsDialog_;
    QPointer<historyview::MetricsDialog> metricsDialog_;
    // The endpoint as chosen (it may not be listening when its port was taken).
    bool serve_ = false;
    QString metricsAddress_ = QStringLiteral("127.0.0.1");
    int metricsPort_;
};

} // namespace vantrel::app
