#include "app/historymenu.h"

#include "app/mainform.h"
#include "app/metricsserver.h"
#include "history/historyservice.h"
#include "historyview/alertsdialog.h"
#include "historyview/historywindow.h"
#include "historyview/metricsdialog.h"
#include "monitors/alerts.h"
#include "monitors/recorder.h"
#include "ui/prompter.h"
#include "ui/widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QColor>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>

namespace vantrel::app {

using historyview::AlertsDialog;
using historyview::HistoryWindow;
using historyview::MetricsDialog;

namespace {

const char kSection[] = "Line history";

struct IntervalItem {
    const char *name;
    const char *caption;
    int seconds;
};
const IntervalItem kIntervals[] = {
    {"History30s", "30 second sample", 30},
    {"History1m", "1 minute sample", 60},
    {"History5m", "5 minute sample", 300},
    {"History15m", "15 minute sample", 900},
};
constexpr int kDefaultInterval = 60;

QAction *item(QMenu *menu, const char *name, const QString &caption) {
    auto *action = new QAction(caption, menu);
    action->setObjectName(QString::fromLatin1(name));
    menu->addAction(action);
    return action;
}

} // namespace

HistoryMenu::HistoryMenu(MainForm &form, history::HistoryService &service,
                         monitors::Recorder &recorder, monitors::Alerts &alerts,
                         MetricsServer &metrics)
    : form_(form), service_(service), recorder_(recorder), alerts_(alerts), metrics_(metrics),
      metricsPort_(MetricsServer::DefaultPort) {
    buildMenu();
}

HistoryMenu::~HistoryMenu() {
    // The window and dialogs use the history; they go first.
    delete window_.data();
    delete alertsDialog_.data();
    delete metricsDialog_.data();
}

HistoryWindow *HistoryMenu::Window() const {
    return window_.data();
}

AlertsDialog *HistoryMenu::OpenAlerts() const {
    return alertsDialog_.data();
}

MetricsDialog *HistoryMenu::OpenMetrics() const {
    return metricsDialog_.data();
}

void HistoryMenu::buildMenu() {
    menu_ = form_.SubMenu("Options1")->addMenu(QStringLiteral("Line history"));
    menu_->setObjectName(QStringLiteral("LineHistory1"));
    menu_->menuAction()->setObjectName(QStringLiteral("LineHistory1_Item"));
    record_ = item(menu_, "RecordHistory", QStringLiteral("Record line history"));
    record_->setCheckable(true);
    record_->setChecked(true);
    connect(record_, &QAction::triggered, this,
            [this] { form_.Run([this] { recorder_.SetRecording(record_->isChecked()); }); });
    menu_->addSeparator()->setObjectName(QStringLiteral("HistorySep1"));
    auto *group = new QActionGroup(menu_);
    for (const IntervalItem &i : kIntervals) {
        QAction *action = item(menu_, i.name, QString::fromLatin1(i.caption));
        action->setCheckable(true);
        action->setChecked(i.seconds == kDefaultInterval);
        group->addAction(action);
        const int seconds = i.seconds;
        connect(action, &QAction::triggered, this, [this, seconds] {
            form_.Run([this, seconds] { recorder_.SetInterval(seconds); });
        });
    }
    recorder_.SetInterval(kDefaultInterval);
    menu_->addSeparator()->setObjectName(QStringLiteral("HistorySep2"));
    connect(item(menu_, "ShowHistory", QStringLiteral("Show history...")), &QAction::triggered,
            this, [this] { form_.Run([this] { ShowHistory(); }); });
    connect(item(menu_, "HistoryAlerts", QStringLiteral("Alerts...")), &QAction::triggered, this,
            [this] { form_.Run([this] { OpenAlertsDialog(); }); });
    connect(item(menu_, "ServeMetrics", QStringLiteral("Serve metrics...")), &QAction::triggered,
            this, [this] { form_.Run([this] { OpenMetricsDialog(); }); });
}

void HistoryMenu::TellMoved(const history::HistoryStore::OpenResult &r) {
    if (r.movedTo.isEmpty())
        return;
    QString text =
        QStringLiteral("The line history file %1 %2.").arg(service_.Path(), r.movedReason);
    if (r.kept.isEmpty())
        text += QStringLiteral(" It was renamed %1 and a new one was started.").arg(r.movedTo);
    else
        text += QStringLiteral(" What could still be read was kept: %1. The damaged file was "
                               "renamed %2.")
                    .arg(r.kept, r.movedTo);
    form_.Prompt().Warning(QStringLiteral("Vantrel"), text);
}

void HistoryMenu::showNotice(const QString &reason, bool shown) {
    // Lasting, beside the status text that every refresh replaces; as much of it as leaves the
    // status text its room, the whole on hovering.
    constexpr int kWidth = 250;
    if (notice_ == nullptr && reason.isEmpty())
        return;
    if (notice_ == nullptr) {
        notice_ = ui::MakeLabel(form_.statusBar(), "HistoryNotice_Label", QString());
        ui::SetLabelTextColour(notice_, QColor(160, 0, 0));
        form_.statusBar()->addPermanentWidget(notice_);
    }
    const QString text = (shown ? QStringLiteral("Line history read-only: ")
                                : QStringLiteral("Line history off: ")) +
                         reason;
    notice_->setText(notice_->fontMetrics().elidedText(text, Qt::ElideRight, kWidth));
    notice_->setVisible(!reason.isEmpty());
    noticeText_ =
        reason.isEmpty()
            ? QString()
            : QStringLiteral("The line history file %1 %2: nothing is recorded, because "
                             "%3.")
                  .arg(service_.Path(),
                       shown ? QStringLiteral("is shown") : QStringLiteral("is not open"), reason);
    // The whole of it on hovering, escaped: the reason may quote the system or SQLite.
    notice_->setToolTip(QStringLiteral("<p>%1</p>").arg(noticeText_.toHtmlEscaped()));
}

QString HistoryMenu::Notice() const {
    return noticeText_;
}

void HistoryMenu::Opened(const history::HistoryStore::OpenResult &r) {
    TellMoved(r);
    showNotice(!r.ok ? r.error : r.readOnly ? r.readOnlyReason : QString(), r.ok);
}

void HistoryMenu::SampleStored() {
    if (window_)
        window_->SampleStored();
}

void HistoryMenu::ShowHistory() {
    const bool first = window_.isNull();
    if (first) {
        window_ = new HistoryWindow(form_, service_, &form_);
        window_->SetRouterDescription(RouterDescription);
        window_->ShowFitted();
    } else {
        window_->show();
    }
    window_->raise();
    window_->activateWindow();
    if (first)
        window_->ShowFitting();
    else
        window_->Refresh();
}

void HistoryMenu::OpenAlertsDialog() {
    if (alertsDialog_) {
        alertsDialog_->raise();
        return;
    }
    alertsDialog_ = new AlertsDialog(alerts_.Current(), &form_);
    alertsDialog_->setAttribute(Qt::WA_DeleteOnClose);
    AlertsDialog *dialog = alertsDialog_;
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { alerts_.SetSettings(dialog->Settings()); });
    dialog->open();
}

