#pragma once

#include "core/settings.h"
#include "core/trigger.h"

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
class QTimer;
class QWidget;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::core {
class QuotaModel;
class SettingsModel;
struct QuotaReading;
enum class Requester;
} // namespace vantrel::core

namespace vantrel::pages {

class QuotaScale;

// The Quota page: a view of the monthly data-quota account, and the queries that feed it.
class QuotaPage : public QObject {
    Q_OBJECT
public:
    // settings: the allowance the page's box edits.
    QuotaPage(ui::PageContext &context, core::QuotaModel &quota, core::SettingsModel &settings);
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
    // At start-up: the monthly reset when it is due, then the start-up "Calculate", which
    // counts what crossed the interface while the program was closed. From then on the reset
    // is checked at each change of day, whether or not the quota monitor runs.
    void Start();
    // The monthly reset when it is due today (no router request of its own before "Calculate").
    void CheckResetDay();
    // Called before a refresh makes a missed "Calculate" again: the reads it needs first.
    std::function<void()> OnRetryCalculate;

    QWidget *Widget() const { return page_; }

    // Shows in the boxes what the settings load read of the account (the account itself takes
    // its values from the composition).
    void ShowSettings(const core::SettingsFile::LoadResult &loaded);

private:
    void showReading(const core::QuotaReading &reading);
    // Shows the account as the model has it.
    void render();
    // A "Calculate"; with refresh, the page is refreshed with that trigger once it got an answer.
    void calculate(core::Requester requester, std::optional<core::Trigger> refresh,
                   bool carryOn = false);
    void captured(const core::QuotaReading &reading, std::optional<core::Trigger> refresh,
                  bool carryOn);
    // Shows the account at once (after "Calculate"), or why it cannot.
    void showAccount(bool mayLower);

    ui::PageContext &context_;
    core::QuotaModel &quota_;
    core::SettingsModel &settings_;
    QWidget *page_ = nullptr;
    QuotaScale *scale_ = nullptr;
    QLabel *percentUsed_ = nullptr;
    QLabel *quotaRemaining_ = nullptr;
    QLabel *forecast_ = nullptr;
    QLabel *nothingShown_ = nullptr;
    QTimer *dayTimer_ = nullptr;
    QDate checkedDay_;
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
};

} // namespace vantrel::pages
