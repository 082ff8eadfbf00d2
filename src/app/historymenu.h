#pragma once

#include "core/settings.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QMenu;

namespace vantrel::history {
class HistoryService;
}

namespace vantrel::monitors {
class Alerts;
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

// The line history's menu, Options > "Line history": recording and its interval (the
// recorder's), the history window, the alerts' and the metrics' dialogs, and the endpoint as
// chosen. Also what the settings file keeps of them (section "Line history").
class HistoryMenu : public QObject {
    Q_OBJECT
public:
    HistoryMenu(MainForm &form, history::HistoryService &service, monitors::Recorder &recorder,
                monitors::Alerts &alerts, MetricsServer &metrics);
    ~HistoryMenu() override;

    // Opens the history window (made on first use) on the last 24 hours.
    void ShowHistory();
    void OpenAlertsDialog();
    void OpenMetricsDialog();
    // A new sample was stored: the window shows it.
    void SampleStored();

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
    void serveMetrics(bool serve, const QString &address, int port, bool fromDialog);

    MainForm &form_;
    history::HistoryService &service_;
    monitors::Recorder &recorder_;
    monitors::Alerts &alerts_;
    MetricsServer &metrics_;
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
