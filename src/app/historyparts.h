#pragma once

#include "app/settingsstore.h"
#include "core/historystore.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;

namespace vantrel::core {
class HistoryService;
}

namespace vantrel::monitors {
class Alerts;
class ConnectionMonitor;
class Recorder;
} // namespace vantrel::monitors

namespace vantrel::app {

class AlertsDialog;
class DesktopNotifier;
class HistoryWindow;
class MainForm;
class MetricsDialog;
class MetricsServer;
class Notifier;

// The line history as the window has it: the menu Options > "Line history", the history file
// and its recorder, the alerts, the metrics endpoint, the history window and the two dialogs,
// and their stored settings (section "Line history").
class HistoryParts : public QObject, public SettingsPart {
    Q_OBJECT
public:
    // path: the history file (DefaultPath() when empty). downloadOnly: the Quota page's choice.
    HistoryParts(MainForm &form, monitors::ConnectionMonitor &connection,
                 std::function<bool()> downloadOnly, const QString &path = QString());
    ~HistoryParts() override;

    // $XDG_DATA_HOME/vantrel/history.sqlite
    static QString DefaultPath();

    // Opens the history window (made on first use, on a range that fits the data).
    void ShowHistory();
    // The router's description as the System page shows it, named on the history's exports.
    std::function<QString()> RouterDescription;
    void OpenAlertsDialog();
    void OpenMetricsDialog();
    // While the target is edited no sample is taken.
    void SetTargetEditing(bool editing);
    // Where alerts go (tests put a list here); the desktop when not set.
    void SetNotifier(Notifier *notifier);

    core::HistoryService &Service() { return *service_; }
    monitors::Recorder &Recorder() { return *recorder_; }
    monitors::Alerts &Alerts() { return *alerts_; }
    MetricsServer &Metrics() { return *metrics_; }
    // The window and the dialogs while they exist.
    HistoryWindow *Window() const;
    AlertsDialog *OpenAlerts() const;
    MetricsDialog *OpenMetrics() const;
    QMenu *Menu() const { return menu_; }
    // Why nothing is recorded, as the lasting notice in the status bar tells it ("" while the
    // history records).
    QString Notice() const;

    void ApplySettings(const core::SettingsFile::LoadResult &loaded) override;
    void CollectSettings(core::SettingsValues &values) override;

private:
    void buildMenu();
    void opened(const core::HistoryStore::OpenResult &result);
    void tellMoved(const core::HistoryStore::OpenResult &result);
    // reason: why nothing is recorded ("" while it records); shown: the file is open to read.
    void showNotice(const QString &reason, bool shown);
    void serveMetrics(bool serve, const QString &address, int port, bool fromDialog);
    QByteArray metricsText() const;

    MainForm &form_;
    std::function<bool()> downloadOnly_;
    std::unique_ptr<core::HistoryService> service_;
    std::unique_ptr<monitors::Recorder> recorder_;
    std::unique_ptr<monitors::Alerts> alerts_;
    std::unique_ptr<DesktopNotifier> desktop_;
    MetricsServer *metrics_;
    QMenu *menu_ = nullptr;
    QAction *record_ = nullptr;
    QLabel *notice_ = nullptr;
    QString noticeText_;
    QPointer<HistoryWindow> window_;
    QPointer<AlertsDialog> alertsDialog_;
    QPointer<MetricsDialog> metricsDialog_;
    // The endpoint as chosen (it may not be listening when its port was taken).
    bool serve_ = false;
    QString metricsAddress_ = QStringLiteral("127.0.0.1");
    int metricsPort_;
};

} // namespace vantrel::app
