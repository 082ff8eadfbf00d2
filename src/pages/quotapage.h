#pragma once

#include "core/trigger.h"
#include "ui/settingspart.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::core {
struct QuotaReading;
enum class Requester;
} // namespace vantrel::core

namespace vantrel::pages {

class QuotaScale;

// The Quota page: the monthly data-quota account.
class QuotaPage : public QObject, public ui::SettingsPart {
    Q_OBJECT
public:
    explicit QuotaPage(ui::PageContext &context);
    QWidget *Build();

    // The refresh: reads the counters into the account and shows it (a timer refreshes
    // whatever page shows, and never moves the bar down).
    void QuotaClick(core::Trigger trigger);
    // "Calculate": captures the baseline (also at start-up and by the monthly reset).
    void CalcQuota_ButClick(core::Requester requester);
    void CalcQuota_ButClick();
    void ReDefGB_ButClick();
    void ReDefMB_ButClick();
    // One quota tick: the monthly reset when it is due, then the refresh.
    void Quota_TimerTimer();
    // A "Calculate" found the router silent and none has got an answer yet.
    bool CalculateMissed() const;
    // Called before a refresh makes a missed "Calculate" again: the reads it needs first.
    std::function<void()> OnRetryCalculate;

    bool DownloadOnly() const;
    // The amount left as the page shows it (the tray's tooltip reads it).
    QString QuotaLeftText() const;
    // The position of the quota bar, 0 to 100.
    int BarPosition() const;
    // "At this rate: ..." when a day of data exists since the month began; empty otherwise.
    QString ForecastText() const;
    QWidget *Widget() const { return page_; }

    // Writes "Last reset date" to the settings file at once (the monthly reset).
    std::function<void(const QString &date)> WriteLastResetDate;

    void ApplySettings(const core::SettingsFile::LoadResult &loaded) override;
    void CollectSettings(core::SettingsValues &values) override;

signals:
    // The amount left or the forecast may have changed.
    void accountShown();

private:
    void showReading(const core::QuotaReading &reading);
    void render(core::Trigger trigger);
    // A "Calculate"; with refresh, the page is refreshed with that trigger once it got an answer.
    void calculate(core::Requester requester, std::optional<core::Trigger> refresh);
    void captured(const core::QuotaReading &reading, std::optional<core::Trigger> refresh);
    bool resetDue(const QDate &today, int resetDay) const;
    void monthlyReset(const QDate &today);
    void showForecast();

    ui::PageContext &context_;
    QWidget *page_ = nullptr;
    QuotaScale *scale_ = nullptr;
    QLabel *percentUsed_ = nullptr;
    QLabel *quotaRemaining_ = nullptr;
    QLabel *forecast_ = nullptr;
    QLineEdit *gbQuota_ = nullptr;
    QLineEdit *mbUsed_ = nullptr;
    QLineEdit *gbytes_ = nullptr;
    QLineEdit *mbytes_ = nullptr;
    QLineEdit *resetDay_ = nullptr;
    QSpinBox *dayUpDown_ = nullptr;
    QLabel *lastResetDate_ = nullptr;
    QPushButton *calculate_ = nullptr;
    QPushButton *redefineGB_ = nullptr;
    QPushButton *redefineMB_ = nullptr;
    QRadioButton *downOnly_ = nullptr;
    QRadioButton *downUp_ = nullptr;
    QString mbUsedAtLoad_ = QStringLiteral("0"); // "MBUsed" as read at start-up
    QDate startDate_;                            // the day the program started
    bool calculateMissed_ = false; // a "Calculate" found the router silent before any succeeded
};

} // namespace vantrel::pages
