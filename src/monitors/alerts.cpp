#include "monitors/alerts.h"

#include "core/grading.h"
#include "core/quota.h"
#include "core/quotamodel.h"
#include "core/regional.h"
#include "monitors/linkwatch.h"
#include "monitors/notifier.h"
#include "monitors/recorder.h"
#include "ui/pagecontext.h"

#include <QDateTime>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace vantrel::monitors {

using history::LineEventKind;
using history::LineFigure;

const std::array<int, 3> Alerts::QuotaLevels = {core::QuotaHighPercent, core::QuotaCriticalPercent,
                                                100};

namespace {

constexpr int kQuotaCheckMs = 5000;

QString timeText(qint64 secs) {
    return core::DateTimeText(QDateTime::fromSecsSinceEpoch(secs));
}

QString decibels(double db) {
    return QString::number(db, 'g', 4) + QStringLiteral(" dB");
}

} // namespace

Alerts::Alerts(ui::PageContext &context, Recorder &recorder, const core::QuotaModel &quota)
    : context_(context), quota_(quota), quotaTimer_(new QTimer(this)) {
    connect(&recorder, &Recorder::sampleTaken, this,
            [this](const history::LineSample &s) { context_.Run([this, &s] { OnSample(s); }); });
    connect(&recorder, &Recorder::lineEvent, this,
            [this](const history::LineEvent &e, qint64 down) {
                context_.Run([this, &e, down] { OnLineEvent(e, down); });
            });
    quotaTimer_->setObjectName(QStringLiteral("QuotaAlert_Timer"));
    quotaTimer_->setInterval(kQuotaCheckMs);
    connect(quotaTimer_, &QTimer::timeout, this,
            [this] { context_.Run([this] { CheckQuota(); }); });
    quotaTimer_->start();
}

void Alerts::Watch(LinkWatch &watch) {
    connect(&watch, &LinkWatch::silent, this,
            [this](const QDateTime &since) { context_.Run([this, since] { OnSilent(since); }); });
    connect(&watch, &LinkWatch::answering, this,
            [this](const QDateTime &since, const QDateTime &at) {
                context_.Run([this, since, at] { OnAnswering(since, at); });
            });
}

void Alerts::OnSilent(const QDateTime &since) {
    if (!settings_.router)
        return;
    silentTold_ = true;
    notify("silent", QStringLiteral("Router not answering"),
           QStringLiteral("The router has not answered since %1.")
               .arg(core::DateTimeText(since.toLocalTime())));
}

void Alerts::OnAnswering(const QDateTime &since, const QDateTime &at) {
    // Only the end of a silence that was told.
    if (!silentTold_)
        return;
    silentTold_ = false;
    notify("answering", QStringLiteral("Router answering"),
           QStringLiteral("The router answers again at %1 after %2 without answer.")
               .arg(core::DateTimeText(at.toLocalTime()),
                    history::DurationText(std::max<qint64>(0, since.secsTo(at)))));
}

void Alerts::SetSettings(const Settings &settings) {
    if (settings.marginDb != settings_.marginDb || !settings.margin)
        margins_ = {};
    settings_ = settings;
}

void Alerts::notify(const char *kind, const QString &title, const QString &text) {
    if (notifier_ != nullptr)
        notifier_->Notify({QString::fromLatin1(kind), title, text});
}

void Alerts::OnLineEvent(const history::LineEvent &event, qint64 downSeconds) {
    if (!settings_.link)
        return;
    if (event.kind == LineEventKind::Drop) {
        notify("link-down", QStringLiteral("Link dropped"),
               QStringLiteral("The ADSL link went down at %1.").arg(timeText(event.time)));
    } else if (event.kind == LineEventKind::Return) {
        QString text = QStringLiteral("The ADSL link is back at %1").arg(timeText(event.time));
        if (downSeconds >= 0)
            text += QStringLiteral(" after %1 down").arg(history::DurationText(downSeconds));
        notify("link-up", QStringLiteral("Link back"), text + QLatin1Char('.'));
    }
}

void Alerts::OnSample(const history::LineSample &sample) {
    // While the link is not up (down, training) a sample holds no figures; it neither counts
    // nor breaks a row of low ones, so a line that keeps dropping still tells its low margin.
    if (!settings_.margin || (sample.link && *sample.link != 1))
        return;
    const struct {
        LineFigure figure;
        const char *name;
    } directions[] = {{LineFigure::DownMargin, "Downstream"}, {LineFigure::UpMargin, "Upstream"}};
    for (std::size_t i = 0; i < margins_.size(); ++i) {
        MarginState &state = margins_[i];
        const std::optional<double> db = sample.Value(directions[i].figure);
        // A sample of a line that is up but without the figure breaks the row of low ones.
        if (!db) {
            state.lowSamples = 0;
            continue;
        }
        if (*db < settings_.marginDb) {
            if (++state.lowSamples >= MarginSamples && !state.low) {
                state.low = true;
                notify("margin", QStringLiteral("Noise margin low"),
                       QStringLiteral("%1 noise margin %2: below %3 for %4 samples in a row.")
                           .arg(QLatin1String(directions[i].name), decibels(*db),
                                decibels(settings_.marginDb))
                           .arg(MarginSamples));
            }
            continue;
        }
        state.lowSamples = 0;
        if (*db >= settings_.marginDb + MarginRecoveryDb)
            state.low = false;
    }
}

void Alerts::CheckQuota() {
    const core::QuotaAccount &a = quota_.Account();
    // Without an allowance, before a "Calculate" got an answer, or after a failed reading, the
    // account says nothing.
    if (!(a.QuotaBytes > 0) || !a.Calculated || a.LastReadingFailed)
        return;
    const double share = core::UsedBytes(a, quota_.DownloadOnly()) / a.QuotaBytes * 100.0;
    if (!std::isfinite(share))
        return;
    int reached = 0;
    for (int level : QuotaLevels)
        if (share >= level)
            reached = level;
    // A new "Calculate" (the monthly reset, or the user correcting the amount used) starts
    // the levels above the new share afresh; a counter that merely fell does not.
    const std::array<double, 4> calculated = {a.QuotaBytes, a.UsedAtCalcBytes, a.InOctetsBase,
                                              a.OutOctetsBase};
    if (calculated_ != calculated) {
        calculated_ = calculated;
        told_ = std::min(told_, reached);
    }
    if (reached <= told_)
        return;
    told_ = reached;
    if (!settings_.quota)
        return;
    notify("quota", QStringLiteral("Data quota"),
           reached >= 100 ? QStringLiteral("The data quota is used up.")
                          : QStringLiteral("%1 % of the data quota is used.").arg(reached));
}

} // namespace vantrel::monitors
