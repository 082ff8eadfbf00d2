#pragma once

#include "core/settings.h"
#include "history/historystore.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAction;
class QLabel;
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

    // Opens the history window (made on first use, on a range that fits the data).
    void ShowHistory();
    // The router's description, named on the history's exports.
    std::function<QString()> RouterDescription;
    void OpenAlertsDialog();
    void OpenMetricsDialog();
    // A new sample was stored: the window shows it.
    void SampleStored();
    // The history file was opened (or not): a file put aside is told in a box, a history that
    // records nothing in a lasting notice in the status bar.
    void Opened(const history::HistoryStore::OpenResult &result);
    // The file was found damaged while writing and put aside.
    void TellMoved(const history::HistoryStore::OpenResult &result);
    // Why nothing is recorded, as the lasting notice tells it ("" while the history records).
    QString Notice() const;

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
    // reason: why nothing is recorded ("" while it records); shown: the file is open to read.
    void showNotice(const QString &reason, bool shown);
    void serveMetrics(bool serve, const QString &address, int port, bool fromDialog);

    MainForm &form_;
    history::HistoryService &service_;
    monitors::Recorder &recorder_;
    monitors::Alerts &alerts_;
    MetricsServer &metrics_;
    QMenu *menu_ = nullptr;
    QAction *record_ = nullptr;
    QLabel *notice_ = nullptr;
    QString noticeText_;
    QPointer<historyview::HistoryWindow> window_;
    QPointer<historyview::AlertsDialog> alertsDialog_;
    QPointer<historyview::MetricsDialog> metricsDialog_;
    // The endpoint as chosen (it may not be listening when its port was taken).
    bool serve_ = false;
    QString metricsAddress_ = QStringLiteral("127.0.0.1");
    int metricsPort_;
};

} // namespace vantrel::app
