#pragma once

#include "history/historysample.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QTimer;

namespace vantrel::core {
class QuotaModel;
}

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::monitors {

class LinkWatch;
class Notifier;
class Recorder;

// Tells the user, through the notifier, when the link drops and comes back, when the router
// stops answering and answers again, when a noise margin stays below its threshold, and when
// the data quota passes its high and critical levels and 100 percent.
class Alerts : public QObject {
    Q_OBJECT
public:
    struct Settings {
        bool link = true;
        bool margin = true;
        double marginDb = 6; // below it for MarginSamples samples in a row
        bool quota = true;
        bool router = true; // the router stops answering, and answers again
    };
    static constexpr int MarginSamples = 3;
    // A low margin is over once it is this much above the threshold again.
    static constexpr double MarginRecoveryDb = 1;
    static const std::array<int, 3> QuotaLevels;

    Alerts(ui::PageContext &context, Recorder &recorder, const core::QuotaModel &quota);

    void SetNotifier(Notifier *notifier) { notifier_ = notifier; }
    // Where the silences of the router are seen.
    void Watch(LinkWatch &watch);
    void SetSettings(const Settings &settings);
    const Settings &Current() const { return settings_; }

    // The highest quota level told in this quota cycle (0: none), kept across runs.
    int QuotaLevelTold() const { return told_; }
    void SetQuotaLevelTold(int level) { told_ = level; }

    // Looks at the quota account (its timer does this every few seconds).
    void CheckQuota();
    QTimer *QuotaTimer() const { return quotaTimer_; }

    void OnSample(const history::LineSample &sample);
    void OnLineEvent(const history::LineEvent &event, qint64 downSeconds);
    void OnSilent(const QDateTime &since);
    void OnAnswering(const QDateTime &since, const QDateTime &at);

private:
    void notify(const char *kind, const QString &title, const QString &text);

    ui::PageContext &context_;
    const core::QuotaModel &quota_;
    Notifier *notifier_ = nullptr;
    Settings settings_;
    struct MarginState {
        int lowSamples = 0;
        bool low = false; // told, and not yet back above threshold + recovery
    };
    std::array<MarginState, 2> margins_{};
    int told_ = 0;
    bool silentTold_ = false; // a silence was told: its end is told too
    // The account as its last "Calculate" left it: a new one starts the levels afresh.
    std::optional<std::array<double, 4>> calculated_;
    QTimer *quotaTimer_;
};

} // namespace vantrel::monitors