void HistoryMenu::OpenMetricsDialog() {
    if (metricsDialog_) {
        metricsDialog_->raise();
        return;
    }
    metricsDialog_ = new MetricsDialog({serve_, metricsAddress_, metricsPort_}, &form_);
    metricsDialog_->setAttribute(Qt::WA_DeleteOnClose);
    MetricsDialog *dialog = metricsDialog_;
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const MetricsDialog::Choice c = dialog->Chosen();
        form_.Run([this, c] { serveMetrics(c.serve, c.address, c.port, true); });
    });
    dialog->open();
}

void HistoryMenu::serveMetrics(bool serve, const QString &address, int port, bool fromDialog) {
    serve_ = serve;
    metricsAddress_ = address.trimmed().isEmpty() ? QStringLiteral("127.0.0.1") : address.trimmed();
    // Port 0 would listen on a port nobody is told of: it is no choice, like one out of range.
    metricsPort_ = port >= 1 && port <= 65535 ? port : MetricsServer::DefaultPort;
    metrics_.Stop();
    if (!serve_)
        return;
    QString error;
    if (metrics_.Start(metricsAddress_, quint16(metricsPort_), &error))
        return;
    const QString text = QStringLiteral("The metrics cannot be served on %1 port %2: %3")
                             .arg(metricsAddress_)
                             .arg(metricsPort_)
                             .arg(error);
    if (fromDialog)
        form_.ReportError(text);
    else
        form_.SetStatus(QLatin1Char(' ') + text);
}

void HistoryMenu::ApplySettings(const core::SettingsFile::LoadResult &loaded) {
    const core::SettingsValues &v = loaded.values;
    auto reached = [&loaded](const char *key) { return loaded.Reached(kSection, key); };
    if (reached("Record")) {
        record_->setChecked(v.RecordHistory);
        recorder_.SetRecording(v.RecordHistory);
    }
    // An interval outside the menu leaves the one checked.
    if (reached("Interval"))
        for (const IntervalItem &i : kIntervals)
            if (v.HistoryInterval == i.seconds) {
                menu_->findChild<QAction *>(QString::fromLatin1(i.name))->setChecked(true);
                recorder_.SetInterval(i.seconds);
            }
    monitors::Alerts::Settings a = alerts_.Current();
    if (reached("Link alerts"))
        a.link = v.LinkAlerts;
    if (reached("Margin alerts"))
        a.margin = v.MarginAlerts;
    if (reached("Margin threshold"))
        a.marginDb = v.MarginThreshold;
    if (reached("Quota alerts"))
        a.quota = v.QuotaAlerts;
    if (reached("Router alerts"))
        a.router = v.RouterAlerts;
    alerts_.SetSettings(a);
    if (reached("Quota alert level"))
        alerts_.SetQuotaLevelTold(std::clamp(v.QuotaAlertLevel, 0, 100));
    if (reached("Metrics port"))
        serveMetrics(v.ServeMetrics, v.MetricsAddress, v.MetricsPort, false);
}

void HistoryMenu::CollectSettings(core::SettingsValues &v) {
    v.RecordHistory = recorder_.Recording();
    v.HistoryInterval = recorder_.Interval();
    const monitors::Alerts::Settings &a = alerts_.Current();
    v.LinkAlerts = a.link;
    v.MarginAlerts = a.margin;
    v.MarginThreshold = a.marginDb;
    v.QuotaAlerts = a.quota;
    v.RouterAlerts = a.router;
    v.QuotaAlertLevel = alerts_.QuotaLevelTold();
    v.ServeMetrics = serve_;
    v.MetricsAddress = metricsAddress_;
    v.MetricsPort = metricsPort_;
}

} // namespace vantrel::app
